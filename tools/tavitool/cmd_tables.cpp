// tavitool tables: lists the code tables of the table folder.
#include "tavitool/command.h"

#include "codes/memorystream.h"
#include "codes/tabletree.h"
#include "codes/vncodeconverter.h"

#include <iostream>

namespace {

int Tables(tavitool::Args& args) {
    const bool check = tavitool::TakeFlag(args, "--check");
    tavitool::NoMoreOptions(args);
    tavi::TVnCodeConverter converter;
    int status = 0;
    for (const auto& name : converter.ListCodeTables()) {
        std::cout << name << "\n";
        if (!check) continue;
        const std::string table = tavi::ReadWholeFile(converter.TablePath(name));
        for (const auto& problem : tavi::TableRuleProblems(table, tavi::VnLetterCount)) {
            std::cout << "  " << problem << "\n";
            status = 1;
        }
    }
    return status;
}

tavitool::Register
    reg("tables", "[--check]   list the code tables (--check: and their rule problems)", Tables);

} // namespace

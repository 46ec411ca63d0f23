// tavitool convert: converts a document from one code table to another.
#include "tavitool/command.h"

#include "codes/vncodeconverter.h"

#include <iostream>

namespace {

int Convert(tavitool::Args& args) {
    const std::string from = tavitool::TakeOption(args, "--from");
    const std::string to = tavitool::TakeOption(args, "--to");
    const bool rtf = tavitool::TakeFlag(args, "--rtf");
    tavitool::NoMoreOptions(args);
    if (to.empty()) throw tavitool::UsageError{"--to is required"};
    if (args.size() > 2) throw tavitool::UsageError{"too many arguments"};
    tavi::TVnCodeConverter converter;
    converter.RtfMode = rtf;
    converter.InStream.Data = tavitool::ReadInput(args.empty() ? "" : args[0]);
    converter.SetDestTable(to);
    converter.SetSourceTable(from); // empty: detected by Convert
    converter.Convert();
    tavitool::WriteOutput(args.size() > 1 ? args[1] : "", converter.OutStream.Data);
    return 0;
}

tavitool::Register reg(
    "convert",
    "--from NAME --to NAME [--rtf] [IN [OUT]]   convert between code tables (no --from: detect)",
    Convert);

} // namespace

// Table files and converter input: any bytes as a source table, a destination table and a text.
#include "codes/tabletree.h"
#include "codes/vncodeconverter.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string source = in.ConsumeRandomLengthString(4096);
    const std::string dest = in.ConsumeRandomLengthString(4096);
    const std::string text = in.ConsumeRemainingBytesAsString();
    tavi::TableRuleProblems(source, tavi::VnLetterCount);
    tavi::TTableTree<1> tree;
    try {
        tree.Build(source, tavi::VnLetterCount, "fuzz");
    } catch (const std::exception&) {
        return 0;
    }
    const auto entries = tavi::ReadDestEntries(dest, tavi::VnLetterCount);
    std::string out;
    tree.Match(
        text, [&](unsigned k, std::string_view) { out += entries.at(k - 1); },
        [&](std::string_view bytes) { out += bytes; });
    tavi::TVnCodeConverter::ExtractRhyme(text);
    tavi::TVnCodeConverter::IsKnownRhyme(text);
    return 0;
}

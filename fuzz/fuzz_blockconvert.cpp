// Conversion block by block over any source and destination table files, any text and any
// block ends: it must give exactly what converting the whole text gives.
#include "codes/vncodeconverter.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

// A folder of its own for the two tables of each input.
const std::filesystem::path& Folder() {
    static const auto dir =
        std::filesystem::temp_directory_path() / ("tavi-fuzz-blocks-" + std::to_string(getpid()));
    static const bool made = std::filesystem::create_directories(dir);
    (void)made;
    return dir;
}

void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Folder() / (name + ".vnc"), std::ios::binary) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Write("S", in.ConsumeRandomLengthString(1024));
    Write("D", in.ConsumeRandomLengthString(1024));
    const bool rtf = in.ConsumeBool();
    const bool detect = in.ConsumeBool();
    std::vector<std::size_t> blocks;
    for (int i = in.ConsumeIntegralInRange(0, 8); i > 0; --i)
        blocks.push_back(in.ConsumeIntegralInRange<std::size_t>(0, 40));
    const std::string text = in.ConsumeRemainingBytesAsString();

    tavi::TVnCodeConverter whole, parts;
    for (auto* conv : {&whole, &parts}) {
        conv->ListCodeTables(Folder());
        conv->RtfMode = rtf;
        try {
            conv->SetDestTable("D");
            conv->SetSourceTable(detect ? "" : "S");
        } catch (const std::exception&) {
            return 0; // a table too large for the tree
        }
    }
    whole.InStream.Data = text;
    whole.Convert();

    tavi::TBlockConverter converter(parts, 64);
    std::string out;
    std::size_t at = 0;
    for (std::size_t k = 0; at < text.size() || k == 0; ++k) {
        const std::size_t n =
            std::min(text.size() - at, blocks.empty() ? 64 : 1 + blocks[k % blocks.size()] % 64);
        std::copy_n(text.begin() + static_cast<long>(at), n, converter.Room());
        at += n;
        out += converter.Convert(n, at == text.size());
        if (at == text.size()) break;
    }
    if (out != whole.OutStream.Data) std::abort();
    return 0;
}

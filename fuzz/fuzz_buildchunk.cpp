// Chunk building on arbitrary text in the reading code, with an arbitrary abbreviation list,
// and the number and sign rules on arbitrary tokens.
#include "speech/sounddata.h"
#include "speech/wordreader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

// A dictionary with a unit for every single byte and a few syllables and prompts.
tavi::TWordReader& Reader() {
    static std::unique_ptr<tavi::TWordReader> reader = [] {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("tavi-fuzz-chunk-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::vector<tavi::TSoundUnit> units;
        for (int b = 1; b < 256; ++b) units.push_back({std::string(1, static_cast<char>(b)), "ab"});
        for (const char* k : {"ba", "m\x93t\x05", "zzzmesa", "hai", "ngan\x02"})
            units.push_back({k, "abc"});
        tavi::WriteSoundDictionary(dir / "dict.dat", dir / "dict.idx", tavi::TSoundFormat(), units);
        auto r = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx", "");
        std::filesystem::remove_all(dir);
        return r;
    }();
    return *reader;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    tavi::TWordReader& reader = Reader();
    reader.SpeakSymbols = in.ConsumeBool();
    const bool terminated = in.ConsumeBool();
    reader.Abbreviations = tavi::SplitLines(in.ConsumeRandomLengthString(512));
    tavi::TMemoryStream source;
    source.Data = in.ConsumeRemainingBytesAsString();
    const std::string token = source.Data.substr(0, 64);
    if (terminated) source.Data += '\0';
    while (!source.AtEnd()) {
        tavi::TMemoryStream chunk;
        const std::size_t before = source.Position;
        reader.BuildChunk(source, chunk);
        if (source.Position <= before) __builtin_trap(); // every chunk must move on
    }
    tavi::TTextReader::ReadNumber(token);
    tavi::TTextReader::ReadDate(token);
    tavi::TTextReader::SplitSigns(token);
    tavi::TTextReader::ClassifyToken(token);
    reader.FindAbbreviation(token);
    return 0;
}

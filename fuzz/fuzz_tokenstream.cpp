// A text read through a token stream, in blocks of any size, from any of the delivered tables:
// the reader must append exactly the units and silences of reading the whole text at once.
#include "speech/sounddata.h"
#include "speech/tokenstream.h"
#include "speech/wordreader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

// A dictionary with a unit for every single byte and a few syllables, and the events it tells.
struct TFuzzReader {
    TFuzzReader() {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("tavi-fuzz-tokens-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        std::vector<tavi::TSoundUnit> units;
        for (int b = 1; b < 256; ++b) units.push_back({std::string(1, static_cast<char>(b)), "ab"});
        for (const char* k : {"ba", "m\x93t\x05", "hai", "ngan\x02"}) units.push_back({k, "abc"});
        tavi::WriteSoundDictionary(dir / "dict.dat", dir / "dict.idx", tavi::TSoundFormat(), units);
        Reader = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx", "");
        std::filesystem::remove_all(dir);
        Reader->OnUnit = [this](const tavi::TIndexRecord& r) { Events += "u" + r.Name + ";"; };
        Reader->OnSilence = [this](std::size_t n) { Events += "s" + std::to_string(n) + ";"; };
        Tables = Reader->Converter.ListCodeTables();
    }
    std::unique_ptr<tavi::TWordReader> Reader;
    std::vector<std::string> Tables;
    std::string Events;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TFuzzReader fuzz;
    tavi::TWordReader& reader = *fuzz.Reader;
    FuzzedDataProvider in(data, size);
    reader.SpeakSymbols = in.ConsumeBool();
    reader.Abbreviations = tavi::SplitLines(in.ConsumeRandomLengthString(256));
    reader.SetCodeTable(
        fuzz.Tables.empty()
            ? ""
            : fuzz.Tables[in.ConsumeIntegralInRange<std::size_t>(0, fuzz.Tables.size() - 1)]);
    const std::size_t block = in.ConsumeIntegralInRange<std::size_t>(1, 32);
    const std::string text = in.ConsumeRemainingBytesAsString();

    fuzz.Events.clear();
    reader.WholeSound(text);
    const std::string whole = fuzz.Events;

    fuzz.Events.clear();
    std::size_t at = 0;
    tavi::TTokenStream tokens(
        reader,
        [&](char* to, std::size_t room) {
            const std::size_t n = text.copy(to, room, at);
            at += n;
            return n;
        },
        block);
    std::string token;
    while (tokens.Next(token))
        if (token != std::string(1, '\0')) reader.SayToken(std::move(token), nullptr);
    if (fuzz.Events != whole) std::abort();
    return 0;
}

// Chunk building on arbitrary text in the reading code, with an arbitrary abbreviation list,
// and the number and sign rules on arbitrary tokens.
#include "fuzzreader.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// A dictionary with a unit for every single byte and a few syllables and prompts.
std::unique_ptr<tavi::TWordReader> MakeReader(const tavi::TSoundFormat& format) {
    std::vector<tavi::TSoundUnit> units;
    for (const char* k : {"ba", "m\x93t\x05", "zzzmesa", "hai", "ngan\x02"})
        units.push_back({k, std::string(3 * format.BlockAlign, 'c')});
    return fuzzreader::Make(format, 255, units);
}

// A reader of the older 8-bit dictionary, or of the 16-bit one.
tavi::TWordReader& Reader(bool wide) {
    static std::unique_ptr<tavi::TWordReader> narrow = MakeReader(tavi::TSoundFormat());
    static std::unique_ptr<tavi::TWordReader> pcm16 = MakeReader(tavi::Pcm16Format);
    return wide ? *pcm16 : *narrow;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    tavi::TWordReader& reader = Reader(in.ConsumeBool());
    const std::size_t frame = reader.Sounds->ReadFormat().BlockAlign;
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
        if (chunk.Size() % frame != 0) __builtin_trap(); // and hold whole frames
    }
    tavi::TTextReader::ReadNumber(token);
    tavi::TTextReader::ReadDate(token);
    tavi::TTextReader::SplitSigns(token);
    tavi::TTextReader::ClassifyToken(token);
    reader.FindAbbreviation(token);
    return 0;
}

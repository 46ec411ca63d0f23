// Helpers of the speech tests: small dictionaries written for a test, reading-code words.
#pragma once

#include "codes/vncodeconverter.h"
#include "speech/sounddata.h"
#include "speech/wordreader.h"
#include "support/testdata.h"

#include <memory>
#include <string>
#include <vector>

namespace speechtest {

// Unicode text in the reading code.
inline std::string Reading(const std::string& utf8) {
    return tavi::ConvertBetween("Unicode", tavi::ReadingCodeName, utf8);
}

// The sound keys of the words of a reading-code text.
inline std::vector<std::string> Keys(const std::string& text) {
    std::vector<std::string> keys;
    for (auto w : tavi::TextWords(text)) keys.push_back(tavi::TTextReader::MakeSoundKey(w));
    return keys;
}

// The sound keys of Unicode words ("một ngàn").
inline std::vector<std::string> KeysOf(const std::string& utf8) {
    return Keys(Reading(utf8));
}

// Has the reader hand English words to the real English voice, with Debian's word list.
inline void ReadEnglishWords(tavi::TTextReader& reader) {
    static const auto list = std::make_shared<const tavi::TEnglishWords>(tavi::EnglishWordsFile);
    reader.EnglishList = list;
    reader.EnglishVoice = std::make_shared<tavi::TEnglishVoice>(tavi::CreateESpeakEngine());
}

// A reader over the program's own dictionary, reading Unicode text.
inline std::unique_ptr<tavi::TWordReader> RealReader() {
    const auto dir = tavitest::DataDir();
    auto reader =
        std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx", dir / "abbr.txt");
    reader->SetCodeTable("Unicode");
    return reader;
}

// Samples of a test unit, whole frames of the format: its name's length and first byte make
// them recognisable.
inline std::string SamplesOf(const std::string& name,
                             const tavi::TSoundFormat& format = tavi::TSoundFormat()) {
    return std::string((10 + name.size()) * format.BlockAlign,
                       static_cast<char>(0x40 + name[0] % 64));
}

// A dictionary of the given units (keys as the reader forms them) in a scratch folder, and a
// reader over it that lists what it appends.
class SmallDictionary {
public:
    SmallDictionary(const std::vector<std::string>& keys, const std::string& abbr = "",
                    bool withAbbr = true, const tavi::TSoundFormat& format = tavi::TSoundFormat()) {
        std::vector<tavi::TSoundUnit> units;
        for (const auto& k : keys) units.push_back({k, SamplesOf(k, format)});
        tavi::WriteSoundDictionary(Dir / "dict.dat", Dir / "dict.idx", format, units);
        tavitest::WriteFile(Dir / "abbr.txt", abbr);
        Reader = std::make_unique<tavi::TWordReader>(Dir / "dict.dat", Dir / "dict.idx",
                                                     withAbbr ? Dir / "abbr.txt" : "");
        Reader->SetCodeTable("Unicode");
        Reader->OnUnit = [this](const tavi::TIndexRecord& r) {
            Events.push_back("unit " + r.Name);
        };
        Reader->OnSilence = [this](std::size_t n) {
            Events.push_back("silence " + std::to_string(n));
        };
    }

    // The events of reading a Unicode text to its end, chunk after chunk.
    std::vector<std::string> Read(const std::string& utf8, bool symbols = false) {
        Events.clear();
        Reader->SpeakSymbols = symbols;
        Sound += Reader->WholeSound(utf8);
        return Events;
    }

    tavitest::TempDir Dir;
    std::unique_ptr<tavi::TWordReader> Reader;
    std::vector<std::string> Events;
    std::string Sound;
};

} // namespace speechtest

// The small interface through which TTTS drives a text-to-speech engine: its modes (voices),
// its attributes and its synthesis. Results are 32-bit codes, 0 for success, as the engines
// of the old speech interface gave them.
#pragma once

#include "speech/sounddata.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

namespace ttsresult {
inline constexpr std::uint32_t Ok = 0;
inline constexpr std::uint32_t NotImplemented = 0x80004001;
inline constexpr std::uint32_t Failed = 0x80004005;
inline constexpr std::uint32_t InvalidArgument = 0x80070057;
inline constexpr std::uint32_t NotEnoughData = 0x80040201;
inline constexpr std::uint32_t AudioInUse = 0x80040203;
inline constexpr std::uint32_t NoEngine = 0x80040717;
} // namespace ttsresult

// How a text handed to the engine is read.
enum class TChrSet { csText, csIPAPhonetic, csEnginePhonetic };

// A mode of an engine: one voice.
struct TTTSModeInfo {
    std::string EngineId;
    std::string MfgName;
    std::string ProductName;
    std::string ModeId;
    std::string ModeName;
    std::string Language;
    std::string Speaker;
    std::string Style;
    int Gender = 0; // 0 neutral, 1 female, 2 male
    int Age = 0;
    std::uint32_t Features = 0;
    bool HasAttributes = true;
};

// Feature bit of a mode that reads engine control tags in its text.
inline constexpr std::uint32_t TTSFeatureTagged = 0x400;

// Where a word begins in synthesised sound: a byte of the samples and a byte of the text.
struct TWordMark {
    std::size_t Sound = 0;
    std::size_t Text = 0;
};

// Pitch is 16 bits, RealTime and Speed 32; Volume holds the left level in its low 16 bits and
// the right level in its high 16 bits.
enum class TTTSAttribute { Pitch, RealTime, Speed, Volume };

class ITTSEngine {
public:
    virtual ~ITTSEngine() = default;
    // The installed modes, in the enumerator's order.
    virtual std::vector<TTTSModeInfo> Modes() = 0;
    // The index of the mode the engine picks when nothing is wished for, -1 when none.
    virtual int DefaultMode() = 0;
    // Connects to a mode; its attributes start from the mode's own values.
    virtual std::uint32_t Select(const TTTSModeInfo& mode) = 0;
    virtual void Release() = 0;
    // An engine keeps a value that is set outside its range at the nearest end of the range.
    virtual std::uint32_t GetAttribute(TTTSAttribute attribute, std::uint32_t& value) = 0;
    virtual std::uint32_t SetAttribute(TTTSAttribute attribute, std::uint32_t value) = 0;
    // The format of the samples that Synthesize gives.
    virtual TSoundFormat Format() const = 0;
    // Appends the sound of a UTF-8 text to samples.
    virtual std::uint32_t Synthesize(std::string_view utf8, TChrSet charset, bool tagged,
                                     std::string& samples) = 0;
    // Synthesize in the text character set, telling where each word begins: its first byte in
    // the samples that this call appends (counted from where it began) and in the text. An
    // engine that cannot tell leaves words as they were.
    virtual std::uint32_t SynthesizeWords(std::string_view utf8, std::string& samples,
                                          std::vector<TWordMark>& words) {
        (void)words;
        return Synthesize(utf8, TChrSet::csText, false, samples);
    }
    // The engine's phonemes of a UTF-8 text.
    virtual std::uint32_t ToPhonemes(std::string_view utf8, std::string& phonemes) = 0;
};

// The English engine of the program: espeak-ng. nullptr when espeak-ng cannot start (its data
// is missing).
std::unique_ptr<ITTSEngine> CreateESpeakEngine();

} // namespace tavi

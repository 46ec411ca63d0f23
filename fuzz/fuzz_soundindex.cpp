// The sound dictionary's outside input on arbitrary bytes: the index loader either refuses the
// index or returns records with short names, sorted and unique, as the binary search needs, and
// the check at start leaves no record that would fail when read; the wave format of the data
// file's header gives silences of whole frames and bounded length; a recording's WAV file
// (input starting "RIFF") is refused or gives whole frames.
#include "speech/sounddata.h"
#include "speech/wavfile.h"

#include <string>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void Index(const std::string& index) {
    try {
        const auto records = tavi::ParseSoundIndex(index, "fuzz");
        for (std::size_t i = 1; i < records.size(); ++i)
            Check(records[i - 1].Name < records[i].Name); // sorted, unique
        for (const auto& r : records) Check(r.Name.size() <= tavi::IndexNameMax);
        // The same bytes taken for a data file: a check that passes leaves no record to fail.
        tavi::CheckSoundData(records, tavi::Pcm16Format, index.size(), "fuzz");
        for (const auto& r : records)
            Check(r.Offset >= 16 && r.Size >= 2 && r.Size % 2 == 0 &&
                  std::uint64_t(r.Offset) + std::uint64_t(r.Size) <= index.size());
    } catch (const std::exception&) {
    }
}

void Header(const std::string& header) {
    const tavi::TSoundFormat format = tavi::TSoundFormat::Parse(header);
    const std::size_t frame = tavi::FrameBytes(format);
    for (const std::size_t count : {std::size_t{1}, std::size_t{1000}, std::size_t{5000}}) {
        const std::size_t bytes = tavi::SilenceBytes(format, count);
        // The fastest playable format (192 kHz, two 16-bit channels) is 70 times the measure.
        Check(frame >= 1 && bytes % frame == 0 && bytes <= 70 * count);
    }
}

void Wav(const std::string& bytes) {
    try {
        const tavi::TWavData wav = tavi::ParseWav(bytes);
        if (wav.Format.BlockAlign > 0) Check(wav.Samples.size() % wav.Format.BlockAlign == 0);
    } catch (const std::exception&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.starts_with("RIFF")) {
        Wav(bytes);
        return 0;
    }
    Index(bytes);
    if (bytes.size() >= tavi::SoundHeaderSize) Header(bytes.substr(0, tavi::SoundHeaderSize));
    return 0;
}

#include "speech/wavfile.h"

#include "platform/errors.h"

namespace tavi {

namespace {

std::uint32_t Le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

} // namespace

TWavData ParseWav(std::string_view b) {
    if (b.size() < 12 || b.substr(0, 4) != "RIFF" || b.substr(8, 4) != "WAVE")
        throw EDataError("not a RIFF WAVE file");
    TWavData wav;
    bool haveFormat = false, haveData = false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::string_view id = b.substr(at, 4);
        const std::size_t size = Le(b, at + 4, 4);
        const std::size_t body = at + 8;
        if (size > b.size() - body) {
            if (id != "data") throw EDataError("chunk " + std::string(id) + " runs past the end");
            wav.Samples = std::string(b.substr(body));
            haveData = true;
            break;
        }
        if (id == "fmt " && size >= 16) {
            TSoundFormat& f = wav.Format;
            f.FormatTag = static_cast<std::uint16_t>(Le(b, body, 2));
            f.Channels = static_cast<std::uint16_t>(Le(b, body + 2, 2));
            f.SamplesPerSec = Le(b, body + 4, 4);
            f.AvgBytesPerSec = Le(b, body + 8, 4);
            f.BlockAlign = static_cast<std::uint16_t>(Le(b, body + 12, 2));
            f.BitsPerSample = static_cast<std::uint16_t>(Le(b, body + 14, 2));
            if (f.FormatTag == 0xFFFE && size >= 26)
                f.FormatTag = static_cast<std::uint16_t>(Le(b, body + 24, 2));
            haveFormat = true;
        } else if (id == "data") {
            wav.Samples = std::string(b.substr(body, size));
            haveData = true;
        }
        at = body + size + (size & 1);
    }
    if (!haveFormat || !haveData || wav.Format.Channels < 1 || wav.Format.SamplesPerSec < 1000 ||
        wav.Format.SamplesPerSec > 384000)
        throw EDataError("no usable format and data chunks");
    // A file cut short may end inside a frame: half a sample would be played as noise.
    if (wav.Format.BlockAlign > 0)
        wav.Samples.resize(wav.Samples.size() - wav.Samples.size() % wav.Format.BlockAlign);
    return wav;
}

} // namespace tavi

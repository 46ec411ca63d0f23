#include "speech/timescale.h"

#include "platform/errors.h"
#include "speech/waveout.h"

#include <sonic.h>

#include <cstdint>
#include <new>
#include <vector>

namespace tavi {

namespace {

// Little-endian 16-bit samples, whatever the machine's own order.
std::vector<short> ToShorts(std::string_view bytes) {
    std::vector<short> out(bytes.size() / 2);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<short>(static_cast<unsigned char>(bytes[2 * i]) |
                                    static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return out;
}

void AppendShorts(std::string& out, const short* samples, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    }
}

} // namespace

TTimeScaler::TTimeScaler(const TSoundFormat& format, double speed) : Format(format) {
    if (!IsPlayableFormat(format)) throw EDataError(BadFormatText);
    Stream = sonicCreateStream(static_cast<int>(format.SamplesPerSec), format.Channels);
    if (!Stream) throw std::bad_alloc();
    sonicSetSpeed(Stream, static_cast<float>(speed));
}

TTimeScaler::~TTimeScaler() {
    sonicDestroyStream(Stream);
}

std::string TTimeScaler::Scale(std::string_view samples) {
    std::string whole = Partial;
    whole += samples;
    const std::size_t frame = Format.BlockAlign;
    const std::size_t frames = whole.size() / frame;
    Partial = whole.substr(frames * frame);
    int ok;
    if (Format.BitsPerSample == 8) {
        ok = sonicWriteUnsignedCharToStream(Stream, reinterpret_cast<unsigned char*>(whole.data()),
                                            static_cast<int>(frames));
    } else {
        std::vector<short> shorts = ToShorts(std::string_view(whole).substr(0, frames * frame));
        ok = sonicWriteShortToStream(Stream, shorts.data(), static_cast<int>(frames));
    }
    if (!ok) throw std::bad_alloc();
    return Read();
}

std::string TTimeScaler::Flush() {
    Partial.clear();
    if (!sonicFlushStream(Stream)) throw std::bad_alloc();
    return Read();
}

std::string TTimeScaler::Read() {
    const int frames = sonicSamplesAvailable(Stream);
    if (frames <= 0) return {};
    const std::size_t count = static_cast<std::size_t>(frames) * Format.Channels;
    std::string out;
    if (Format.BitsPerSample == 8) {
        out.resize(count);
        const int got = sonicReadUnsignedCharFromStream(
            Stream, reinterpret_cast<unsigned char*>(out.data()), frames);
        out.resize(static_cast<std::size_t>(got) * Format.Channels);
    } else {
        std::vector<short> shorts(count);
        const int got = sonicReadShortFromStream(Stream, shorts.data(), frames);
        out.reserve(static_cast<std::size_t>(got) * Format.BlockAlign);
        AppendShorts(out, shorts.data(), static_cast<std::size_t>(got) * Format.Channels);
    }
    return out;
}

} // namespace tavi

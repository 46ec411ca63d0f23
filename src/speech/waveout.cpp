#include "speech/waveout.h"

#include <algorithm>
#include <cmath>

namespace tavi {

namespace {

std::uint32_t Volume = 0xFFFFFFFF;

class TNoAudioSystem : public TAudioSystem {
public:
    int DeviceCount() const override { return 0; }
    std::unique_ptr<TWaveOut> CreateDevice() override { return std::make_unique<TNoWaveOut>(); }
    std::unique_ptr<TWaveOut> CreateFileDevice(const std::filesystem::path&) override {
        return std::make_unique<TNoWaveOut>();
    }
};

std::unique_ptr<TAudioSystem>& Installed() {
    static std::unique_ptr<TAudioSystem> system = std::make_unique<TNoAudioSystem>();
    return system;
}

} // namespace

bool IsPlayableFormat(const TSoundFormat& f) {
    const unsigned frame = f.Channels * f.BitsPerSample / 8u;
    return f.FormatTag == 1 && (f.Channels == 1 || f.Channels == 2) &&
           (f.BitsPerSample == 8 || f.BitsPerSample == 16) && f.SamplesPerSec >= 1000 &&
           f.SamplesPerSec <= 192000 && f.BlockAlign == frame &&
           f.AvgBytesPerSec == f.SamplesPerSec * frame;
}

std::int64_t PlayMilliseconds(const TSoundFormat& format, std::size_t bytes) {
    if (format.AvgBytesPerSec == 0) return 0;
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(bytes) * 1000 + format.AvgBytesPerSec - 1) /
        format.AvgBytesPerSec);
}

std::uint32_t OutputVolume() {
    return Volume;
}

void SetOutputVolume(std::uint32_t volume) {
    Volume = volume;
}

std::string ScaleSamples(const TSoundFormat& format, std::string_view samples,
                         std::uint32_t volume) {
    std::string out(samples);
    const std::uint32_t left = volume & 0xFFFF, right = volume >> 16;
    if (!IsPlayableFormat(format) || (left == 0xFFFF && (format.Channels == 1 || right == 0xFFFF)))
        return out;
    const auto level = [&](std::size_t sample) {
        return static_cast<double>(format.Channels == 2 && sample % 2 == 1 ? right : left) /
               65535.0;
    };
    if (format.BitsPerSample == 8) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            const int v = static_cast<unsigned char>(out[i]) - 128;
            out[i] = static_cast<char>(128 + std::lround(v * level(i)));
        }
    } else {
        for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
            const auto raw = static_cast<std::uint16_t>(
                static_cast<unsigned char>(out[i]) | static_cast<unsigned char>(out[i + 1]) << 8);
            const long v = std::lround(static_cast<std::int16_t>(raw) * level(i / 2));
            out[i] = static_cast<char>(v & 0xFF);
            out[i + 1] = static_cast<char>((v >> 8) & 0xFF);
        }
    }
    return out;
}

TAudioSystem& AudioSystem() {
    return *Installed();
}

std::unique_ptr<TAudioSystem> SetAudioSystem(std::unique_ptr<TAudioSystem> system) {
    if (!system) system = std::make_unique<TNoAudioSystem>();
    std::swap(Installed(), system);
    return system;
}

} // namespace tavi

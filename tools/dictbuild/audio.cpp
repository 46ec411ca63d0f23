#include "dictbuild/audio.h"

#include "codes/memorystream.h"
#include "platform/errors.h"
#include "speech/wavfile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <stdexcept>

namespace dictbuild {

namespace {

std::uint32_t Le(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

} // namespace

TSamples FromPcm16(const std::int16_t* samples, std::size_t count, int rate) {
    TSamples s;
    s.Rate = rate;
    s.Data.resize(count);
    for (std::size_t i = 0; i < count; ++i) s.Data[i] = samples[i] / 32768.0f;
    return s;
}

TSamples ReadWav(const std::filesystem::path& file) {
    tavi::TWavData wav;
    try {
        wav = tavi::ParseWav(tavi::ReadWholeFile(file));
    } catch (const tavi::EDataError& e) {
        throw std::runtime_error("Unusable WAV file " + file.string() + ": " + e.what());
    }
    const auto bad = [&](const std::string& why) {
        return std::runtime_error("Unusable WAV file " + file.string() + ": " + why);
    };
    const int format = wav.Format.FormatTag, channels = wav.Format.Channels;
    const int bits = wav.Format.BitsPerSample, rate = static_cast<int>(wav.Format.SamplesPerSec);
    const std::string_view data = wav.Samples;
    const bool pcm = format == 1 && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool flt = format == 3 && bits == 32;
    if (!pcm && !flt) throw bad("only integer PCM and 32-bit float are read");
    const std::size_t width = static_cast<std::size_t>(bits / 8);
    const std::size_t frame = width * static_cast<std::size_t>(channels);
    TSamples s;
    s.Rate = rate;
    s.Data.reserve(data.size() / frame);
    for (std::size_t at = 0; at + frame <= data.size(); at += frame) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) {
            const std::size_t p = at + static_cast<std::size_t>(c) * width;
            const std::uint32_t raw = Le(data, p, static_cast<int>(width));
            float v;
            if (flt) {
                std::memcpy(&v, &raw, 4);
                // Levelling would spread it over the whole unit.
                if (!std::isfinite(v)) throw bad("a sample is not a number");
            } else if (bits == 8) {
                v = (static_cast<int>(raw) - 128) / 128.0f;
            } else {
                const int shift = 32 - bits;
                v = static_cast<float>(static_cast<std::int32_t>(raw << shift) >> shift) /
                    static_cast<float>(1u << (bits - 1));
            }
            sum += v;
        }
        s.Data.push_back(sum / static_cast<float>(channels));
    }
    return s;
}

TSamples Resample(const TSamples& in, int rate) {
    if (in.Rate == rate || in.Data.empty()) {
        TSamples out = in;
        out.Rate = rate;
        return out;
    }
    const double ratio = static_cast<double>(rate) / in.Rate;
    const double cutoff = 0.45 * std::min(1.0, ratio); // of the input rate, under Nyquist
    const int half = 24;                               // taps each side, at the output rate
    const double reach = half / std::min(1.0, ratio);  // in input samples
    const std::size_t n = static_cast<std::size_t>(std::floor(in.Data.size() * ratio));
    TSamples out;
    out.Rate = rate;
    out.Data.resize(n);
    const auto count = static_cast<std::ptrdiff_t>(in.Data.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double centre = i / ratio;
        const auto first = static_cast<std::ptrdiff_t>(std::ceil(centre - reach));
        const auto last = static_cast<std::ptrdiff_t>(std::floor(centre + reach));
        double acc = 0, weight = 0;
        for (std::ptrdiff_t k = std::max<std::ptrdiff_t>(first, 0); k <= std::min(last, count - 1);
             ++k) {
            const double x = k - centre;
            const double arg = 2 * cutoff * x;
            const double sinc =
                arg == 0 ? 1.0 : std::sin(std::numbers::pi * arg) / (std::numbers::pi * arg);
            const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * x / reach); // Hann
            const double w = sinc * window;
            acc += w * in.Data[static_cast<std::size_t>(k)];
            weight += w;
        }
        out.Data[i] = weight != 0 ? static_cast<float>(acc / weight) : 0.0f;
    }
    return out;
}

void TrimSilence(TSamples& s, float threshold, double margin, double fade) {
    auto& d = s.Data;
    const auto loud = [&](float v) { return std::fabs(v) >= threshold; };
    const auto first = std::find_if(d.begin(), d.end(), loud);
    if (first == d.end()) {
        d.clear();
        return;
    }
    const auto last = std::find_if(d.rbegin(), d.rend(), loud);
    const std::size_t keep = static_cast<std::size_t>(margin * s.Rate);
    std::size_t begin = static_cast<std::size_t>(first - d.begin());
    std::size_t end = d.size() - static_cast<std::size_t>(last - d.rbegin());
    begin = begin > keep ? begin - keep : 0;
    end = std::min(d.size(), end + keep);
    d = std::vector<float>(d.begin() + static_cast<std::ptrdiff_t>(begin),
                           d.begin() + static_cast<std::ptrdiff_t>(end));
    const std::size_t ramp = std::min(d.size() / 2, static_cast<std::size_t>(fade * s.Rate));
    for (std::size_t i = 0; i < ramp; ++i) {
        const float g = static_cast<float>(i) / static_cast<float>(ramp);
        d[i] *= g;
        d[d.size() - 1 - i] *= g;
    }
}

std::string ToUnsigned8(const TSamples& s) {
    std::string out(s.Data.size(), '\x80');
    for (std::size_t i = 0; i < s.Data.size(); ++i) {
        const long v = std::lround(s.Data[i] * 128.0f) + 128;
        out[i] = static_cast<char>(std::clamp(v, 0L, 255L));
    }
    return out;
}

std::string ToSigned16(const TSamples& s) {
    std::string out(s.Data.size() * 2, '\0');
    for (std::size_t i = 0; i < s.Data.size(); ++i) {
        const long v = std::clamp(std::lround(s.Data[i] * 32768.0f), -32768L, 32767L);
        out[2 * i] = static_cast<char>(v & 0xFF);
        out[2 * i + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
    return out;
}

} // namespace dictbuild

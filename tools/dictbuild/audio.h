// Sample processing of the dictionary builder: WAV files, resampling, silence trimming and
// the dictionary's two sample formats (16-bit signed, and the older 8-bit unsigned).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dictbuild {

// Mono samples in -1..1 at a sample rate.
struct TSamples {
    std::vector<float> Data;
    int Rate = 0;
};

// From 16-bit signed samples.
TSamples FromPcm16(const std::int16_t* samples, std::size_t count, int rate);
// Reads a PCM WAV file (8, 16, 24 or 32-bit integer or 32-bit float, any channel count, which
// are mixed down). Throws std::runtime_error naming the file on anything else, and on a float
// sample that is infinite or not a number.
TSamples ReadWav(const std::filesystem::path& file);
// Resamples with a windowed-sinc low-pass filter at the lower of the two Nyquist rates.
TSamples Resample(const TSamples& in, int rate);
// Cuts leading and trailing silence (below threshold, relative to full scale), keeping margin
// seconds of lead-in and lead-out, and fades the new ends in and out over fade seconds so
// that joined units do not click.
void TrimSilence(TSamples& s, float threshold, double margin, double fade);
// 8-bit unsigned samples (0x80 is silence), rounded and clipped.
std::string ToUnsigned8(const TSamples& s);
// 16-bit signed little-endian samples, rounded and clipped.
std::string ToSigned16(const TSamples& s);

} // namespace dictbuild

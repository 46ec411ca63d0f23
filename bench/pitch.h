// The pitch of recorded speech, to show that a change of speed keeps it: the median over the
// voiced frames of the lag of each frame's best autocorrelation.
#pragma once

#include "speech/sounddata.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace tavibench {

// The first channel in -1..1.
inline std::vector<double> Wave(const std::string& s, const tavi::TSoundFormat& f) {
    std::vector<double> out;
    for (std::size_t i = 0; i + f.BlockAlign <= s.size(); i += f.BlockAlign) {
        const auto lo = static_cast<unsigned char>(s[i]);
        out.push_back(f.BitsPerSample == 8 ? (lo - 128) / 128.0
                                           : static_cast<std::int16_t>(
                                                 lo | static_cast<unsigned char>(s[i + 1]) << 8) /
                                                 32768.0);
    }
    return out;
}

// The median pitch of the voiced 40 ms frames, each the lag of its best autocorrelation
// between 70 and 400 Hz.
inline double MedianPitch(const std::string& samples, const tavi::TSoundFormat& f) {
    const std::vector<double> w = Wave(samples, f);
    const std::size_t frame = f.SamplesPerSec / 25, hop = f.SamplesPerSec / 100;
    std::vector<double> pitches;
    for (std::size_t at = 0; at + frame < w.size(); at += hop) {
        double energy = 0, best = 0;
        std::size_t lag = 0;
        for (std::size_t i = 0; i < frame; ++i) energy += w[at + i] * w[at + i];
        if (energy / static_cast<double>(frame) < 0.005) continue;
        for (std::size_t l = f.SamplesPerSec / 400; l <= f.SamplesPerSec / 70; ++l) {
            double c = 0;
            for (std::size_t i = 0; i + l < frame; ++i) c += w[at + i] * w[at + i + l];
            if (c > best) best = c, lag = l;
        }
        if (best > 0.5 * energy) pitches.push_back(static_cast<double>(f.SamplesPerSec) / lag);
    }
    if (pitches.empty()) return 0;
    std::nth_element(pitches.begin(), pitches.begin() + pitches.size() / 2, pitches.end());
    return pitches[pitches.size() / 2];
}

} // namespace tavibench

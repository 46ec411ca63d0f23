// The loudness of a unit of speech, and the step that brings every unit of a voice to one
// loudness without letting a sample pass full scale.
//
// The measure follows ITU-R BS.1770 (K-weighting, then the mean power of the blocks that pass an
// absolute gate and a gate 10 dB under the level of those), with blocks of 20 ms every millisecond
// instead of 400 ms: a syllable lasts about 250 ms, so the standard's blocks would each hold the
// whole unit with its lead-in and lead-out, where short ones keep only the voiced nucleus that
// the ear judges. A full-scale 1 kHz sine measures about -3 dB.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace tavi {

struct TLevelling {
    // dB, by the measure above: the level of espeak-ng's own speech, which the English voice
    // plays as it comes, so that both voices are heard alike. It leaves most syllables' peaks
    // under the ceiling; about one in eight is limited, by at most 3.5 dB.
    double Target = -18.0;
    float Ceiling = 0.95f; // of full scale: no sample goes past it
    double Attack = 0.002; // seconds over which the limiter's gain comes down before a peak
    double Release = 0.04; // seconds for its gain to come most of the way back
};

// The loudness of mono samples in -1..1 at rate (dB); none for silence.
std::optional<double> UnitLoudness(std::span<const float> samples, int rate);

// Lowers the gain smoothly around every sample that is past ceiling, so that none is; the gain
// starts down attack seconds before the peak and comes back with the release time, and is 1
// where nothing is limited.
void LimitPeaks(std::vector<float>& samples, int rate, float ceiling, double attack,
                double release);

// Brings the samples to the target loudness and limits their peaks; silence is left as it is.
// A unit whose peaks the limiter lowers is lifted once more by what the limiting took off, so
// that peaky units end near the target too.
void LevelUnit(std::vector<float>& samples, int rate, const TLevelling& how = {});

} // namespace tavi

#include "speech/loudness.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <numbers>

namespace tavi {

namespace {

// Blocks start every millisecond: with fewer, whether a block at the edge of a short unit
// passes the gate depends on where the blocks happen to fall, which moved units by up to 0.8 dB.
constexpr double BlockTime = 0.020, HopTime = 0.001;
constexpr double AbsoluteGate = -70.0, RelativeGate = -10.0; // dB, as BS.1770's
constexpr double Offset = -0.691; // BS.1770's, so that a 1 kHz sine reads its mean power
// Rounds of gain and limiting: each lifts a limited unit by what the limiting took off; the
// third leaves real syllables within a few tenths of a decibel of the target.
constexpr int MakeUpPasses = 3;

// A second-order section, run in transposed direct form II.
struct TBiquad {
    double B0, B1, B2, A1, A2; // divided by a0
    double Z1 = 0, Z2 = 0;
    double Run(double x) {
        const double y = B0 * x + Z1;
        Z1 = B1 * x - A1 * y + Z2;
        Z2 = B2 * x - A2 * y;
        return y;
    }
};

// The two stages of the K-weighting at any rate, by the bilinear transform of the analogue
// filters that give BS.1770's 48 kHz coefficients exactly: a shelf of +4 dB above about 1.7 kHz
// (the head's effect), then a high-pass at 38 Hz.
std::pair<TBiquad, TBiquad> KWeighting(int rate) {
    const auto warp = [&](double hz) { return std::tan(std::numbers::pi * hz / rate); };
    const double k = warp(1681.974450955533), q = 0.7071752369554196;
    const double vh = std::pow(10.0, 3.999843853973347 / 20), vb = std::pow(vh, 0.4996667741545416);
    const double a0 = 1 + k / q + k * k;
    const TBiquad shelf{(vh + vb * k / q + k * k) / a0, 2 * (k * k - vh) / a0,
                        (vh - vb * k / q + k * k) / a0, 2 * (k * k - 1) / a0,
                        (1 - k / q + k * k) / a0};
    const double h = warp(38.13547087602444), hq = 0.5003270373238773;
    const double h0 = 1 + h / hq + h * h;
    const TBiquad highPass{1, -2, 1, 2 * (h * h - 1) / h0, (1 - h / hq + h * h) / h0};
    return {shelf, highPass};
}

double Decibels(double power) {
    return Offset + 10 * std::log10(power);
}

// The mean power of the K-weighted samples in each block.
std::vector<double> BlockPowers(std::span<const float> samples, int rate) {
    auto [shelf, highPass] = KWeighting(rate);
    std::vector<double> sums(samples.size() + 1); // of the weighted powers before each sample
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double y = highPass.Run(shelf.Run(samples[i]));
        sums[i + 1] = sums[i] + y * y;
    }
    const std::size_t size =
        std::min(samples.size(), std::max<std::size_t>(1, std::lround(BlockTime * rate)));
    const std::size_t hop = std::max<std::size_t>(1, std::lround(HopTime * rate));
    std::vector<double> powers;
    for (std::size_t at = 0; at + size <= samples.size(); at += hop)
        powers.push_back(std::max(0.0, sums[at + size] - sums[at]) / static_cast<double>(size));
    return powers;
}

// The mean of the powers whose level is above gate, and how many there were.
std::pair<double, std::size_t> GatedMean(const std::vector<double>& powers, double gate) {
    double sum = 0;
    std::size_t count = 0;
    for (double p : powers)
        if (p > 0 && Decibels(p) > gate) sum += p, ++count;
    return {count ? sum / static_cast<double>(count) : 0, count};
}

// For each j in -(span-1) .. size-1 (stored from 0), the least of need[j .. j+span-1], taking
// 1 outside the samples.
std::vector<double> ForwardMinimum(const std::vector<double>& need, std::size_t span) {
    std::vector<double> out(need.size() + span - 1);
    std::deque<std::size_t> window; // indices of need, their values rising
    for (std::size_t end = 0; end < out.size(); ++end) {
        if (end < need.size()) {
            while (!window.empty() && need[window.back()] >= need[end]) window.pop_back();
            window.push_back(end);
        }
        while (!window.empty() && window.front() + span <= end) window.pop_front();
        out[end] = window.empty() ? 1.0 : std::min(1.0, need[window.front()]);
    }
    return out;
}

} // namespace

std::optional<double> UnitLoudness(std::span<const float> samples, int rate) {
    if (samples.empty() || rate <= 0) return std::nullopt;
    const std::vector<double> powers = BlockPowers(samples, rate);
    const auto [loud, count] = GatedMean(powers, AbsoluteGate);
    if (!count) return std::nullopt;
    const auto [voiced, kept] = GatedMean(powers, Decibels(loud) + RelativeGate);
    return Decibels(kept ? voiced : loud);
}

void LimitPeaks(std::vector<float>& samples, int rate, float ceiling, double attack,
                double release) {
    std::vector<double> need(samples.size()); // the gain each sample alone would need
    bool any = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double v = std::fabs(samples[i]);
        need[i] = v > ceiling ? ceiling / v : 1.0;
        any |= v > ceiling;
    }
    if (!any) return;
    // Every gain averaged below covers the sample it is applied to, so no sample gets more
    // gain than it needs; the release only ever lowers a gain, which keeps that true.
    const std::size_t span = std::max<std::size_t>(1, std::lround(attack * rate));
    std::vector<double> gain = ForwardMinimum(need, span);
    const double back = 1 - std::exp(-1 / std::max(1.0, release * rate));
    for (std::size_t j = 1; j < gain.size(); ++j)
        gain[j] = std::min(gain[j], gain[j - 1] + (1 - gain[j - 1]) * back);
    double sum = 0;
    for (std::size_t j = 0; j + 1 < span; ++j) sum += gain[j];
    for (std::size_t n = 0; n < samples.size(); ++n) {
        sum += gain[n + span - 1];
        const double g = sum / static_cast<double>(span);
        sum -= gain[n];
        samples[n] = std::clamp(static_cast<float>(samples[n] * g), -ceiling, ceiling);
    }
}

void LevelUnit(std::vector<float>& samples, int rate, const TLevelling& how) {
    const std::optional<double> loudness = UnitLoudness(samples, rate);
    if (!loudness) return;
    const std::vector<float> original = samples;
    double gain = std::pow(10.0, (how.Target - *loudness) / 20);
    for (int pass = 0; pass < MakeUpPasses; ++pass) {
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = static_cast<float>(original[i] * gain);
        LimitPeaks(samples, rate, how.Ceiling, how.Attack, how.Release);
        const std::optional<double> now = UnitLoudness(samples, rate);
        if (!now || *now > how.Target - 0.05) return;
        gain *= std::pow(10.0, (how.Target - *now) / 20);
    }
}

} // namespace tavi

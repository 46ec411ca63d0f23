// The loudness of units and the levelling that the dictionary builder gives every unit, on
// made-up signals.
#include "speech/loudness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// seconds of a sine of the given amplitude and frequency, after lead seconds of silence and
// followed by as much.
std::vector<float> Tone(int rate, double seconds, double amplitude, double hz = 997,
                        double lead = 0) {
    const auto quiet = static_cast<std::size_t>(lead * rate);
    std::vector<float> s(quiet);
    for (int i = 0; i < static_cast<int>(seconds * rate); ++i)
        s.push_back(static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    s.resize(s.size() + quiet);
    return s;
}

// A tone with a single full-scale sample in its middle, as a click of a recording is.
std::vector<float> Clicked(std::vector<float> s) {
    s[s.size() / 2] = 1.0f;
    return s;
}

// A buzz of narrow pulses 5 ms apart, as a creaky voice is: a high peak over little power.
std::vector<float> Pulses(int rate) {
    std::vector<float> s(static_cast<std::size_t>(0.3 * rate));
    for (std::size_t i = 0; i < s.size(); i += static_cast<std::size_t>(0.005 * rate)) {
        s[i] = 0.6f;
        s[i + 1] = -0.3f;
    }
    return s;
}

float Peak(const std::vector<float>& s) {
    float top = 0;
    for (float v : s) top = std::max(top, std::fabs(v));
    return top;
}

TEST(UnitLoudness, ReadsSinesAsTheStandardDoesAndOnlyTheSoundOfAUnit) {
    const struct {
        const char* name;
        std::vector<float> samples;
        int rate;
        std::optional<double> expected;
        double within = 0.1;
    } cases[] = {
        {"a full-scale 997 Hz sine", Tone(22050, 1, 1.0), 22050, -3.01},
        {"the same at the older dictionary's rate", Tone(11025, 1, 1.0), 11025, -3.01},
        {"a tenth of it", Tone(22050, 1, 0.1), 22050, -23.01},
        // The blocks that straddle its ends take a little off; the silence takes nothing.
        {"a syllable's length between seconds of silence", Tone(22050, 0.25, 0.1, 997, 2), 22050,
         -23.01, 0.5},
        {"silence", std::vector<float>(22050), 22050, std::nullopt},
        {"nothing", {}, 22050, std::nullopt},
    };
    for (const auto& c : cases) {
        const std::optional<double> got = tavi::UnitLoudness(c.samples, c.rate);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.name;
        if (got) {
            EXPECT_NEAR(*got, *c.expected, c.within) << c.name;
        }
    }
}

TEST(LevelUnit, BringsUnitsToOneLoudnessAndNoSamplePastTheCeiling) {
    const tavi::TLevelling how;
    const struct {
        const char* name;
        std::vector<float> samples;
    } cases[] = {
        {"a quiet tone", Tone(22050, 0.3, 0.003)},
        {"a loud tone", Tone(22050, 0.3, 0.9)},
        {"a quiet tone between silences", Tone(22050, 0.2, 0.01, 440, 0.1)},
        {"a quiet tone with a click", Clicked(Tone(22050, 0.3, 0.01))},
        {"a high-pitched tone", Tone(22050, 0.3, 0.5, 3000)},
        {"a buzz of narrow pulses", Pulses(22050)},
    };
    for (const auto& c : cases) {
        std::vector<float> s = c.samples;
        tavi::LevelUnit(s, 22050, how);
        EXPECT_LE(Peak(s), how.Ceiling) << c.name;
        EXPECT_NEAR(tavi::UnitLoudness(s, 22050).value_or(0), how.Target, 0.5) << c.name;
    }
    std::vector<float> clicked = Clicked(Tone(22050, 0.3, 0.01)), plain = Tone(22050, 0.3, 0.01);
    std::vector<float> silent(1000);
    tavi::LevelUnit(clicked, 22050, how);
    tavi::LevelUnit(plain, 22050, how);
    // The click is limited where it is: a tenth of a second off, the tone has within 1 dB the
    // gain that it has without the click, where capping the unit's gain would take 23 dB off.
    const auto away = static_cast<std::ptrdiff_t>(clicked.size() / 2 - 2205);
    const float ratio = Peak({clicked.begin(), clicked.begin() + away}) /
                        Peak({plain.begin(), plain.begin() + away});
    EXPECT_NEAR(20 * std::log10(ratio), 0, 1);
    tavi::LevelUnit(silent, 22050, how);
    EXPECT_EQ(Peak(silent), 0.0f);
}

} // namespace

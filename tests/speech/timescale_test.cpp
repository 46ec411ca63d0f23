// Speech made faster and slower: a long vowel of the real voice, in the sample formats the
// program plays, keeps its pitch and takes the time the rate says, whether it is scaled at
// once or in pieces cut anywhere.
#include "speechtest.h"
#include "support/pitch.h"

#include "platform/errors.h"
#include "speech/speechrate.h"
#include "speech/timescale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using tavi::TSoundFormat;

using tavitest::MedianPitch;
using tavitest::Pcm;

std::string Scaled(const TSoundFormat& f, double speed, const std::string& in, std::size_t cut) {
    tavi::TTimeScaler scaler(f, speed);
    std::string out = scaler.Scale(in.substr(0, cut));
    out += scaler.Scale(in.substr(cut));
    return out + scaler.Flush();
}

#ifdef TAVI_HAVE_DICT
TEST(TimeScale, KeepsThePitchAndTakesTheTimeOfTheRate) {
    // A long vowel: the dictionary's "a" three times, in the level tone, whose pitch is flat.
    tavi::TSoundData dict(tavitest::DataDir() / "dict.dat", tavitest::DataDir() / "dict.idx");
    tavi::TMemoryStream vowel;
    for (int i = 0; i < 3; ++i) dict.AppendSound(*dict.Find("a"), vowel);
    const struct {
        TSoundFormat format;
        double speed;
    } cases[] = {
        {Pcm(11025, 8), 0.5},     {Pcm(11025, 8), 2.0},  {Pcm(11025, 8), tavi::MaxRate},
        {Pcm(22050, 16), 0.75},   {Pcm(22050, 16), 3.5}, {Pcm(22050, 16), tavi::MaxRate},
        {Pcm(22050, 16, 2), 1.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.format.SamplesPerSec) + " Hz " +
                     std::to_string(c.format.BitsPerSample) + "-bit x" + std::to_string(c.speed));
        const std::string sound = tavitest::Reformat(vowel.Data, dict.ReadFormat(), c.format);
        const std::string whole = Scaled(c.format, c.speed, sound, sound.size());
        // Cut in the middle of a frame, as pieces of any length may be.
        EXPECT_EQ(Scaled(c.format, c.speed, sound, sound.size() / 3 + 1), whole);
        EXPECT_EQ(whole.size() % c.format.BlockAlign, 0u);
        const double expected = static_cast<double>(sound.size()) / c.speed;
        EXPECT_NEAR(static_cast<double>(whole.size()), expected, 0.05 * expected);
        const double pitch = MedianPitch(sound, c.format);
        ASSERT_GT(pitch, 70.0);
        EXPECT_NEAR(MedianPitch(whole, c.format), pitch, 0.05 * pitch);
    }
}
#endif

TEST(TimeScale, AFormatNoDeviceTakesIsRefused) {
    TSoundFormat odd = Pcm(11025, 8);
    odd.BitsPerSample = 12;
    EXPECT_THROW(tavi::TTimeScaler(odd, 2.0), tavi::EDataError);
}

TEST(SpeechRate, StepsAndTheEnglishRateStayInTheirRanges) {
    const struct {
        int step;
        double rate;
    } steps[] = {{-3, 0.5}, {1, 0.5}, {tavi::NormalRateStep, 1.0}, {10, 3.5}, {13, 5.0}, {99, 5.0}};
    for (const auto& s : steps) EXPECT_EQ(tavi::RateOfStep(s.step), s.rate) << s.step;
    const struct {
        double rate;
        int wpm;
    } english[] = {{0.5, 80}, {1.0, 140}, {2.0, 280}, {3.5, 450}, {40.0, 450}, {NAN, 140}};
    for (const auto& e : english) EXPECT_EQ(tavi::EnglishWordsPerMinute(e.rate), e.wpm) << e.rate;
}

} // namespace

// Speech made faster and slower: real words of the English voice, in the sample formats the
// program plays, take the time the rate says and come out the same whether they are scaled at
// once or in pieces cut anywhere, even inside a 16-bit sample. (Their pitch is measured by
// bench_rate.)
#include "platform/errors.h"
#include "speech/englishvoice.h"
#include "speech/speechrate.h"
#include "speech/timescale.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using tavi::TSoundFormat;

std::string Scaled(const TSoundFormat& f, double speed, const std::string& in, std::size_t cut) {
    tavi::TTimeScaler scaler(f, speed);
    std::string out = scaler.Scale(in.substr(0, cut));
    out += scaler.Scale(in.substr(cut));
    return out + scaler.Flush();
}

TEST(TimeScale, TakesTheTimeOfTheRateInPiecesCutAnywhere) {
    tavi::TEnglishVoice voice(tavi::CreateESpeakEngine());
    const struct {
        TSoundFormat format;
        double speed;
    } cases[] = {{TSoundFormat(), tavi::MinRate},
                 {TSoundFormat(), 3.5},
                 {tavi::Pcm16Format, 0.75},
                 {tavi::Pcm16Format, tavi::MaxRate},
                 {tavi::PcmFormat(22050, 16, 2), 1.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.format.BlockAlign) + " bytes a frame, x" +
                     std::to_string(c.speed));
        const std::string word = voice.Sound("Saul calls all", c.format);
        const std::string whole = Scaled(c.format, c.speed, word, word.size());
        EXPECT_EQ(Scaled(c.format, c.speed, word, word.size() / 3 + 1), whole);
        EXPECT_EQ(whole.size() % c.format.BlockAlign, 0u);
        const double expected = static_cast<double>(word.size()) / c.speed;
        EXPECT_NEAR(static_cast<double>(whole.size()), expected, 0.05 * expected);
    }
    TSoundFormat odd;
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

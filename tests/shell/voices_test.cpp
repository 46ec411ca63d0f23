// The program's own voices on the null audio device: the reader plays to its end, the beep
// blocks until it is played, the volume moves in steps.
#include "codes/vncodeconverter.h"
#include "document/sentencewalk.h"
#include "platform/eventwait.h"
#include "platform/singlecopy.h"
#include "shell/speechlog.h"
#include "shell/voices.h"
#include "speech/qtaudio.h"
#include "speech/speechrate.h"
#include "speech/waveout.h"
#include "speech/wavfile.h"
#include "speech/wordreader.h"
#include "support/testdata.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

class VoicesTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavi::TAudioChoice choice;
        choice.Device = tavi::TAudioChoice::Null;
        previous = tavi::SetAudioSystem(std::make_unique<tavi::TQtAudioSystem>(choice));
    }
    void TearDown() override { tavi::SetAudioSystem(std::move(previous)); }
    std::unique_ptr<tavi::TAudioSystem> previous;
};

TEST_F(VoicesTest, TheReaderPlaysAVietnameseTextToItsEnd) {
    tavi::TProgramVoices voices;
    EXPECT_TRUE(voices.StartupProblems.empty());
    ASSERT_NE(tavi::WordReader(), nullptr);
    std::vector<std::string> units;
    tavi::WordReader()->OnUnit = [&](const tavi::TIndexRecord& r) { units.push_back(r.Name); };
    voices.ReaderSpeak("Vie\xE4t Nam", "Vni for Win", false);
    EXPECT_EQ(voices.ReaderState(), tavi::TReaderState::Playing);
    voices.WaitWhilePlaying();
    EXPECT_EQ(voices.ReaderState(), tavi::TReaderState::Idle);
    EXPECT_EQ(units, (std::vector<std::string>{"vi\x88t\x05", "nam"}));
}

TEST_F(VoicesTest, TheBeepIsHeardToItsEndBeforeTheCallReturns) {
    tavi::TProgramVoices voices;
    QElapsedTimer clock;
    clock.start();
    voices.PlaySoundFile(tavitest::DataDir() / "Wave/Beep.wav");
    EXPECT_GE(clock.elapsed(), 100); // the beep lasts 120 ms
    clock.restart();
    voices.PlaySoundFile(tavitest::DataDir() / "no such file.wav"); // silently nothing
    EXPECT_LT(clock.elapsed(), 100);
}

TEST_F(VoicesTest, VolumeAndEnglishEngine) {
    tavi::TProgramVoices voices;
    voices.SetVolume(32767);
    EXPECT_EQ(voices.Volume(), 32767);
    EXPECT_FALSE(voices.EngineActive());
    voices.EngineSpeak("nothing while inactive");
    voices.SetEngineActive(true);
    EXPECT_TRUE(voices.EngineActive());
    voices.EngineSpeak("Hello.");
    voices.EngineReset();
    voices.SetEngineActive(false);
}

TEST_F(VoicesTest, EnglishWordsInPlaceAndTheReadersRateThroughTheSpeechLog) {
    const tavitest::TempDir dir;
    tavi::TAudioChoice choice;
    choice.Device = tavi::TAudioChoice::Wav;
    choice.WavFile = dir / "said.wav";
    tavi::SetAudioSystem(std::make_unique<tavi::TQtAudioSystem>(choice));
    std::vector<std::string> said;
    tavi::TSpeechLogPort port(
        std::make_unique<tavi::TProgramVoices>(),
        [&](const std::string& line) { said.push_back(line.substr(line.find('\t') + 1)); });
    std::vector<std::string> english;
    tavi::WordReader()->OnEnglish = [&](const std::string& w) { english.push_back(w); };
    const std::string sentence = "Tôi dùng Windows và Facebook, gửi email qua Gmail.";
    const auto say = [&] {
        port.ReaderSpeak(tavi::ConvertBetween("Unicode", "Vni for Win", sentence), "Vni for Win",
                         false);
        port.WaitWhilePlaying();
        return static_cast<double>(
            tavi::ParseWav(tavitest::ReadFile(choice.WavFile)).Samples.size());
    };
    const double normal = say();
    EXPECT_EQ(said,
              (std::vector<std::string>{"vi\tTôi dùng ", "en\tWindows", "vi\t và ", "en\tFacebook",
                                        "vi\t, gửi ", "en\temail", "vi\t qua Gmail."}));
    EXPECT_EQ(english, (std::vector<std::string>{"Windows", "Facebook", "email"}));
    port.SetReaderRate(tavi::MaxRate);
    EXPECT_NEAR(say() * tavi::MaxRate, normal, 0.05 * normal);
    port.SetEnglishWords(false);
    said.clear();
    say();
    EXPECT_EQ(said, std::vector<std::string>{"vi\t" + sentence});
}

TEST_F(VoicesTest, ReadOnThroughTheSpeechLogSentenceBySentence) {
    std::vector<std::string> said;
    tavi::TSpeechLogPort port(
        std::make_unique<tavi::TProgramVoices>(),
        [&](const std::string& line) { said.push_back(line.substr(line.find('\t') + 1)); });
    for (const bool english : {false, true}) {
        SCOPED_TRACE(english ? "English" : "Vietnamese");
        const std::string doc =
            english ? "One day. Two words!\r\nThree."
                    : tavi::ConvertBetween("Unicode", "Vni for Win", "Một hai. Ba bốn!\r\nNăm.");
        tavi::TReadOnSource source(
            [&](std::size_t pos, std::size_t n) {
                return pos < doc.size() ? doc.substr(pos, n) : "";
            },
            0);
        std::vector<std::size_t> starts;
        port.SetEngineActive(english);
        said.clear();
        port.ReadOn({[&] { return source.Next(); },
                     [&](std::size_t n) { starts.push_back(source.Start(n)); }, "Vni for Win",
                     false, english});
        ASSERT_TRUE(tavi::PumpEventsUntil([&] { return starts.size() == 2; }, 30000));
        const auto place = port.StopReadOn(); // in the second sentence, before its first word
        ASSERT_TRUE(place);
        EXPECT_EQ(source.Place(place->Text, place->Offset), starts[1]);
        EXPECT_EQ(starts[1], english ? 9u : 10u);
        EXPECT_EQ(said, english ? (std::vector<std::string>{"en\tOne day.", "en\tTwo words!"})
                                : (std::vector<std::string>{"vi\tMột hai.", "vi\tBa bốn!"}));
        EXPECT_EQ(port.StopReadOn(), std::nullopt);
    }
}

TEST(SingleCopy, ASecondCopyIsRefused) {
    tavitest::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    tavi::TSingleCopy first(folder);
    EXPECT_TRUE(first.IsFirst());
    {
        tavi::TSingleCopy second(folder);
        EXPECT_FALSE(second.IsFirst());
    }
    tavitest::TempDir other;
    EXPECT_TRUE(tavi::TSingleCopy(QString::fromStdString(other.path().string())).IsFirst());
}

} // namespace

// The program's own voices on the null audio device: the reader plays to its end, the beep
// blocks until it is played, the volume moves in steps.
#include "platform/singlecopy.h"
#include "shell/voices.h"
#include "speech/qtaudio.h"
#include "speech/waveout.h"
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
    EXPECT_EQ(voices.StartupProblems, "");
    ASSERT_NE(tavi::WordReader(), nullptr);
    std::vector<std::string> units;
    tavi::WordReader()->OnUnit = [&](const tavi::TIndexRecord& r) { units.push_back(r.Name); };
    voices.ReaderSpeak("Vie\xE4t Nam", "Vni for Win", false);
    EXPECT_EQ(voices.ReaderState(), 0);
    voices.WaitWhilePlaying();
    EXPECT_EQ(voices.ReaderState(), 2);
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

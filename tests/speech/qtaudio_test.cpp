// The devices of the Qt layer with both voices: the silent device, the WAV file, and the sound
// server through libpulse. The test program starts a private PulseAudio server with a null
// output before any test runs (tests/speech/pulse-server.sh), and ends and starts it again.
#include "speechtest.h"

#include "platform/paths.h"
#include "speech/mastervol.h"
#include "speech/pulseout.h"
#include "speech/qtaudio.h"
#include "speech/speechwait.h"
#include "speech/tts.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;

// ---- the sound server of the test program ----

class PulseServer : public ::testing::Environment {
public:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("tavi-pulse-" + std::to_string(::getpid()));
        const fs::path script = tavitest::SourceDir() / "tests/speech/pulse-server.sh";
        const std::string log = (Dir.string() + ".log");
        const std::string cmd =
            "'" + script.string() + "' start '" + Dir.string() + "' 2>'" + log + "'";
        if (std::system(cmd.c_str()) == 0) {
            // libpulse finds the server through these when the first device looks for it.
            setenv("XDG_RUNTIME_DIR", Dir.c_str(), 1);
            setenv("PULSE_SERVER", ("unix:" + (Dir / "pulse/native").string()).c_str(), 1);
            Ready = true;
        } else {
            Problem = tavitest::ReadFile(log);
        }
        std::error_code ec;
        fs::remove(log, ec);
    }
    void TearDown() override {
        if (!Ready) return;
        Run("stop");
        std::error_code ec;
        fs::remove_all(Dir, ec);
    }
    // Ends or starts the server again, as a user's session does when its sound server restarts.
    static bool Run(const char* what) {
        const fs::path script = tavitest::SourceDir() / "tests/speech/pulse-server.sh";
        return std::system(
                   ("'" + script.string() + "' " + what + " '" + Dir.string() + "'").c_str()) == 0;
    }
    static inline bool Ready = false;
    static inline std::string Problem;

private:
    static inline fs::path Dir;
};

[[maybe_unused]] ::testing::Environment* const Server =
    ::testing::AddGlobalTestEnvironment(new PulseServer);

// ---- helpers ----

// Passes everything to a device and notes where its completions arrive.
class Watched : public tavi::TWaveOut {
public:
    explicit Watched(std::unique_ptr<tavi::TWaveOut> inner) : Inner(std::move(inner)) {
        Inner->OnDone = [this](std::uint64_t tag) {
            Threads.push_back(QThread::currentThread());
            if (OnDone) OnDone(tag);
        };
    }
    bool Open(const tavi::TSoundFormat& f) override { return Pass(Inner->Open(f)); }
    bool Write(std::string_view s, std::uint64_t tag) override {
        ++Writes;
        return Pass(Inner->Write(s, tag));
    }
    bool Queues() const override { return Inner->Queues(); }
    std::size_t Played() const override { return Inner->Played(); }
    bool Pause() override { return Pass(Inner->Pause()); }
    bool Restart() override { return Pass(Inner->Restart()); }
    bool Reset() override { return Pass(Inner->Reset()); }
    bool Close() override { return Pass(Inner->Close()); }
    bool IsOpen() const override { return Inner->IsOpen(); }

    std::vector<QThread*> Threads;
    int Writes = 0;

private:
    bool Pass(bool ok) { return ok ? Succeed() : Fail(Inner->ErrorText()); }
    std::unique_ptr<tavi::TWaveOut> Inner;
};

// Installs an audio system for one test and puts the previous one back.
struct ScopedSystem {
    explicit ScopedSystem(tavi::TAudioChoice::Kind kind, fs::path wav = {})
        : Old(tavi::SetAudioSystem(
              std::make_unique<tavi::TQtAudioSystem>(tavi::TAudioChoice{kind, wav, {}}))),
          Volume(tavi::OutputVolume()) {}
    ~ScopedSystem() {
        tavi::SetAudioSystem(std::move(Old));
        tavi::SetOutputVolume(Volume);
    }
    std::unique_ptr<tavi::TAudioSystem> Old;
    std::uint32_t Volume;
};

// Units of ten milliseconds and no silences (marks speak, and none has a recording), so that
// a text of many units is quick to play.
struct QuickVoice {
    QuickVoice() : Dict({"a"}) {
        Dict.Reader->SpeakSymbols = true;
        Dict.Reader->OnUnit = nullptr;
        Dict.Reader->OnSilence = nullptr;
    }
    tavi::TWordReader& R() { return *Dict.Reader; }
    speechtest::SmallDictionary Dict;
};

std::string Words(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "a ";
    return text;
}

// Waits for the reader, but never for ever.
bool Played(const tavi::TTextReader& reader, int ms = 60000) {
    return tavi::PumpEventsUntil([&] { return reader.State != 0; }, ms);
}

using speechtest::RealReader;

// The sound of a whole text as the reader builds it, chunk after chunk.
std::string Sound(const std::string& text) {
    return RealReader()->WholeSound(text);
}

const char* const Sentence = "Xin chào, tôi là Tavi.";

// ---- the choice of device ----

TEST(AudioChoice, FromTheEnvironment) {
    using K = tavi::TAudioChoice;
    const struct {
        std::string value;
        K::Kind kind;
        std::string wav;
        bool problem;
    } cases[] = {
        {"", K::Server, "", false},
        {"auto", K::Server, "", false},
        {"pulse", K::Server, "", false},
        {"qt", K::Server, "", false},
        {"null", K::Null, "", false},
        {"none", K::None, "", false},
        {"wav:/tmp/x.wav", K::Wav, "/tmp/x.wav", false},
        {"wav:", K::Server, "", true},
        {"alsa", K::Server, "", true},
    };
    for (const auto& c : cases) {
        const tavi::TAudioChoice got = tavi::ParseAudioChoice(c.value);
        EXPECT_EQ(got.Device, c.kind) << c.value;
        EXPECT_EQ(got.WavFile.string(), c.wav) << c.value;
        EXPECT_EQ(!got.Problem.empty(), c.problem) << c.value;
    }
}

TEST(AudioChoice, InstalledAtStart) {
    const char* old = std::getenv("TAVI_AUDIO");
    const std::string saved = old ? old : "";
    ScopedSystem keep(tavi::TAudioChoice::None);
    const struct {
        const char* value;
        int devices;
    } cases[] = {{"none", 0}, {"null", 1}, {"wav:/tmp/tavi-unused.wav", 1}};
    for (const auto& c : cases) {
        setenv("TAVI_AUDIO", c.value, 1);
        tavi::InstallAudioSystem();
        EXPECT_EQ(tavi::AudioSystem().DeviceCount(), c.devices) << c.value;
        EXPECT_EQ(tavi::TMasterVol().DeviceCount, c.devices) << c.value;
    }
    if (old)
        setenv("TAVI_AUDIO", saved.c_str(), 1);
    else
        unsetenv("TAVI_AUDIO");
}

// ---- the silent device ----

TEST(NullDevice, ReadsChunkAfterChunkToTheEnd) {
    QuickVoice v;
    auto device = std::make_unique<Watched>(std::make_unique<tavi::TNullWaveOut>());
    Watched* watched = device.get();
    v.R().SetWaveOut(std::move(device));
    EXPECT_TRUE(v.R().Speak(Words(150))); // two chunks: 100 and 50 units
    EXPECT_EQ(v.R().State, 0);
    ASSERT_TRUE(Played(v.R()));
    EXPECT_EQ(v.R().State, 2);
    EXPECT_FALSE(v.R().DeviceOpen);
    EXPECT_EQ(watched->Writes, 2);
    ASSERT_EQ(watched->Threads.size(), 2u);
    for (QThread* t : watched->Threads) EXPECT_EQ(t, QCoreApplication::instance()->thread());
}

TEST(NullDevice, PauseHoldsTheChunk) {
    QuickVoice v;
    v.R().SetWaveOut(std::make_unique<tavi::TNullWaveOut>());
    v.R().Speak(Words(20)); // 0.2 seconds
    ASSERT_TRUE(v.R().PauseReading());
    // Far longer than the chunk plays: a paused device reports nothing.
    tavi::PumpEventsUntil([] { return false; }, 600);
    EXPECT_EQ(v.R().State, 1);
    ASSERT_TRUE(v.R().ResumeReading());
    ASSERT_TRUE(Played(v.R()));
    EXPECT_EQ(v.R().State, 2);
}

TEST(NullDevice, StoppedChunkStartsNothing) {
    QuickVoice v;
    auto device = std::make_unique<Watched>(std::make_unique<tavi::TNullWaveOut>());
    Watched* watched = device.get();
    v.R().SetWaveOut(std::move(device));
    v.R().Speak(Words(150));
    v.R().StopReading();
    tavi::PumpEventsUntil([] { return false; }, 1500);
    EXPECT_EQ(v.R().State, 2);
    EXPECT_EQ(watched->Writes, 1);
    EXPECT_TRUE(watched->Threads.empty());
}

// ---- the WAV file ----

#ifdef TAVI_HAVE_DICT
TEST(WavDevice, HoldsWhatTheReaderPlayedAtTheMasterVolume) {
    tavitest::TempDir dir;
    ScopedSystem system(tavi::TAudioChoice::Wav, dir / "out.wav");
    tavi::TMasterVol volume;
    ASSERT_EQ(volume.DeviceCount, 1);
    for (const int position : {10, 5}) {
        SCOPED_TRACE(position);
        volume.SetVolume(tavi::TMasterVol::PositionVolume(position));
        auto reader = RealReader(); // plays on the device of the installed system
        EXPECT_TRUE(reader->Speak(Sentence));
        ASSERT_TRUE(Played(*reader));
        const std::string wav = tavitest::ReadFile(dir / "out.wav");
        const tavi::TSoundFormat format = reader->Sounds->ReadFormat();
        const std::string expected = tavi::ScaleSamples(
            format, Sound(Sentence), tavi::TMasterVol::PositionVolume(position) * 0x10001u);
        EXPECT_EQ(wav, tavi::WaveFileBytes(format, expected));
        if (position == 5) {
            EXPECT_NE(expected, Sound(Sentence));
        }
    }
}
#endif

TEST(WavDevice, EnglishEngineWritesItsFile) {
    tavitest::TempDir dir;
    ScopedSystem system(tavi::TAudioChoice::Null);
    tavi::TTTS tts(tavi::CreateESpeakEngine());
    tts.OutputDest = tavi::TOutPutDest::odFile;
    tts.SetOutputFile((dir / "english.wav").string());
    tts.SetActive(true);
    ASSERT_TRUE(tts.Active()) << tts.ActivationError;
    tts.Speak("Hello. This is the English voice.");
    ASSERT_TRUE(tavi::PumpEventsUntil([&] { return !tts.Speaking(); }, 60000));
    const std::string wav = tavitest::ReadFile(dir / "english.wav");
    ASSERT_GT(wav.size(), 44u + 22050u); // more than a quarter of a second
    const tavi::TSoundFormat f = tavi::TSoundFormat::Parse(std::string_view(wav).substr(20, 16));
    EXPECT_EQ(f.Channels, 2);
    EXPECT_EQ(f.BitsPerSample, 16);
    EXPECT_EQ(f.SamplesPerSec, 22050u);
    EXPECT_EQ(wav.size() - 44, static_cast<std::size_t>(wav[40] & 0xFF) |
                                   static_cast<std::size_t>(wav[41] & 0xFF) << 8 |
                                   static_cast<std::size_t>(wav[42] & 0xFF) << 16 |
                                   static_cast<std::size_t>(wav[43] & 0xFF) << 24);
}

// ---- the sound server ----

class SoundServer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PulseServer::Ready)
            GTEST_SKIP() << "no PulseAudio server could be started for the test: "
                         << PulseServer::Problem;
    }
};

TEST_F(SoundServer, HasAnOutput) {
    ScopedSystem system(tavi::TAudioChoice::Server);
    EXPECT_GE(tavi::AudioSystem().DeviceCount(), 1);
    EXPECT_TRUE(tavi::PumpEventsUntil([] { return tavi::PulseServerReady(); }, 10000));
}

#ifdef TAVI_HAVE_DICT
TEST_F(SoundServer, ReaderPlaysASpokenTextToItsEnd) {
    auto reader = RealReader();
    auto device = std::make_unique<Watched>(std::make_unique<tavi::TPulseWaveOut>());
    Watched* watched = device.get();
    reader->SetWaveOut(std::move(device));
    EXPECT_TRUE(reader->Speak(Sentence)) << reader->ErrorText;
    EXPECT_EQ(reader->State, 0);
    ASSERT_TRUE(Played(*reader));
    EXPECT_EQ(reader->State, 2);
    EXPECT_FALSE(reader->DeviceOpen);
    EXPECT_TRUE(reader->ErrorText.empty()) << reader->ErrorText;
    ASSERT_EQ(watched->Threads.size(), 1u);
    EXPECT_EQ(watched->Threads[0], QCoreApplication::instance()->thread());
}

TEST_F(SoundServer, SpeakingAgainCutsOffTheFirstText) {
    auto reader = RealReader();
    auto device = std::make_unique<Watched>(std::make_unique<tavi::TPulseWaveOut>());
    Watched* watched = device.get();
    reader->SetWaveOut(std::move(device));
    const std::string prose = tavitest::ReadFile(tavitest::TestData("vi/maint-guide-prose.txt"));
    reader->Speak(prose.substr(0, prose.find(' ', 600))); // half a minute of speech
    tavi::PumpEventsUntil([] { return false; }, 300);
    EXPECT_EQ(reader->State, 0);
    EXPECT_TRUE(reader->Speak("zzzmesa"));
    ASSERT_TRUE(Played(*reader));
    EXPECT_EQ(reader->State, 2);
    EXPECT_EQ(watched->Writes, 2);
    EXPECT_EQ(watched->Threads.size(), 1u); // only the prompt was played to its end
}
#endif

TEST_F(SoundServer, ChunksFollowOneAnother) {
    QuickVoice v;
    auto device = std::make_unique<Watched>(std::make_unique<tavi::TPulseWaveOut>());
    Watched* watched = device.get();
    v.R().SetWaveOut(std::move(device));
    EXPECT_TRUE(v.R().Speak(Words(250))) << v.R().ErrorText; // three chunks
    ASSERT_TRUE(v.R().PauseReading());
    EXPECT_EQ(v.R().State, 1);
    ASSERT_TRUE(v.R().ResumeReading());
    ASSERT_TRUE(Played(v.R()));
    EXPECT_EQ(v.R().State, 2);
    EXPECT_EQ(watched->Writes, 3);
    EXPECT_EQ(watched->Threads.size(), 3u);
    // The next text opens the device again.
    EXPECT_TRUE(v.R().Speak(Words(3)));
    ASSERT_TRUE(Played(v.R()));
    EXPECT_EQ(watched->Threads.size(), 4u);
}

TEST_F(SoundServer, EnglishEngineSpeaksToTheEnd) {
    ScopedSystem system(tavi::TAudioChoice::Server);
    tavi::TTTS tts(tavi::CreateESpeakEngine());
    tts.SetSpeed(140);
    tts.SetActive(true);
    ASSERT_TRUE(tts.Active()) << tts.ActivationError;
    int stops = 0;
    tts.OnAudioStop = [&](std::uint64_t) { ++stops; };
    tts.Speak("Hello. Two short sentences.");
    EXPECT_TRUE(tts.Speaking());
    ASSERT_TRUE(tavi::PumpEventsUntil([&] { return !tts.Speaking(); }, 60000));
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(tts.ErrorText.empty()) << tts.ErrorText;
    // Paused speech waits; a reset drops it.
    tts.Speak("Paused.");
    tts.SetAudioPaused(true);
    tavi::WaitWhileSpeaking(tts); // returns at once: paused
    EXPECT_TRUE(tts.Speaking());
    tts.AudioReset();
    EXPECT_FALSE(tts.Speaking());
    EXPECT_FALSE(tts.AudioPaused());
}

// The server ends while a long text is read and comes back: the reader reads on in silence to
// its end, taking the time the sound takes, and the next text is played on the new server.
TEST_F(SoundServer, OutlivesTheServerAndFindsItAgain) {
    QuickVoice v;
    auto device = std::make_unique<tavi::TPulseWaveOut>();
    tavi::TPulseWaveOut* out = device.get();
    v.R().SetWaveOut(std::move(device));
    ASSERT_TRUE(tavi::PumpEventsUntil([] { return tavi::PulseServerReady(); }, 10000));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(v.R().Speak(Words(6000))) << v.R().ErrorText; // six seconds
        tavi::PumpEventsUntil([] { return false; }, 300);
        EXPECT_EQ(v.R().State, 0);
        EXPECT_EQ(out->Route(), tavi::TPulseWaveOut::TRoute::Server);
        ASSERT_TRUE(PulseServer::Run("stop"));
        ASSERT_TRUE(tavi::PumpEventsUntil(
            [&] { return out->Route() == tavi::TPulseWaveOut::TRoute::Silent; }, 5000));
        ASSERT_TRUE(Played(v.R()));
        EXPECT_EQ(v.R().State, 2);
        ASSERT_TRUE(PulseServer::Run("start"));
        ASSERT_TRUE(tavi::PumpEventsUntil([] { return tavi::PulseServerReady(); }, 10000));
        EXPECT_TRUE(v.R().Speak(Words(5)));
        EXPECT_EQ(out->Route(), tavi::TPulseWaveOut::TRoute::Server);
        ASSERT_TRUE(Played(v.R()));
    }
}

} // namespace

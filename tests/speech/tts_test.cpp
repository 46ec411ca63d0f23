// The English engine component over real espeak-ng, playing on devices that the test
// completes by hand. A small engine of the test's own stands in only for attribute ranges and
// product names that espeak-ng does not have.
#include "fakewaveout.h"

#include "speech/tts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using speechtest::DeviceLog;
using speechtest::FakeAudioSystem;
using speechtest::FakeWaveOut;
using speechtest::ScopedAudioSystem;
using Calls = std::vector<std::string>;

namespace {

// The message of the exception that f throws.
template <typename F> std::string Raised(F f) {
    try {
        f();
    } catch (const tavi::EOleError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

struct EnglishFixture : ::testing::Test {
    EnglishFixture() : Log(std::make_shared<DeviceLog>()) {}
    // espeak-ng on a fake device of a system with the given number of devices.
    std::unique_ptr<tavi::TTTS> Engine(int devices = 1) {
        Scope.reset();
        Scope =
            std::make_unique<ScopedAudioSystem>(std::make_unique<FakeAudioSystem>(Log, devices));
        auto engine = tavi::CreateESpeakEngine();
        EXPECT_TRUE(engine) << "espeak-ng cannot start (espeak-ng-data missing?)";
        return std::make_unique<tavi::TTTS>(std::move(engine));
    }
    std::unique_ptr<tavi::TTTS> Active() {
        auto tts = Engine();
        tts->SetSpeed(140);
        tts->SetActive(true);
        EXPECT_TRUE(tts->Active()) << tts->ActivationError;
        Log->Calls.clear();
        return tts;
    }
    std::shared_ptr<DeviceLog> Log;
    std::unique_ptr<ScopedAudioSystem> Scope;
};

using English = EnglishFixture;

TEST_F(English, WithoutEngineEverythingAsksForActive) {
    tavi::TTTS tts(nullptr);
    tts.SetActive(true);
    EXPECT_FALSE(tts.Active());
    EXPECT_EQ(tts.ActivationError,
              "Voice text could not find a text-to-speech engine to use.\r\nOLE error 80040717");
    EXPECT_EQ(Raised([&] { tts.Speak("hello"); }),
              "The Active property must be TRUE before the Speak method can be called");
    EXPECT_EQ(Raised([&] { tts.AudioReset(); }),
              "The Active property must be TRUE before the AudioReset method can be called");
    EXPECT_EQ(Raised([&] { tts.SetAudioPaused(true); }),
              "The Active property must be TRUE before the AudioPaused method can be called");
    tts.SetAudioPaused(false); // unchanged: nothing to do
    EXPECT_EQ(tts.ModeName(), "Default");
    tts.SetModeName("English (America)"); // no enumerator: ignored
    EXPECT_EQ(tts.ModeName(), "Default");
}

TEST_F(English, FailedActivationIsSilent) {
    const struct {
        tavi::TOutPutDest dest;
        int devices;
        std::string file;
        int other; // 0 no handler, 1 handler that gives nothing, 2 a device
        std::string failing;
        std::string error;
    } cases[] = {
        {tavi::TOutPutDest::odAudioDevice, 0, "", 0, "",
         "No wave out devices available on system."},
        {tavi::TOutPutDest::odFile, 1, "", 0, "",
         "OutputDest of odFile requres a valid path and file name in the OutputFile property"},
        {tavi::TOutPutDest::odOther, 1, "", 0, "",
         "An OnMakeOtherDest event must be defined to use an OutputDest of odOther."},
        {tavi::TOutPutDest::odOther, 1, "", 1, "",
         "OnMakeOtherDest must assign DestInterface parameter"},
        {tavi::TOutPutDest::odAudioDevice, 1, "", 0, "open", "open failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Log->Failing = {c.failing};
        auto tts = Engine(c.devices);
        tts->OutputDest = c.dest;
        tts->SetOutputFile(c.file);
        if (c.other > 0)
            tts->OnMakeOtherDest = [&](std::unique_ptr<tavi::TWaveOut>& dest) {
                if (c.other == 2) dest = std::make_unique<FakeWaveOut>(Log);
            };
        tts->SetActive(true);
        EXPECT_FALSE(tts->Active());
        EXPECT_EQ(tts->ActivationError, c.error);
        EXPECT_EQ(Raised([&] { tts->Speak("hello"); }),
                  "The Active property must be TRUE before the Speak method can be called");
    }
}

TEST_F(English, ModeNameAndDeviceOnlyWhileInactive) {
    auto tts = Active();
    EXPECT_EQ(Raised([&] { tts->SetModeName("Default"); }),
              "The Active property must be FALSE before you can set the ModeName property");
    EXPECT_EQ(Raised([&] { tts->SetAudioDeviceID(0); }),
              "The Active property must be FALSE before you can set the AudioDeviceID property");
    tts->SetActive(false);
    EXPECT_FALSE(tts->Active());
    EXPECT_EQ(Log->Calls, (Calls{"reset", "close"}));
    tts->SetModeName("Default");
    tts->SetAudioDeviceID(0);
}

TEST_F(English, AudioDeviceIDMustNameADevice) {
    auto tts = Engine(2);
    const std::string outside =
        "The value specified for the AudioDeviceID is outside the range of available IDs";
    for (const int id : {-2, 2, 3})
        EXPECT_EQ(Raised([&] { tts->SetAudioDeviceID(id); }), outside) << id;
    for (const int id : {-1, 0, 1}) {
        tts->SetAudioDeviceID(id);
        EXPECT_EQ(tts->AudioDeviceID(), id);
    }
    // Without a device the value is not even looked at.
    auto none = Engine(0);
    none->SetAudioDeviceID(7);
    EXPECT_EQ(none->AudioDeviceID(), -1);
}

TEST_F(English, ModesAreTheVoicesOfEspeak) {
    auto tts = Engine();
    EXPECT_EQ(tts->ModeName(), "Default");
    EXPECT_EQ(tts->Mode().Language.substr(0, 2), "en");
    EXPECT_EQ(tts->Mode().ProductName, "eSpeak NG");
    const std::string english = tts->Mode().ModeName;
    tts->SetModeName("English (America)");
    EXPECT_EQ(tts->ModeName(), "English (America)");
    EXPECT_EQ(tts->Mode().Language, "en-us");
    EXPECT_EQ(Raised([&] { tts->SetModeName("Klingon (Qo'noS)"); }),
              "The value assigned to the ModeName property is invalid");
    EXPECT_EQ(tts->ModeName(), "English (America)");
    tts->SetModeName(""); // nothing
    EXPECT_EQ(tts->ModeName(), "English (America)");
    tts->SetModeName("Default");
    EXPECT_EQ(tts->ModeName(), "Default");
    EXPECT_EQ(tts->Mode().ModeName, english);
    tts->SetActive(true);
    EXPECT_TRUE(tts->Active());
}

TEST_F(English, EspeakRangesAreProbedAndStoredValuesClamped) {
    const struct {
        int stored;
        int applied;
    } speeds[] = {{140, 140}, {-1, 175}, {10, 80}, {1000, 450}};
    for (const auto& s : speeds) {
        auto tts = Engine();
        tts->SetSpeed(s.stored);
        EXPECT_EQ(tts->Speed(), s.stored); // inactive: only stored
        tts->SetActive(true);
        ASSERT_TRUE(tts->Active());
        EXPECT_EQ(tts->Speed(), s.applied) << s.stored;
        EXPECT_EQ(tts->Pitch(), 50);    // espeak-ng's own
        EXPECT_EQ(tts->RealTime(), -1); // not supported
        EXPECT_EQ(tts->VolumeL(), 65535);
    }
}

TEST_F(English, AttributesWhileActive) {
    auto tts = Active();
    std::vector<std::uint32_t> changed;
    tts->OnAttribChanged = [&](std::uint32_t a) { changed.push_back(a); };
    EXPECT_EQ(Raised([&] { tts->SetSpeed(1000); }), "Speed out of range (80-450)");
    EXPECT_EQ(Raised([&] { tts->SetPitch(101); }), "Pitch out of range (0-100)");
    EXPECT_EQ(tts->Speed(), 140);
    tts->SetSpeed(300);
    EXPECT_EQ(tts->Speed(), 300);
    tts->SetRealTime(7); // unsupported: only stored
    EXPECT_EQ(tts->RealTime(), 7);
    EXPECT_EQ(changed, (std::vector<std::uint32_t>{2}));
}

TEST_F(English, TheTwoVolumesAreOneValueAndReachTheSamples) {
    auto tts = Active();
    tts->SetVolumeL(32767);
    EXPECT_EQ(tts->VolumeL(), 32767);
    EXPECT_EQ(tts->VolumeR(), 65535);
    tts->Speak("Hello.");
    ASSERT_EQ(Log->Buffers.size(), 1u);
    const std::string& s = Log->Buffers[0];
    ASSERT_GT(s.size(), 4000u);
    // Frames of two 16-bit channels: the left one is half the right one.
    const auto sample = [&](std::size_t at) {
        return static_cast<std::int16_t>(static_cast<unsigned char>(s[at]) |
                                         static_cast<unsigned char>(s[at + 1]) << 8);
    };
    int loud = 0;
    for (std::size_t at = 0; at + 4 <= s.size(); at += 4) {
        const int l = sample(at), r = sample(at + 2);
        EXPECT_NEAR(l, r / 2.0, 1.0);
        if (std::abs(r) > 1000) ++loud;
    }
    EXPECT_GT(loud, 100); // it is speech, not silence
    EXPECT_EQ(Log->Format.Channels, 2);
    EXPECT_EQ(Log->Format.BitsPerSample, 16);
}

TEST_F(English, SpeechPlaysPieceByPiece) {
    auto tts = Active();
    int started = 0, done = 0, audioOn = 0, audioOff = 0;
    tts->OnTextDataStarted = [&](std::uint64_t) { ++started; };
    tts->OnTextDataDone = [&](std::uint64_t, std::uint32_t) { ++done; };
    tts->OnAudioStart = [&](std::uint64_t) { ++audioOn; };
    tts->OnAudioStop = [&](std::uint64_t) { ++audioOff; };
    tts->Speak("One. Two!");
    tts->Speak("Three?"); // queued behind
    EXPECT_TRUE(tts->Speaking());
    EXPECT_EQ(Log->Calls, (Calls{"write"}));
    Log->Complete();
    EXPECT_EQ(Log->Calls, (Calls{"write", "write"}));
    Log->Complete();
    EXPECT_EQ(done, 1);
    Log->Complete();
    EXPECT_FALSE(tts->Speaking());
    EXPECT_EQ(Log->Calls, (Calls{"write", "write", "write"}));
    EXPECT_EQ(started, 2);
    EXPECT_EQ(done, 2);
    EXPECT_EQ(audioOn, 1);
    EXPECT_EQ(audioOff, 1);
    // Three different sounds, each of them speech.
    ASSERT_EQ(Log->Buffers.size(), 3u);
    EXPECT_NE(Log->Buffers[0], Log->Buffers[1]);
    EXPECT_NE(Log->Buffers[1], Log->Buffers[2]);
    // Empty text makes no sound.
    tts->Speak("");
    EXPECT_FALSE(tts->Speaking());
    EXPECT_EQ(Log->Buffers.size(), 3u);
}

TEST_F(English, ReadOnPlaysTextsInTurnAndTellsTheWordBeingHeard) {
    const std::vector<std::string> texts = {"Hello there.", "The second text is read next.", "End"};
    for (const bool queues : {false, true}) {
        SCOPED_TRACE(queues ? "queued" : "one at a time");
        auto tts = Active();
        Log->Queues = queues;
        Log->Tags.clear();
        Log->Buffers.clear();
        std::vector<std::size_t> heard, offsets;
        tts->OnTextHeard = [&](std::size_t n) { heard.push_back(n); };
        std::size_t next = 0;
        tts->ReadOn([&]() -> std::optional<std::string> {
            if (next == texts.size()) return std::nullopt;
            return texts[next++];
        });
        for (std::size_t done = 0; tts->Speaking(); ++done) {
            EXPECT_LE(Log->Tags.size() - done, queues ? 2u : 1u);
            // The second text: its place swept from its start to its end, word by word.
            for (std::size_t at = 0; heard.back() == 1 && at < Log->Buffers[done].size();
                 at += 441 * 4) {
                Log->Played = at;
                const std::size_t offset = tts->Place()->Offset;
                if (offsets.empty() || offsets.back() != offset) offsets.push_back(offset);
            }
            Log->Complete(Log->Tags[done]);
        }
        EXPECT_EQ(heard, (std::vector<std::size_t>{0, 1, 2}));
        EXPECT_EQ(offsets, (std::vector<std::size_t>{0, 4, 11, 16, 19, 24}));
        EXPECT_EQ(tts->Place(), std::nullopt);
        tts->Speak("Said, not read on.");
        EXPECT_EQ(heard.size(), 3u);
    }
}

TEST_F(English, PauseAndResetTheAudio) {
    auto tts = Active();
    tts->Speak("One. Two. Three.");
    const std::uint64_t first = Log->Tags.back();
    tts->SetAudioPaused(true);
    tts->SetAudioPaused(true); // unchanged
    EXPECT_TRUE(tts->AudioPaused());
    tts->AudioReset();
    EXPECT_FALSE(tts->AudioPaused());
    EXPECT_FALSE(tts->Speaking());
    EXPECT_EQ(Log->Calls, (Calls{"write", "pause", "reset"}));
    Log->Complete(first); // late: starts nothing
    EXPECT_EQ(Log->Calls, (Calls{"write", "pause", "reset"}));
    // Reset while not paused clears nothing more, and speech starts again afterwards.
    tts->AudioReset();
    tts->Speak("Four.");
    tts->SetAudioPaused(true);
    tts->SetAudioPaused(false);
    EXPECT_EQ(Log->Calls, (Calls{"write", "pause", "reset", "reset", "write", "pause", "restart"}));
}

TEST_F(English, DeviceFailures) {
    auto tts = Active();
    Log->Failing = {"write"};
    const std::string raised = Raised([&] { tts->Speak("One. Two."); });
    EXPECT_EQ(raised, "write failed");
    EXPECT_FALSE(tts->Speaking());
    Log->Failing = {"pause"};
    EXPECT_EQ(Raised([&] { tts->SetAudioPaused(true); }), "pause failed");
    EXPECT_FALSE(tts->AudioPaused());
    // A failure in a later piece reaches no caller: speech stops and says why.
    Log->Failing.clear();
    tts->Speak("One. Two.");
    Log->Failing = {"write"};
    Log->Complete();
    EXPECT_FALSE(tts->Speaking());
    EXPECT_EQ(tts->ErrorText, "write failed");
}

TEST_F(English, ControlTagsAndCharacterSets) {
    auto tts = Active();
    EXPECT_EQ(Raised([&] { tts->SetControlTags(tavi::TCtrlTags::ctTagged); }),
              "Control Tagging is not implemented in the eSpeak NG engine");
    EXPECT_EQ(tts->ControlTags(), tavi::TCtrlTags::ctNone);
    tts->SetCharacterSet(tavi::TChrSet::csEnginePhonetic);
    try {
        tts->SetCharacterSet(tavi::TChrSet::csIPAPhonetic);
        FAIL() << "IPA accepted";
    } catch (const tavi::ESpeechError& e) {
        EXPECT_EQ(e.ErrorCode, 0x80004001u);
        EXPECT_STREQ(e.what(), "Not implemented\r\nOLE error 80004001");
    }
    tts->SetCharacterSet(tavi::TChrSet::csText);
    EXPECT_FALSE(tts->ConvertToPhoneme("hello").empty());
}

TEST_F(English, FileDestinationFollowsOutputFile) {
    auto system = std::make_unique<FakeAudioSystem>(Log, 1);
    FakeAudioSystem* fake = system.get();
    ScopedAudioSystem scope(std::move(system));
    tavi::TTTS tts(tavi::CreateESpeakEngine());
    tts.OutputDest = tavi::TOutPutDest::odFile;
    tts.SetOutputFile("first.wav");
    tts.SetActive(true);
    ASSERT_TRUE(tts.Active()) << tts.ActivationError;
    tts.SetOutputFile("second.wav");
    EXPECT_EQ(fake->Files, (std::vector<std::string>{"first.wav", "second.wav"}));
    EXPECT_EQ(Raised([&] { tts.SetOutputFile(""); }),
              "OutputDest of odFile requres a valid path and file name in the OutputFile property");
    EXPECT_EQ(tts.OutputFile(), "second.wav");
}

// An engine with the attribute ranges and product names that a test asks for. Its sound is a
// short tone per text.
class RangeEngine : public tavi::ITTSEngine {
public:
    RangeEngine(std::string product, std::uint32_t speedMin, std::uint32_t speedMax)
        : Product(std::move(product)), SpeedMin(speedMin), SpeedMax(speedMax), Speed(speedMin) {}
    std::vector<tavi::TTTSModeInfo> Modes() override {
        tavi::TTTSModeInfo m;
        m.ModeName = "Test voice";
        m.ProductName = Product;
        return {m};
    }
    int DefaultMode() override { return 0; }
    std::uint32_t Select(const tavi::TTTSModeInfo&) override { return 0; }
    void Release() override {}
    std::uint32_t GetAttribute(tavi::TTTSAttribute a, std::uint32_t& v) override {
        if (a == tavi::TTTSAttribute::Speed) v = Speed;
        if (a == tavi::TTTSAttribute::Pitch) v = Pitch;
        return a == tavi::TTTSAttribute::Speed || a == tavi::TTTSAttribute::Pitch
                   ? 0
                   : tavi::ttsresult::NotImplemented;
    }
    std::uint32_t SetAttribute(tavi::TTTSAttribute a, std::uint32_t v) override {
        if (a == tavi::TTTSAttribute::Speed) Speed = std::clamp(v, SpeedMin, SpeedMax);
        if (a == tavi::TTTSAttribute::Pitch) Pitch = std::min(v, 200u);
        return a == tavi::TTTSAttribute::Speed || a == tavi::TTTSAttribute::Pitch
                   ? 0
                   : tavi::ttsresult::NotImplemented;
    }
    tavi::TSoundFormat Format() const override { return tavi::TSoundFormat(); }
    std::uint32_t Synthesize(std::string_view, tavi::TChrSet, bool, std::string& s) override {
        s += std::string(100, '\xC0');
        return 0;
    }
    std::uint32_t ToPhonemes(std::string_view, std::string&) override { return 0; }

private:
    std::string Product;
    std::uint32_t SpeedMin, SpeedMax, Speed;
    std::uint32_t Pitch = 100;
};

TEST_F(English, StoredSpeedIsHeldInTheEngineRange) {
    const struct {
        std::string product;
        std::uint32_t min, max;
        int stored, applied, pitch;
        std::string tooFast;
    } cases[] = {
        {"Test", 50, 250, 140, 140, 100, "Speed out of range (50-250)"},
        {"Test", 150, 300, 140, 150, 100, "Speed out of range (150-300)"},
        // Known engines: no probing for Laureate's speed, no pitch for ProVoice.
        {"Laureate", 0, 1000, 200, 150, 100, "Speed out of range (0-150)"},
        {"ProVoice", 50, 250, 140, 140, -1, "Speed out of range (50-250)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.product + " " + std::to_string(c.min));
        auto tts = Engine(); // installs the devices
        tavi::TTTS test(std::make_unique<RangeEngine>(c.product, c.min, c.max));
        test.SetSpeed(c.stored);
        test.SetPitch(-1);
        test.SetActive(true);
        ASSERT_TRUE(test.Active()) << test.ActivationError;
        EXPECT_EQ(test.Speed(), c.applied);
        EXPECT_EQ(test.Pitch(), c.pitch);
        EXPECT_EQ(Raised([&] { test.SetSpeed(5000); }), c.tooFast);
    }
}

TEST(SpeechMessages, TextsAndEngineErrors) {
    EXPECT_EQ(tavi::SpeechMessage(62304, {"Control Tagging", "X"}),
              "Control Tagging is not implemented in the X engine");
    EXPECT_EQ(tavi::SpeechMessage(62313, {"Pitch", "0", "100"}), "Pitch out of range (0-100)");
    EXPECT_EQ(tavi::SpeechMessage(62303),
              "Couldn't create attributes Interface: Is engine registered?");
    EXPECT_EQ(tavi::SpeechMessage(62324), "Default");
    const struct {
        std::uint32_t code;
        std::string text;
    } errors[] = {
        {0x80040201, "The speech recognition or text-to-speech service does not have enough "
                     "data.\r\nOLE error 80040201"},
        {0x80040203, "The audio device is in use at this time.\r\nOLE error 80040203"},
        {0x80040717,
         "Voice text could not find a text-to-speech engine to use.\r\nOLE error 80040717"},
        {0x80004005, "Unspecified error\r\nOLE error 80004005"},
        {0x8badf00d, "Unknown error\r\nOLE error 8badf00d"},
    };
    for (const auto& e : errors) {
        EXPECT_EQ(tavi::SpeechErrorText(e.code), e.text);
        EXPECT_EQ(tavi::ESpeechError(e.code).ErrorCode, e.code);
    }
}

TEST(SplitSpeech, SentencesAndLongRuns) {
    const struct {
        std::string text;
        std::size_t max;
        std::vector<std::string> pieces;
    } cases[] = {
        {"", 400, {}},
        {"   \r\n ", 400, {}},
        {"One. Two! Three? Four; five", 400, {"One.", " Two!", " Three?", " Four;", " five"}},
        {"Pi is 3.14 today.", 400, {"Pi is 3.14 today."}}, // a full stop inside a number
        {"line one\nline two", 400, {"line one\n", "line two"}},
        {"aaa bbb ccc", 8, {"aaa bbb ", "ccc"}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},
        {"aaaa bbb", 4, {"aaaa", " bbb"}}, // a blank just past the limit
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::SplitSpeech(c.text, c.max), c.pieces) << c.text;
}

TEST(AnsiToUtf8, Windows1252) {
    EXPECT_EQ(tavi::AnsiToUtf8("caf\xE9 \x80 \x93x\x94 \x81"),
              "caf\xC3\xA9 \xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC2\x81");
}

} // namespace

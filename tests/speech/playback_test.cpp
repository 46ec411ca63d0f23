// The reader's playback: the state table, chunk after chunk, stopping, pausing and the failures
// of the device, on a device that the test completes by hand.
#include "fakewaveout.h"
#include "speechtest.h"

#include "platform/errors.h"
#include "speech/speechrate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

using speechtest::DeviceLog;
using speechtest::FakeWaveOut;
using speechtest::SmallDictionary;
using Calls = std::vector<std::string>;

namespace {

// A reader over a small dictionary, playing on a fake device.
struct Player {
    Player() : Dict({"a", "b", ",", "zzzmesa"}), Log(std::make_shared<DeviceLog>()) {
        Dict.Reader->SetWaveOut(std::make_unique<FakeWaveOut>(Log));
        Log->Calls.clear();
    }
    tavi::TWordReader& R() { return *Dict.Reader; }
    int Units() const {
        return static_cast<int>(std::count_if(Dict.Events.begin(), Dict.Events.end(),
                                              [](const std::string& e) { return e[0] == 'u'; }));
    }
    SmallDictionary Dict;
    std::shared_ptr<DeviceLog> Log;
};

// n words "a" separated by blanks.
std::string Words(int n, const std::string& word = "a") {
    std::string text;
    for (int i = 0; i < n; ++i) text += word + " ";
    return text;
}

TEST(Playback, ChunkAfterChunkUntilTheTextIsUsedUp) {
    Player p;
    EXPECT_TRUE(p.R().Speak(Words(150)));
    EXPECT_EQ(p.R().State, 0);
    EXPECT_TRUE(p.R().DeviceOpen);
    EXPECT_EQ(p.Log->Calls, (Calls{"open", "write"}));
    EXPECT_EQ(p.Log->Format.Bytes(), p.R().Sounds->ReadFormat().Bytes());
    EXPECT_EQ(p.Units(), 100);
    EXPECT_EQ(p.Log->Buffers[0], p.R().Buffer.Data); // the buffer stays as it was handed over

    p.Log->Complete();
    EXPECT_EQ(p.R().State, 0);
    EXPECT_EQ(p.Log->Calls, (Calls{"open", "write", "reset", "write"}));
    EXPECT_EQ(p.Units(), 150);

    p.Log->Complete();
    EXPECT_EQ(p.R().State, 2);
    EXPECT_FALSE(p.R().DeviceOpen);
    EXPECT_EQ(p.Log->Calls, (Calls{"open", "write", "reset", "write", "reset", "close"}));
    EXPECT_TRUE(p.R().ErrorText.empty());

    // The next text opens the device again, with the format of the sound data file.
    p.Log->Calls.clear();
    EXPECT_TRUE(p.R().Speak("b"));
    EXPECT_EQ(p.Log->Calls, (Calls{"open", "write"}));
    EXPECT_EQ(p.Log->Format.Bytes(), p.R().Sounds->ReadFormat().Bytes());
}

TEST(Playback, SpeakingAgainCutsOffAndStartsTheNewTextFromItsBeginning) {
    for (const bool paused : {false, true}) {
        SCOPED_TRACE(paused ? "paused" : "playing");
        Player p;
        p.R().Speak(Words(150));
        const std::uint64_t old = p.Log->Tags.back();
        if (paused) {
            EXPECT_TRUE(p.R().PauseReading());
        }
        p.Log->Calls.clear();
        EXPECT_TRUE(p.R().Speak("b a"));
        EXPECT_EQ(p.Log->Calls, (Calls{"reset", "write"}));
        EXPECT_EQ(p.R().State, 0);
        EXPECT_EQ(p.Log->Buffers.back(), p.R().Buffer.Data);
        EXPECT_EQ(p.Log->Buffers.back().substr(0, 11), speechtest::SamplesOf("b"));

        // The completion of the cut-off chunk comes late: it must not start anything.
        p.Log->Complete(old);
        EXPECT_EQ(p.Log->Calls, (Calls{"reset", "write"}));
        EXPECT_EQ(p.R().State, 0);
        p.Log->Complete();
        EXPECT_EQ(p.R().State, 2);
    }
}

TEST(Playback, CompletionAfterStopIsIgnored) {
    Player p;
    p.R().Speak(Words(150));
    const std::uint64_t tag = p.Log->Tags.back();
    EXPECT_FALSE(p.R().StopReading());
    EXPECT_EQ(p.R().State, 2);
    EXPECT_TRUE(p.R().Buffer.Data.empty());
    p.Log->Calls.clear();
    p.Log->Complete(tag);
    EXPECT_TRUE(p.Log->Calls.empty());
    EXPECT_EQ(p.R().State, 2);
}

TEST(Playback, TextsWithoutSound) {
    const struct {
        std::string text;
        bool symbols;
        bool plays;
    } cases[] = {
        {"", false, false},
        {std::string("\0a", 2), false, false}, // the text ends at its first 00
        {"x y", true, false},                  // with symbols: no recording, no silence
        {" , ", false, true},                  // silences alone still play
        {"x y", false, true},                  // unknown words keep their silences
        {"zzzmesa", false, true},              // a prompt
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Player p;
        p.R().SpeakSymbols = c.symbols;
        EXPECT_TRUE(p.R().Speak(c.text));
        EXPECT_EQ(p.R().State, c.plays ? 0 : 2);
        EXPECT_EQ(p.Log->Calls, c.plays ? (Calls{"open", "write"}) : (Calls{"open"}));
        // An empty chunk leaves the device open until a later text is read to its end.
        EXPECT_TRUE(p.R().DeviceOpen);
    }
}

TEST(Playback, PauseAndResumeOnlyInTheirStates) {
    // State 2 (idle), 0 (playing), 1 (paused), each with the call that must refuse.
    for (const int state : {0, 1, 2}) {
        for (const bool pause : {true, false}) {
            if ((state == 0 && pause) || (state == 1 && !pause)) continue;
            SCOPED_TRACE(std::to_string(state) + (pause ? " pause" : " resume"));
            Player p;
            if (state != 2) p.R().Speak("a b");
            if (state == 1) p.R().Pause();
            p.R().ErrorText = "kept";
            p.Log->Calls.clear();
            EXPECT_FALSE(pause ? p.R().PauseReading() : p.R().ResumeReading());
            EXPECT_EQ(p.R().State, state);
            EXPECT_EQ(p.R().ErrorText, "kept");
            EXPECT_TRUE(p.Log->Calls.empty());
        }
    }
}

TEST(Playback, PauseHoldsAndResumeGoesOn) {
    Player p;
    p.R().Speak("a b");
    EXPECT_TRUE(p.R().PauseReading());
    EXPECT_EQ(p.R().State, 1);
    EXPECT_TRUE(p.R().ResumeReading());
    EXPECT_EQ(p.R().State, 0);
    EXPECT_EQ(p.Log->Calls, (Calls{"open", "write", "pause", "restart"}));
    p.Log->Complete();
    EXPECT_EQ(p.R().State, 2);
}

TEST(Playback, DeviceFailures) {
    const struct {
        std::string failing;
        std::string error;
        int state;
        bool open;
    } cases[] = {
        {"open", "write to a closed device", 2, false},
        {"write", "write failed", 2, true},
        {"pause", "pause failed", 0, true},
        {"restart", "restart failed", 1, true},
        {"reset", "reset failed", 2, false},
        {"close", "close failed", 2, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        Player p;
        p.Log->Failing.insert(c.failing);
        const bool spoke = p.R().Speak("a b");
        EXPECT_EQ(spoke, c.failing != "open" && c.failing != "write");
        if (c.failing == "pause") {
            EXPECT_FALSE(p.R().PauseReading());
        }
        if (c.failing == "restart") {
            EXPECT_TRUE(p.R().PauseReading());
            EXPECT_FALSE(p.R().ResumeReading());
        }
        if (c.failing == "reset" || c.failing == "close") {
            EXPECT_EQ(p.R().StopReading(), c.failing == "close");
        }
        EXPECT_EQ(p.R().State, c.state);
        EXPECT_EQ(p.R().DeviceOpen, c.open);
        EXPECT_EQ(p.R().ErrorText, c.error);
    }
}

TEST(Playback, WithoutAnyDeviceTheReaderIsIdleAtOnce) {
    SmallDictionary d({"a"});
    // No audio system is installed in the core tests: the reader has no device.
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(d.Reader->Speak("a a a"));
        EXPECT_EQ(d.Reader->State, 2);
        EXPECT_FALSE(d.Reader->DeviceOpen);
        EXPECT_EQ(d.Reader->ErrorText, tavi::NoDeviceText);
    }
    EXPECT_FALSE(d.Reader->StopReading());
    EXPECT_FALSE(d.Reader->PauseReading());
}

// A reader of "a" and "b" whose data file ends in the middle of "b", on a fake device.
struct BrokenDictionary {
    BrokenDictionary() {
        const std::vector<tavi::TSoundUnit> units = {{"a", std::string(50, 'a')},
                                                     {"b", std::string(50, 'b')}};
        tavi::WriteSoundDictionary(Dir / "dict.dat", Dir / "dict.idx", tavi::TSoundFormat(), units);
        const std::string data = tavitest::ReadFile(Dir / "dict.dat");
        tavitest::WriteFile(Dir / "dict.dat", data.substr(0, data.size() - 10));
        Reader.emplace(Dir / "dict.dat", Dir / "dict.idx", "");
        Reader->SetCodeTable("Unicode");
        Reader->SetWaveOut(std::make_unique<FakeWaveOut>(Log));
    }
    tavitest::TempDir Dir;
    std::shared_ptr<DeviceLog> Log = std::make_shared<DeviceLog>();
    std::optional<tavi::TWordReader> Reader;
};

TEST(Playback, UnreadableUnitStopsTheReaderWithItsError) {
    BrokenDictionary broken;
    tavi::TWordReader& reader = *broken.Reader;
    auto& log = broken.Log;

    // Speak itself: the error leaves it, the reader stays idle.
    EXPECT_THROW(reader.Speak("b"), tavi::EReadError);
    EXPECT_EQ(reader.State, 2);

    // In a later chunk the error reaches no caller: the reader stops and keeps its text.
    EXPECT_TRUE(reader.Speak(Words(100) + "b"));
    EXPECT_EQ(reader.State, 0);
    log->Complete();
    EXPECT_EQ(reader.State, 2);
    EXPECT_EQ(reader.ErrorText, "Stream read error");

    // The next text is read from its beginning, with none of the broken chunk in it.
    EXPECT_TRUE(reader.Speak("a"));
    EXPECT_EQ(log->Buffers.back(), std::string(50, 'a') + std::string(1000, '\x80'));
}

TEST(Playback, InPiecesAtOtherRatesAndWithEnglishWords) {
    const struct {
        double rate;
        bool english;
    } cases[] = {{tavi::MinRate, false}, {1.0, true}, {2.0, false}, {tavi::MaxRate, true}};
    const std::string text = Words(150) + "Windows " + Words(50, "b");
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + (c.english ? " english" : ""));
        Player p;
        p.R().SetRate(c.rate);
        if (c.english) speechtest::ReadEnglishWords(p.R());
        const std::string whole = p.R().WholeSound(text);
        EXPECT_TRUE(p.R().Speak(text));
        EXPECT_EQ(p.Log->Calls, (Calls{"open", "write"}));
        // The first piece is short: the first sound never waits for the rest to be made.
        EXPECT_LT(p.Log->Buffers[0].size(), 11025u / 2);
        EXPECT_TRUE(p.R().PauseReading());
        EXPECT_TRUE(p.R().ResumeReading());
        for (int n = 0; p.R().State == 0 && n < 1000; ++n) p.Log->Complete();
        std::string played;
        for (const auto& b : p.Log->Buffers) played += b;
        EXPECT_EQ(played.size(), whole.size());
        EXPECT_TRUE(played == whole); // (the sound itself is too long to be printed)
        EXPECT_GT(p.Log->Buffers.size(), 2u);
        EXPECT_EQ(p.Log->Calls.back(), "close");

        // A new text cuts the pieces of the old one off; the old one's completion comes late.
        p.R().Speak(text);
        const std::uint64_t old = p.Log->Tags.back();
        p.Log->Calls.clear();
        EXPECT_TRUE(p.R().Speak("b"));
        p.Log->Complete(old);
        EXPECT_EQ(p.Log->Calls, (Calls{"reset", "write"}));
        EXPECT_FALSE(p.R().StopReading());
        EXPECT_EQ(p.R().State, 2);
    }
}

TEST(Playback, AnUnreadableUnitInALaterPieceStopsTheReaderOnceTheOneBeforeIsPlayed) {
    BrokenDictionary broken;
    tavi::TWordReader& reader = *broken.Reader;
    auto& log = broken.Log;
    reader.SetRate(2.0);
    EXPECT_THROW(reader.Speak("b"), tavi::EReadError); // in the first piece: Speak fails
    EXPECT_EQ(reader.State, 2);
    EXPECT_TRUE(reader.Speak(Words(100) + "b"));
    for (int n = 0; reader.State == 0 && n < 1000; ++n) log->Complete();
    EXPECT_EQ(reader.State, 2);
    EXPECT_EQ(reader.ErrorText, "Stream read error");
    EXPECT_GT(log->Buffers.size(), 2u); // the pieces before it were played
}

// The buffers of a device that queues, reported one by one from the oldest.
struct Queued {
    explicit Queued(DeviceLog& log) : Log(log) {}
    std::size_t Waiting() const { return Log.Tags.size() - Done; }
    void CompleteOldest() { Log.Complete(Log.Tags[Done++]); }
    // Reports buffers until the sound position given (counted from the first buffer on) is in
    // the oldest one waiting, which has played up to it.
    void PlayTo(std::size_t pos) {
        while (Done < Log.Buffers.size() && pos >= Before + Log.Buffers[Done].size()) {
            Before += Log.Buffers[Done].size();
            CompleteOldest();
        }
        Log.Played = pos - Before;
    }
    DeviceLog& Log;
    std::size_t Done = 0, Before = 0;
};

TEST(Playback, ReadOnPlaysTextsOneAfterAnotherWithoutAGap) {
    const std::vector<std::string> texts = {"a b,", "b " + Words(120) + ".", "a"};
    for (const bool queues : {false, true}) {
        for (const double rate : {1.0, 2.5, tavi::MaxRate}) {
            SCOPED_TRACE(std::to_string(rate) + (queues ? " queued" : ""));
            Player p;
            p.Log->Queues = queues;
            p.R().SetRate(rate);
            std::string whole;
            for (const auto& t : texts) whole += p.R().WholeSound(t);
            std::vector<std::size_t> started;
            p.R().OnTextStart = [&](std::size_t n) { started.push_back(n); };
            std::size_t next = 0, most = 0;
            EXPECT_TRUE(p.R().ReadOn([&]() -> std::optional<std::string> {
                if (next == texts.size()) return std::nullopt;
                return texts[next++];
            }));
            EXPECT_EQ(started, std::vector<std::size_t>{0});
            EXPECT_EQ(p.R().Place(), (tavi::TReadPlace{0, 0}));
            Queued device(*p.Log);
            while (p.R().State == 0 && device.Waiting() > 0) {
                most = std::max(most, device.Waiting());
                device.CompleteOldest();
            }
            EXPECT_EQ(started, (std::vector<std::size_t>{0, 1, 2}));
            std::string played;
            for (const auto& b : p.Log->Buffers) played += b;
            EXPECT_TRUE(played == whole); // no silence added between the texts
            EXPECT_EQ(most, queues ? 2u : 1u);
            EXPECT_EQ(p.Log->Calls.back(), "close");
            EXPECT_EQ(p.R().Place(), std::nullopt);
        }
    }
}

#ifdef TAVI_HAVE_DICT
TEST(Playback, ReadOnTellsTheWordBeingHeard) {
    // Each word is found in the sound as the sound of the words before it ends, at each rate.
    const std::vector<std::string> words = {"Tôi", "dùng", "Windows", "và", "Facebook."};
    auto reader = speechtest::RealReader();
    speechtest::ReadEnglishWords(*reader);
    for (const double rate : {1.0, 3.0, tavi::MaxRate}) {
        SCOPED_TRACE(rate);
        reader->SetRate(rate);
        std::string text;
        std::vector<std::size_t> offsets, sounds = {0};
        for (const auto& w : words) {
            offsets.push_back(text.size());
            text += w + " ";
            sounds.push_back(reader->WholeSound(text).size());
        }
        for (std::size_t k = 0; k < words.size(); ++k) {
            auto log = std::make_shared<DeviceLog>();
            log->Queues = true;
            reader->SetWaveOut(std::make_unique<speechtest::FakeWaveOut>(log));
            bool given = false;
            reader->ReadOn([&]() -> std::optional<std::string> {
                if (std::exchange(given, true)) return std::nullopt;
                return text;
            });
            Queued(*log).PlayTo(sounds[k] + (sounds[k + 1] - sounds[k]) / 4); // in its units
            EXPECT_EQ(reader->Place(), (tavi::TReadPlace{0, offsets[k]})) << words[k];
        }
    }
}
#endif

TEST(Playback, DestroyingTheReaderClosesItsDevice) {
    auto log = std::make_shared<DeviceLog>();
    {
        Player p;
        p.R().SetWaveOut(std::make_unique<FakeWaveOut>(log));
        p.R().Speak("a b");
        log->Calls.clear();
    }
    EXPECT_EQ(log->Calls, (Calls{"reset", "close"}));
    EXPECT_FALSE(log->Open);
}

} // namespace

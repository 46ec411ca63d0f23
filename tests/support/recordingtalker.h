// A talker that records what a window says, for tests.
#pragma once

#include "dialogs/talker.h"

#include <string>
#include <vector>

namespace tavitest {

// Base: ITalker, or an interface built on it (the mail windows' host).
template <class Base = tavi::ITalker> class RecordingTalkerT : public Base {
public:
    struct Said {
        std::string text, table;
        bool english = false, controls = false;
        bool operator==(const Said&) const = default;
    };
    std::vector<Said> said;
    int beeps = 0;
    bool soundOn = true;
    bool playing = false;
    int stops = 0;

    void SpeakText(const std::string& text, const std::string& table, bool english,
                   bool controls) override {
        if (soundOn) said.push_back({text, table, english, controls});
    }
    void PlayBeep() override { ++beeps; }
    bool SoundOn() const override { return soundOn; }
    void WaitWhileSpeaking() override { playing = false; }
    void StopReading() override {
        ++stops;
        playing = false;
    }
    void PauseReading() override {}
    void ResumeReading() override {}
    bool Playing() const override { return playing; }
    std::vector<std::string> messages; // shown in a box, sound being off
    void ShowMessage(const std::string& text, bool) override { messages.push_back(text); }

    // The texts said so far, in order.
    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& s : said) out.push_back(s.text);
        return out;
    }
    void Clear() {
        said.clear();
        beeps = 0;
    }
};

using RecordingTalker = RecordingTalkerT<>;

} // namespace tavitest

// What every talking window needs from the main window: its speak operation, its beep and the
// state of its speech. Dialogs talk only through this, so that they can be tested with a
// recorder and used by any owner.
#pragma once

#include "codes/tablenames.h"

#include <string>
#include <vector>

namespace tavi {

// An outcome told to the user, a failure unless said otherwise. While sound is on: the prompts,
// one after another, then the words (an error's own, in English) in the English voice. While
// it is off: the message (UTF-8) and the words in a box.
struct TReport {
    std::vector<std::string> Prompts;
    std::string Words;
    std::string Message;
    bool Failure = true;
};

class ITalker {
public:
    virtual ~ITalker() = default;
    // Speaks text held in the named code table; useEnglish chooses the English engine,
    // readControlChars reads punctuation by its own sound. Does nothing while sound is off.
    virtual void SpeakText(const std::string& text, const std::string& codeTable, bool useEnglish,
                           bool readControlChars) = 0;
    // The one beep that says a key had nothing to act on.
    virtual void PlayBeep() = 0;
    // The speech setting of the main window.
    virtual bool SoundOn() const = 0;
    // Keeps the user interface alive until the Vietnamese voice is no longer playing.
    virtual void WaitWhileSpeaking() = 0;
    // Stops, pauses and resumes the Vietnamese voice; Playing() is its state 0.
    virtual void StopReading() = 0;
    virtual void PauseReading() = 0;
    virtual void ResumeReading() = 0;
    virtual bool Playing() const = 0;
    // A box with a message (UTF-8): how a report is told while sound is off.
    virtual void ShowMessage(const std::string& text, bool failure) = 0;

    // The one way every window tells an outcome.
    void Report(const TReport& r) {
        if (!SoundOn()) {
            const char* gap = r.Message.empty() || r.Words.empty() ? "" : "\n";
            return ShowMessage(r.Message + gap + r.Words, r.Failure);
        }
        for (std::size_t i = 0; i < r.Prompts.size(); ++i) {
            if (i > 0) WaitWhileSpeaking(); // each is heard whole
            Announce(r.Prompts[i]);
        }
        if (r.Words.empty()) return;
        if (!r.Prompts.empty()) WaitWhileSpeaking();
        SpeakText(r.Words, VniWinTable, true, false);
    }
    void Report(const std::string& key, const std::string& message, bool failure = true) {
        Report(TReport{{key}, {}, message, failure});
    }

    // A Vietnamese text or message key, punctuation as pauses.
    void Announce(const std::string& text) { SpeakText(text, VniWinTable, false, false); }
    // The same with punctuation read by its own sound: typed characters, field contents.
    void Echo(const std::string& text) { SpeakText(text, VniWinTable, false, true); }
};

} // namespace tavi

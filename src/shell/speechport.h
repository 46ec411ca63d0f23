// What the main window drives to be heard: the Vietnamese reader, the English engine, the
// beep and the volume. The program plugs in the real voices; tests plug in a recorder.
#pragma once

#include "codes/tablenames.h"
#include "speech/wordreader.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavi {

// Where the Vietnamese reader is with what it was given.
enum class TReaderState { Playing, Paused, Idle };

// The voice that said a warning: whichever works.
enum class TWarningVoice { Reader, Engine, Beeps };

// A part of the program that could not be started, as the user is told it once they have
// given their name: a message key, its Vietnamese words (UTF-8) for a voice without the
// dictionary, and what went wrong (English, for the error output and support).
struct TStartupProblem {
    std::string Prompt;
    std::string Words;
    std::string Detail;
    bool operator==(const TStartupProblem&) const = default;
};

// Adds a problem to the list, once a prompt: the user hears each once, whatever number of
// parts it stopped, and the details of all of them are kept.
inline void NoteProblem(std::vector<TStartupProblem>& list, const TStartupProblem& problem,
                        const std::string& detail) {
    for (TStartupProblem& p : list)
        if (p.Prompt == problem.Prompt) return void(p.Detail += "; " + detail);
    list.push_back(problem);
    list.back().Detail = detail;
}

class ISpeechPort {
public:
    virtual ~ISpeechPort() = default;

    // The Vietnamese reader: text in a code table, punctuation read by its sound or not.
    virtual void ReaderSpeak(const std::string& text, const std::string& codeTable,
                             bool speakSymbols) = 0;
    virtual void StopReading() = 0;
    virtual void PauseReading() = 0;
    virtual void ResumeReading() = 0;
    virtual TReaderState ReaderState() const = 0;
    // Keeps the user interface alive until the reader is no longer playing.
    virtual void WaitWhilePlaying() = 0;
    // The pieces of a text for the reader that each voice says, in order: English words inside
    // it go to the English voice (while that is on) and the rest to the reader.
    virtual std::vector<TVoicePiece>
    ReaderPieces(const std::string& text, const std::string& codeTable, bool speakSymbols) = 0;
    // English words inside Vietnamese text read by the English voice (on at start) or spelt.
    virtual void SetEnglishWords(bool on) = 0;
    // The speed of each voice as a multiple of its own rate, MinRate to MaxRate
    // (speech/speechrate.h, which also has the steps the user moves through).
    virtual void SetReaderRate(double multiple) = 0;
    virtual void SetEngineRate(double multiple) = 0;

    // Reading a document on from the caret (Alt+F8). How the main window drives it, all on the
    // thread of the event loop:
    //  - Build a TReadOnSource (document/sentencewalk.h) over a TTextWindow of the editor's bytes
    //    and the caret; in Braille display give it a TSpoken that turns cells into VNI
    //    (VniFromBraille), and read in "Vni for Win". The source looks only at the bytes it needs.
    //  - ReadOn({[&]{ return source.Next(); }, started, table, symbols, english}): English when
    //    the language of speech is English (read by the engine, which must be active), otherwise
    //    the reader in CodeTable. Next is asked for a sentence while the one before is heard (the
    //    first ones already inside ReadOn) and gives nullopt after the last; Started(n) is told
    //    when sentence n (from 0) begins to be heard, also from inside ReadOn for the first: move
    //    the caret to source.Start(n). Neither may call back into the port.
    //  - On any key: place = StopReadOn(); when set, put the caret at
    //    source.Place(place->Text, place->Offset), the start of the word being heard. nullopt
    //    when the voice had finished the document (or never started): the caret stays where the
    //    last Started put it.
    // A new ReadOn, or StopReadOn, drops whatever was read on before; the callbacks are never
    // called after StopReadOn returns.
    struct TReadOn {
        std::function<std::optional<std::string>()> Next;
        std::function<void(std::size_t n)> Started;
        std::string CodeTable = VniWinTable;
        bool SpeakSymbols = false;
        bool English = false;
    };
    virtual void ReadOn(TReadOn request) = 0;
    // Stops the voice; where it was in what it read on (the sentence, and the offset in its text
    // of the word being heard), nullopt when it was reading nothing on.
    virtual std::optional<TReadPlace> StopReadOn() = 0;

    // The English engine.
    virtual bool EngineActive() const = 0;
    virtual void SetEngineActive(bool active) = 0;
    virtual void EngineReset() = 0;
    virtual void EngineSpeak(const std::string& text) = 0;
    virtual bool EnginePaused() const = 0;
    virtual void SetEnginePaused(bool paused) = 0;

    // A short sound file played to its end before the call returns.
    virtual void PlaySoundFile(const std::filesystem::path& file) = 0;

    // A warning that must be heard whatever voice is left (a problem found at start): the
    // reader says the message keys when its dictionary opened whole; else the engine says the
    // Vietnamese words (UTF-8) in its Vietnamese voice, or its own when it has none; else a
    // pattern of beeps, unlike every other sound of the program. Speech goes on after the call.
    virtual TWarningVoice SayWarning(const std::string& keys, const std::string& words) = 0;

    // The program's output volume, 0 to 65535.
    virtual int Volume() const = 0;
    virtual void SetVolume(int value) = 0;
};

} // namespace tavi

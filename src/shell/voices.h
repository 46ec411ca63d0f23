// The program's voices: the one Vietnamese word reader of the whole program, the English
// engine, the output volume and the beep, behind the speech port of the main window.
#pragma once

#include "shell/speechport.h"

#include <memory>
#include <string>

namespace tavi {

class TTTS;
class TWordReader;
class TMasterVol;
class TWaveOut;

// The program-wide word reader (null until the voices exist, or when the dictionary could not
// be opened).
TWordReader* WordReader();

class TProgramVoices : public ISpeechPort {
public:
    // Opens the dictionary of the program folder (checked whole: a damaged one is left out
    // as a missing one is) and the English engine on the audio system installed at start.
    // What cannot be opened is left out and told in StartupProblems, one problem a prompt.
    TProgramVoices();
    ~TProgramVoices() override;

    std::vector<TStartupProblem> StartupProblems;

    void ReaderSpeak(const std::string& text, const std::string& codeTable,
                     bool speakSymbols) override;
    void StopReading() override;
    void PauseReading() override;
    void ResumeReading() override;
    TReaderState ReaderState() const override;
    void WaitWhilePlaying() override;
    std::vector<TVoicePiece> ReaderPieces(const std::string& text, const std::string& codeTable,
                                          bool speakSymbols) override;
    void SetEnglishWords(bool on) override;
    void SetReaderRate(double multiple) override;
    void SetEngineRate(double multiple) override;
    void ReadOn(TReadOn request) override;
    std::optional<TReadPlace> StopReadOn() override;
    bool EngineActive() const override;
    void SetEngineActive(bool active) override;
    void EngineReset() override;
    void EngineSpeak(const std::string& text) override;
    bool EnginePaused() const override;
    void SetEnginePaused(bool paused) override;
    void PlaySoundFile(const std::filesystem::path& file) override;
    TWarningVoice SayWarning(const std::string& keys, const std::string& words) override;
    int Volume() const override;
    void SetVolume(int value) override;

private:
    void OpenEnglishWords();
    void Note(const TStartupProblem& problem, const std::exception& why);
    bool SayInEngine(const std::string& words);
    bool PlayWarning(const TSoundFormat& format, const std::string& samples);

    std::unique_ptr<TWordReader> Reader;
    std::unique_ptr<TTTS> Engine;
    std::unique_ptr<TMasterVol> Master;
    std::unique_ptr<TWaveOut> WarningDevice; // plays a warning without holding up the keys
    bool ReadingOnInEnglish = false;
};

} // namespace tavi

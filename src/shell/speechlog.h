// The speech log: a speech port that passes everything on to the voices and writes one line
// for every utterance that reaches a voice, for support and for end-to-end tests.
#pragma once

#include "shell/speechport.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tavi {

class TUnicodeWriter;

// Receives each finished line (without its line end).
using TSpeechLogSink = std::function<void(const std::string& line)>;

// Appends lines to a file, each flushed at once. Throws EFOpenError when the file cannot be
// opened for writing.
TSpeechLogSink SpeechLogFile(const std::filesystem::path& file);

class TSpeechLogPort : public ISpeechPort {
public:
    // A line is: milliseconds since start, a tab, "vi", "en" or "beep", a tab, and the text as
    // the voice gets it in UTF-8, with CR, LF and tab written \r, \n and \t. A text for the
    // reader with English words in it is written as its pieces, each with its voice, in order.
    TSpeechLogPort(std::unique_ptr<ISpeechPort> voices, TSpeechLogSink sink,
                   std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now());
    ~TSpeechLogPort() override;

    void ReaderSpeak(const std::string& text, const std::string& codeTable,
                     bool speakSymbols) override;
    void StopReading() override { Voices->StopReading(); }
    void PauseReading() override { Voices->PauseReading(); }
    void ResumeReading() override { Voices->ResumeReading(); }
    TReaderState ReaderState() const override { return Voices->ReaderState(); }
    void WaitWhilePlaying() override { Voices->WaitWhilePlaying(); }
    std::vector<TVoicePiece> ReaderPieces(const std::string& text, const std::string& codeTable,
                                          bool speakSymbols) override {
        return Voices->ReaderPieces(text, codeTable, speakSymbols);
    }
    void SetEnglishWords(bool on) override { Voices->SetEnglishWords(on); }
    void SetReaderRate(double multiple) override { Voices->SetReaderRate(multiple); }
    void SetEngineRate(double multiple) override { Voices->SetEngineRate(multiple); }
    // Each sentence read on is written when it begins to be heard, with its voice.
    void ReadOn(TReadOn request) override;
    std::optional<TReadPlace> StopReadOn() override { return Voices->StopReadOn(); }
    bool EngineActive() const override { return Voices->EngineActive(); }
    void SetEngineActive(bool active) override { Voices->SetEngineActive(active); }
    void EngineReset() override { Voices->EngineReset(); }
    void EngineSpeak(const std::string& text) override;
    bool EnginePaused() const override { return Voices->EnginePaused(); }
    void SetEnginePaused(bool paused) override { Voices->SetEnginePaused(paused); }
    void PlaySoundFile(const std::filesystem::path& file) override;
    // Written with the voice that said it: the keys (vi), the words (en) or "warning" (beep).
    TWarningVoice SayWarning(const std::string& keys, const std::string& words) override;
    int Volume() const override { return Voices->Volume(); }
    void SetVolume(int value) override { Voices->SetVolume(value); }

private:
    void Write(std::chrono::steady_clock::time_point when, const char* voice,
               const std::string& utf8);
    void WriteReaderText(std::chrono::steady_clock::time_point when, const std::string& text,
                         const std::string& codeTable, bool speakSymbols);
    std::string ToUtf8(const std::string& text, const std::string& codeTable);

    std::unique_ptr<ISpeechPort> Voices;
    TSpeechLogSink Sink;
    std::chrono::steady_clock::time_point Start;
    std::map<std::string, std::unique_ptr<TUnicodeWriter>> Writers; // by code table
};

} // namespace tavi

// A speech port that records what the main window would say, for tests.
#pragma once

#include "shell/speechport.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tavitest {

struct SpeechLog {
    struct Spoken {
        std::string voice; // "vi" or "en"
        std::string text, table;
        bool symbols = false;
    };
    std::vector<Spoken> spoken;
    std::vector<std::string> sounds; // sound files played
    int stops = 0, resets = 0;
    tavi::TReaderState state = tavi::TReaderState::Idle;
    bool engineActive = false, enginePaused = false;
    int volume = 65535;
    bool englishWords = true;
    double readerRate = 1.0, engineRate = 1.0;
    // What is read on, and where StopReadOn says the voice was.
    std::optional<tavi::ISpeechPort::TReadOn> readOn;
    std::optional<tavi::TReadPlace> readOnPlace;
    std::string sentence; // the one being heard

    // The voice reading on goes on to the next word, of its sentence or of the next one; after
    // the last it has finished. A read-on starts at the first word.
    void HearNextWord() {
        if (!readOn) return;
        if (readOnPlace) {
            const std::size_t blank = sentence.find(' ', readOnPlace->Offset);
            const std::size_t word = sentence.find_first_not_of(' ', blank);
            if (blank != std::string::npos && word != std::string::npos) {
                readOnPlace->Offset = word;
                return;
            }
        }
        const std::optional<std::string> next = readOn->Next();
        const std::size_t n = readOnPlace ? readOnPlace->Text + 1 : 0;
        readOnPlace.reset();
        if (!next) return readOn.reset();
        sentence = *next;
        readOnPlace = tavi::TReadPlace{n, 0};
        readOn->Started(n);
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> out;
        for (const auto& s : spoken) out.push_back(s.text);
        return out;
    }
    void Clear() {
        spoken.clear();
        sounds.clear();
    }
};

class RecordingSpeech : public tavi::ISpeechPort {
public:
    explicit RecordingSpeech(std::shared_ptr<SpeechLog> log) : Log(std::move(log)) {}
    void ReaderSpeak(const std::string& text, const std::string& table, bool symbols) override {
        Log->spoken.push_back({"vi", text, table, symbols});
    }
    void StopReading() override {
        ++Log->stops;
        Log->state = tavi::TReaderState::Idle;
    }
    void PauseReading() override {
        if (Log->state == tavi::TReaderState::Playing) Log->state = tavi::TReaderState::Paused;
    }
    void ResumeReading() override {
        if (Log->state == tavi::TReaderState::Paused) Log->state = tavi::TReaderState::Playing;
    }
    tavi::TReaderState ReaderState() const override { return Log->state; }
    void WaitWhilePlaying() override { Log->state = tavi::TReaderState::Idle; }
    std::vector<tavi::TVoicePiece> ReaderPieces(const std::string& text, const std::string&,
                                                bool) override {
        return {{false, text}};
    }
    void SetEnglishWords(bool on) override { Log->englishWords = on; }
    void SetReaderRate(double multiple) override { Log->readerRate = multiple; }
    void SetEngineRate(double multiple) override { Log->engineRate = multiple; }
    void ReadOn(TReadOn request) override {
        Log->readOn = std::move(request);
        Log->readOnPlace.reset();
        Log->HearNextWord();
    }
    std::optional<tavi::TReadPlace> StopReadOn() override {
        Log->readOn.reset();
        return std::exchange(Log->readOnPlace, std::nullopt);
    }
    bool EngineActive() const override { return Log->engineActive; }
    void SetEngineActive(bool active) override { Log->engineActive = active; }
    void EngineReset() override { ++Log->resets; }
    void EngineSpeak(const std::string& text) override {
        Log->spoken.push_back({"en", text, "", false});
    }
    bool EnginePaused() const override { return Log->enginePaused; }
    void SetEnginePaused(bool paused) override { Log->enginePaused = paused; }
    void PlaySoundFile(const std::filesystem::path& file) override {
        Log->sounds.push_back(file.filename().string());
    }
    tavi::TWarningVoice SayWarning(const std::string& keys, const std::string&) override {
        Log->spoken.push_back({"vi", keys, tavi::VniWinTable, false});
        return tavi::TWarningVoice::Reader;
    }
    int Volume() const override { return Log->volume; }
    void SetVolume(int value) override { Log->volume = value; }

private:
    std::shared_ptr<SpeechLog> Log;
};

} // namespace tavitest

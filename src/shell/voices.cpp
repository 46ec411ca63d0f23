#include "shell/voices.h"

#include "codes/memorystream.h"
#include "platform/paths.h"
#include "speech/mastervol.h"
#include "speech/speechrate.h"
#include "speech/speechwait.h"
#include "speech/tts.h"
#include "speech/waveout.h"
#include "speech/wavfile.h"
#include "speech/wordreader.h"

namespace tavi {

namespace {

TWordReader* ProgramReader = nullptr;

// A beep or other short sound longer than this is cut off rather than blocking the program.
constexpr int LongestSoundMs = 5000;

} // namespace

TWordReader* WordReader() {
    return ProgramReader;
}

TProgramVoices::TProgramVoices() {
    const auto folder = ProgramFolder();
    try {
        Reader = std::make_unique<TWordReader>(folder / "dict.dat", folder / "dict.idx",
                                               folder / "abbr.txt");
        Reader->SetCodeTable(VniWinTable);
        ProgramReader = Reader.get();
        OpenEnglishWords();
    } catch (const std::exception& e) {
        StartupProblems += std::string(e.what()) + "\n";
    }
    try {
        Engine = std::make_unique<TTTS>(CreateESpeakEngine());
        Engine->SetSpeed(EnglishNormalWpm);
    } catch (const std::exception& e) {
        StartupProblems += std::string(e.what()) + "\n";
    }
    Master = std::make_unique<TMasterVol>();
}

// Without the word list or the English voice, English words are spelt as other words are.
void TProgramVoices::OpenEnglishWords() {
    try {
        Reader->EnglishList = std::make_shared<TEnglishWords>(EnglishWordsFile);
        Reader->EnglishVoice = std::make_shared<TEnglishVoice>(CreateESpeakEngine());
    } catch (const std::exception& e) {
        StartupProblems += "English words are spelt: " + std::string(e.what()) + "\n";
    }
}

TProgramVoices::~TProgramVoices() {
    if (ProgramReader == Reader.get()) ProgramReader = nullptr;
}

void TProgramVoices::ReaderSpeak(const std::string& text, const std::string& codeTable,
                                 bool speakSymbols) {
    if (!Reader) return;
    Reader->SetCodeTable(codeTable);
    Reader->SpeakSymbols = speakSymbols;
    try {
        Reader->Speak(text);
    } catch (const std::exception&) {
        // A damaged dictionary unit: what was read so far stays, and nothing more is said.
    }
}

void TProgramVoices::StopReading() {
    if (Reader) Reader->StopReading();
}

void TProgramVoices::PauseReading() {
    if (Reader) Reader->PauseReading();
}

void TProgramVoices::ResumeReading() {
    if (Reader) Reader->ResumeReading();
}

TReaderState TProgramVoices::ReaderState() const {
    if (!Reader) return TReaderState::Idle;
    switch (Reader->State) { // as the playback drives it
    case 0: return TReaderState::Playing;
    case 1: return TReaderState::Paused;
    default: return TReaderState::Idle;
    }
}

void TProgramVoices::WaitWhilePlaying() {
    if (Reader) tavi::WaitWhilePlaying(*Reader);
}

std::vector<TVoicePiece> TProgramVoices::ReaderPieces(const std::string& text,
                                                      const std::string& codeTable,
                                                      bool speakSymbols) {
    if (!Reader) return {{false, text}};
    Reader->SetCodeTable(codeTable);
    Reader->SpeakSymbols = speakSymbols;
    try {
        return Reader->VoicePieces(text);
    } catch (const std::exception&) {
        return {{false, text}}; // a word too long to be a word: nothing went to English
    }
}

void TProgramVoices::SetEnglishWords(bool on) {
    if (Reader) Reader->EnglishWords = on;
}

void TProgramVoices::SetReaderRate(double multiple) {
    if (Reader) Reader->SetRate(multiple);
}

void TProgramVoices::SetEngineRate(double multiple) {
    if (!Engine) return;
    try {
        Engine->SetSpeed(EnglishWordsPerMinute(multiple));
    } catch (const std::exception&) {
        // An engine whose range is narrower keeps its speed.
    }
}

void TProgramVoices::ReadOn(TReadOn request) {
    StopReadOn();
    ReadingOnInEnglish = request.English;
    try {
        if (request.English && EngineActive()) {
            Engine->OnTextHeard = std::move(request.Started);
            Engine->ReadOn(std::move(request.Next));
        } else if (!request.English && Reader) {
            Reader->SetCodeTable(request.CodeTable);
            Reader->SpeakSymbols = request.SpeakSymbols;
            Reader->OnTextStart = std::move(request.Started);
            Reader->ReadOn(std::move(request.Next));
        }
    } catch (const std::exception&) {
        // A damaged dictionary unit or a refusing engine: what was read so far stays.
    }
}

std::optional<TReadPlace> TProgramVoices::StopReadOn() {
    std::optional<TReadPlace> place;
    if (EngineActive()) {
        if (ReadingOnInEnglish) place = Engine->Place();
        Engine->AudioReset();
    }
    if (Reader) {
        if (!ReadingOnInEnglish) place = Reader->Place();
        Reader->StopReading();
    }
    return place;
}

bool TProgramVoices::EngineActive() const {
    return Engine && Engine->Active();
}

void TProgramVoices::SetEngineActive(bool active) {
    if (Engine) Engine->SetActive(active);
}

void TProgramVoices::EngineReset() {
    if (Engine && Engine->Active()) Engine->AudioReset();
}

void TProgramVoices::EngineSpeak(const std::string& text) {
    if (!Engine || !Engine->Active()) return;
    try {
        Engine->Speak(text);
    } catch (const std::exception&) {
        // The engine refused the text; speech must never end the program.
    }
}

bool TProgramVoices::EnginePaused() const {
    return Engine && Engine->AudioPaused();
}

void TProgramVoices::SetEnginePaused(bool paused) {
    if (Engine && Engine->Active()) Engine->SetAudioPaused(paused);
}

void TProgramVoices::PlaySoundFile(const std::filesystem::path& file) {
    TWavData wav;
    try {
        wav = ParseWav(ReadWholeFile(file));
    } catch (const std::exception&) {
        return; // no beep file: the key simply stays silent
    }
    auto device = AudioSystem().CreateDevice();
    if (!IsPlayableFormat(wav.Format) || !device->Open(wav.Format)) return;
    bool done = false;
    device->OnDone = [&done](std::uint64_t) { done = true; };
    const std::string samples = ScaleSamples(wav.Format, wav.Samples, OutputVolume());
    // Keys typed during the beep wait for it, as they did behind the old synchronous sound
    // call: run inside the handler that beeps, they would act before its key had.
    if (device->Write(samples, 1))
        PumpEventsUntil(
            [&done] { return done; },
            static_cast<int>(PlayMilliseconds(wav.Format, samples.size())) + LongestSoundMs, false);
    device->Close();
}

int TProgramVoices::Volume() const {
    return Master->Volume;
}

void TProgramVoices::SetVolume(int value) {
    Master->SetVolume(static_cast<std::uint16_t>(value));
}

} // namespace tavi

#include "shell/voices.h"

#include "codes/memorystream.h"
#include "platform/errors.h"
#include "platform/paths.h"
#include "speech/mastervol.h"
#include "speech/speechrate.h"
#include "speech/speechwait.h"
#include "speech/tts.h"
#include "speech/waveout.h"
#include "speech/wavfile.h"
#include "speech/wordreader.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavi {

namespace {

TWordReader* ProgramReader = nullptr;

// A beep or other short sound longer than this is cut off rather than blocking the program.
constexpr int LongestSoundMs = 5000;

// What the user hears when a voice cannot be used, in the words of the prompt catalogue.
const TStartupProblem NoDictionary{
    "zzzmesxa", "Không dùng được tự điển giọng Việt, cần cài lại ta vi.", {}};
const TStartupProblem NoEnglishVoice{
    "zzzmesxb", "Không dùng được giọng đọc tiếng Anh, từ tiếng Anh sẽ được đánh vần.", {}};

// Three falling tones: no other sound of the program is like it, so that a user left without
// any voice still knows that the program started with something wrong.
std::string WarningBeeps(const TSoundFormat& format) {
    std::string out;
    const double rate = format.SamplesPerSec;
    for (const auto& [hz, ms] : {std::pair{880.0, 140}, {660.0, 140}, {440.0, 280}}) {
        const int n = static_cast<int>(rate * ms / 1000);
        for (int i = 0; i < n + static_cast<int>(rate * 0.07); ++i) {
            const double fade = std::min({1.0, i / 200.0, (n - i) / 200.0});
            const double v =
                i < n ? 0.4 * fade * std::sin(2 * std::numbers::pi * hz * i / rate) : 0;
            const auto x = static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767));
            out += static_cast<char>(x & 0xFF);
            out += static_cast<char>(x >> 8);
        }
    }
    return out;
}

} // namespace

TWordReader* WordReader() {
    return ProgramReader;
}

TProgramVoices::TProgramVoices() {
    const auto folder = ProgramFolder();
    try {
        auto reader = std::make_unique<TWordReader>(folder / "dict.dat", folder / "dict.idx",
                                                    folder / "abbr.txt");
        // A unit past the end of the data would otherwise stop a sentence half-way, days later.
        reader->Sounds->Check();
        reader->SetCodeTable(VniWinTable);
        Reader = std::move(reader);
        ProgramReader = Reader.get();
    } catch (const std::exception& e) {
        Note(NoDictionary, e);
    }
    if (Reader) OpenEnglishWords();
    try {
        Engine = std::make_unique<TTTS>(CreateESpeakEngine());
        Engine->SetSpeed(EnglishNormalWpm);
        if (Engine->Mode().ModeName.empty())
            throw EDataError("The English voice cannot be used: espeak-ng did not start.");
    } catch (const std::exception& e) {
        Note(NoEnglishVoice, e);
    }
    Master = std::make_unique<TMasterVol>();
}

// Without the word list or the English voice, English words are spelt as other words are.
void TProgramVoices::OpenEnglishWords() {
    try {
        Reader->EnglishList = std::make_shared<TEnglishWords>(EnglishWordsFile);
        Reader->EnglishVoice = std::make_shared<TEnglishVoice>(CreateESpeakEngine());
    } catch (const std::exception& e) {
        Note(NoEnglishVoice, e);
    }
}

void TProgramVoices::Note(const TStartupProblem& problem, const std::exception& why) {
    NoteProblem(StartupProblems, problem, why.what());
}

TProgramVoices::~TProgramVoices() {
    if (ProgramReader == Reader.get()) ProgramReader = nullptr;
    if (WarningDevice) WarningDevice->Close();
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

TWarningVoice TProgramVoices::SayWarning(const std::string& keys, const std::string& words) {
    if (Reader) {
        ReaderSpeak(keys, VniWinTable, false);
        return TWarningVoice::Reader;
    }
    if (SayInEngine(words)) return TWarningVoice::Engine;
    PlayWarning(Pcm16Format, WarningBeeps(Pcm16Format));
    return TWarningVoice::Beeps;
}

// Vietnamese words in espeak-ng's own Vietnamese voice (the one the dictionary is made from),
// or in its English voice when it has no Vietnamese one.
bool TProgramVoices::SayInEngine(const std::string& words) {
    const std::unique_ptr<ITTSEngine> engine = CreateESpeakEngine();
    if (!engine) return false;
    const std::vector<TTTSModeInfo> modes = engine->Modes();
    auto mode = std::find_if(modes.begin(), modes.end(),
                             [](const TTTSModeInfo& m) { return m.Language == "vi"; });
    if (const int best = engine->DefaultMode(); mode == modes.end() && best >= 0)
        mode = modes.begin() + best;
    std::string samples;
    if (mode == modes.end() || engine->Select(*mode) != ttsresult::Ok ||
        engine->Synthesize(words, TChrSet::csText, false, samples) != ttsresult::Ok)
        return false;
    return !samples.empty() && PlayWarning(engine->Format(), samples);
}

bool TProgramVoices::PlayWarning(const TSoundFormat& format, const std::string& samples) {
    if (WarningDevice) WarningDevice->Close();
    WarningDevice = AudioSystem().CreateDevice();
    return IsPlayableFormat(format) && WarningDevice->Open(format) &&
           WarningDevice->Write(ScaleSamples(format, samples, OutputVolume()), 1);
}

int TProgramVoices::Volume() const {
    return Master->Volume;
}

void TProgramVoices::SetVolume(int value) {
    Master->SetVolume(static_cast<std::uint16_t>(value));
}

} // namespace tavi

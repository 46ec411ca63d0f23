// The speech rate and the English words, as the issue about the voice asks them measured: the
// syllables a second of the same prose at every rate step (from the length of its sound), the
// pitch of a long vowel at each step, the first buffer's latency at each step, and the share
// of English words in mixed sentences that the English voice reads.
#include "codes/memorystream.h"
#include "dialogs/syllable.h"
#include "pitch.h"
#include "platform/paths.h"
#include "speech/speechrate.h"
#include "speech/timescale.h"
#include "speech/wordreader.h"
#include "timingwaveout.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using tavibench::Clock;

std::string Prose() {
    return tavi::ReadWholeFile(std::string(TAVI_SOURCE_DIR) +
                               "/tests/data/vi/maint-guide-prose.txt");
}

// The program's reader: English words read by the English voice.
std::unique_ptr<tavi::TWordReader> OpenReader(benchmark::State& state) {
    const fs::path dir = tavi::ProgramFolder();
    try {
        auto reader = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx",
                                                          dir / "abbr.txt");
        reader->SetCodeTable("Unicode");
        reader->EnglishList = std::make_shared<tavi::TEnglishWords>(tavi::EnglishWordsFile);
        reader->EnglishVoice = std::make_shared<tavi::TEnglishVoice>(tavi::CreateESpeakEngine());
        return reader;
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

// A long vowel: the level-tone "a" (flat pitch) three times.
std::string Vowel(tavi::TTextReader& reader) {
    tavi::TMemoryStream vowel;
    for (int i = 0; i < 3; ++i) reader.Sounds->AppendSound(*reader.Sounds->Find("a"), vowel);
    return vowel.Data;
}

void BM_ProseAtRateStep(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    const int step = static_cast<int>(state.range(0));
    const tavi::TSoundFormat format = reader->Sounds->ReadFormat();
    double syllables = 0;
    reader->OnUnit = [&](const tavi::TIndexRecord& r) { syllables += r.Name.size() > 1; };
    reader->OnEnglish = [&](const std::string&) { ++syllables; };
    reader->SetRate(tavi::RateOfStep(step));
    const std::string prose = Prose(), vowel = Vowel(*reader);
    double seconds = 0, pitch = 0;
    for (auto _ : state) {
        syllables = 0;
        seconds = static_cast<double>(reader->WholeSound(prose).size()) / format.AvgBytesPerSec;
        tavi::TTimeScaler scaler(format, reader->Rate());
        std::string scaled = scaler.Scale(vowel);
        pitch = tavibench::MedianPitch(scaled + scaler.Flush(), format);
    }
    state.counters["rate"] = reader->Rate();
    state.counters["sound_s"] = seconds;
    state.counters["syll_per_s"] = syllables / seconds;
    state.counters["vowel_hz"] = pitch;
    state.counters["vowel_hz_at_1x"] = tavibench::MedianPitch(vowel, format);
}
BENCHMARK(BM_ProseAtRateStep)
    ->DenseRange(1, static_cast<int>(tavi::RateSteps.size()))
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

void BM_FirstBufferAtRateStep(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    auto device = std::make_unique<tavibench::TimingWaveOut>();
    tavibench::TimingWaveOut* timing = device.get();
    reader->SetWaveOut(std::move(device));
    reader->SetRate(tavi::RateOfStep(static_cast<int>(state.range(0))));
    const std::string prose = Prose();
    double best = 1;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        reader->Speak(prose);
        const double seconds = std::chrono::duration<double>(timing->Arrived - start).count();
        state.SetIterationTime(seconds);
        best = std::min(best, seconds);
        reader->StopReading();
    }
    state.counters["rate"] = reader->Rate();
    // On a machine shared with other work the mean counts their time too.
    state.counters["best_us"] = best * 1e6;
    state.counters["first_ms_of_sound"] = 1000.0 * static_cast<double>(timing->Bytes) /
                                          reader->Sounds->ReadFormat().AvgBytesPerSec /
                                          static_cast<double>(state.iterations());
}
BENCHMARK(BM_FirstBufferAtRateStep)
    ->DenseRange(1, static_cast<int>(tavi::RateSteps.size()))
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// An English word echoed as it is typed: the English voice makes it before the first buffer
// (a word said before is kept made, so each iteration has a voice of its own).
void BM_FirstBufferOfAnEnglishWord(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    auto device = std::make_unique<tavibench::TimingWaveOut>();
    tavibench::TimingWaveOut* timing = device.get();
    reader->SetWaveOut(std::move(device));
    double best = 1;
    for (auto _ : state) {
        reader->EnglishVoice = std::make_shared<tavi::TEnglishVoice>(tavi::CreateESpeakEngine());
        const Clock::time_point start = Clock::now();
        reader->Speak("Windows");
        const double seconds = std::chrono::duration<double>(timing->Arrived - start).count();
        state.SetIterationTime(seconds);
        best = std::min(best, seconds);
        reader->StopReading();
    }
    state.counters["best_us"] = best * 1e6;
}
BENCHMARK(BM_FirstBufferOfAnEnglishWord)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Sentences with English words in them, each followed by a tab and its English words.
void BM_EnglishWordsReadInEnglish(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    const std::string sample =
        tavi::ReadWholeFile(std::string(TAVI_SOURCE_DIR) + "/tests/data/vi/mixed-english.txt");
    double expected = 0, routed = 0, wrong = 0, vietnamese = 0;
    for (auto _ : state) {
        expected = routed = wrong = vietnamese = 0;
        for (const std::string& line : tavi::SplitLines(sample)) {
            const std::size_t tab = line.find('\t');
            std::set<std::string> english;
            std::istringstream words(line.substr(tab + 1));
            for (std::string w; words >> w;) english.insert(w);
            expected += static_cast<double>(english.size());
            reader->OnEnglish = [&](const std::string& w) {
                (english.count(w) ? routed : wrong) += 1;
                vietnamese += tavi::IsValidSyllable(w);
            };
            reader->WholeSound(line.substr(0, tab));
        }
    }
    state.counters["english_words"] = expected;
    state.counters["read_in_english"] = routed;
    state.counters["share_pct"] = 100 * routed / expected;
    state.counters["other_words_sent"] = wrong;
    state.counters["syllables_sent"] = vietnamese;
}
BENCHMARK(BM_EnglishWordsReadInEnglish)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();

// Latency of both voices as the device sees it: the time from Speak to the first buffer handed
// to the device, and the gap between two chunks (from the device reporting a buffer played to
// the next buffer handed over). The device here only notes the time of each buffer, so the
// figures are the program's own work, without the sound server's latency.
#include "codes/memorystream.h"
#include "document/sentencewalk.h"
#include "platform/paths.h"
#include "speech/tts.h"
#include "speech/wordreader.h"
#include "timingwaveout.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;
using tavibench::Clock;
using tavibench::TimingWaveOut;

std::string Prose() {
    return tavi::ReadWholeFile(std::string(TAVI_SOURCE_DIR) +
                               "/tests/data/vi/maint-guide-prose.txt");
}

// English text of the same kind: sentences of a manual.
const char* const EnglishProse =
    "The editor reads every letter, word and sentence aloud as it is typed. Menus and dialogs "
    "speak their entries when they gain the focus. A document can be read from the caret to its "
    "end, paused with one key and resumed with the same key. The English voice reads texts "
    "that are marked as English; everything else is read by the Vietnamese voice. ";

std::unique_ptr<tavi::TWordReader> OpenReader(benchmark::State& state, TimingWaveOut*& device) {
    const fs::path dir = tavi::ProgramFolder();
    try {
        auto reader = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx",
                                                          dir / "abbr.txt");
        reader->SetCodeTable("Unicode");
        auto d = std::make_unique<TimingWaveOut>();
        device = d.get();
        reader->SetWaveOut(std::move(d));
        return reader;
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

void BM_VietnameseSpeakToFirstBuffer(benchmark::State& state) {
    TimingWaveOut* device = nullptr;
    auto reader = OpenReader(state, device);
    if (!reader) return;
    const std::string prose = Prose();
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        reader->Speak(prose);
        state.SetIterationTime(std::chrono::duration<double>(device->Arrived - start).count());
        reader->StopReading();
    }
}
BENCHMARK(BM_VietnameseSpeakToFirstBuffer)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_VietnameseGapBetweenChunks(benchmark::State& state) {
    TimingWaveOut* device = nullptr;
    auto reader = OpenReader(state, device);
    if (!reader) return;
    const std::string prose = Prose();
    reader->Speak(prose);
    for (auto _ : state) {
        double gap = device->Complete();
        if (gap == 0.0) { // the text is used up: start it again, outside the figure
            reader->Speak(prose);
            gap = device->Complete();
        }
        state.SetIterationTime(gap);
    }
    state.counters["sound_s_per_chunk"] = benchmark::Counter(
        static_cast<double>(device->Bytes) / reader->Sounds->ReadFormat().AvgBytesPerSec /
        static_cast<double>(state.iterations()));
}
BENCHMARK(BM_VietnameseGapBetweenChunks)->UseManualTime()->Unit(benchmark::kMillisecond);

// Reading a document of 1 MB on from the caret in its middle, as the program reads it (English
// words read in English): the time from "read on" to the first buffer, at the voice's own rate
// and at its fastest. The document is looked at a window at a time, as the editor gives it.
void BM_ReadOnToFirstBuffer(benchmark::State& state) {
    TimingWaveOut* device = nullptr;
    auto reader = OpenReader(state, device);
    if (!reader) return;
    reader->EnglishList = std::make_shared<tavi::TEnglishWords>(tavi::EnglishWordsFile);
    reader->EnglishVoice = std::make_shared<tavi::TEnglishVoice>(tavi::CreateESpeakEngine());
    reader->SetRate(static_cast<double>(state.range(0)));
    const std::string prose = Prose();
    std::string document;
    while (document.size() < (1u << 20)) document += prose;
    std::size_t asked = 0;
    const tavi::TTextWindow window = [&](std::size_t pos, std::size_t count) {
        asked += count;
        return pos < document.size() ? document.substr(pos, count) : std::string();
    };
    for (auto _ : state) {
        asked = 0;
        const std::uint64_t tag = device->Tag;
        const Clock::time_point start = Clock::now();
        auto source = std::make_shared<tavi::TReadOnSource>(window, document.size() / 2);
        reader->ReadOn([source] { return source->Next(); });
        if (device->Tag == tag) return state.SkipWithError("nothing was played");
        state.SetIterationTime(std::chrono::duration<double>(device->Arrived - start).count());
        reader->StopReading();
    }
    state.counters["document_bytes"] = static_cast<double>(document.size());
    state.counters["bytes_looked_at"] = static_cast<double>(asked);
}
BENCHMARK(BM_ReadOnToFirstBuffer)->Arg(1)->Arg(5)->UseManualTime()->Unit(benchmark::kMillisecond);

std::unique_ptr<tavi::TTTS> OpenEnglish(benchmark::State& state, TimingWaveOut*& device) {
    auto tts = std::make_unique<tavi::TTTS>(tavi::CreateESpeakEngine());
    tts->OutputDest = tavi::TOutPutDest::odOther;
    tts->OnMakeOtherDest = [&device](std::unique_ptr<tavi::TWaveOut>& dest) {
        auto d = std::make_unique<TimingWaveOut>();
        device = d.get();
        dest = std::move(d);
    };
    tts->SetSpeed(140);
    tts->SetActive(true);
    if (!tts->Active()) {
        state.SkipWithError(("English engine: " + tts->ActivationError).c_str());
        return nullptr;
    }
    return tts;
}

void BM_EnglishSpeakToFirstBuffer(benchmark::State& state) {
    TimingWaveOut* device = nullptr;
    auto tts = OpenEnglish(state, device);
    if (!tts) return;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        tts->Speak(EnglishProse);
        state.SetIterationTime(std::chrono::duration<double>(device->Arrived - start).count());
        tts->AudioReset();
    }
}
BENCHMARK(BM_EnglishSpeakToFirstBuffer)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EnglishGapBetweenPieces(benchmark::State& state) {
    TimingWaveOut* device = nullptr;
    auto tts = OpenEnglish(state, device);
    if (!tts) return;
    tts->Speak(EnglishProse);
    for (auto _ : state) {
        double gap = device->Complete();
        if (gap == 0.0) {
            tts->Speak(EnglishProse);
            gap = device->Complete();
        }
        state.SetIterationTime(gap);
    }
}
BENCHMARK(BM_EnglishGapBetweenPieces)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
BENCHMARK_MAIN();

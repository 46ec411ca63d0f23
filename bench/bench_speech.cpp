// The word reader on the built dictionary: the time to build one chunk of 100 units from real
// prose, the time to load the dictionary, and the dictionary's size (as counters). The time to
// bring one unit to the dictionary's loudness, as the builder does for every unit.
#include "codes/memorystream.h"
#include "platform/paths.h"
#include "speech/loudness.h"
#include "speech/wordreader.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>

namespace {

namespace fs = std::filesystem;

std::unique_ptr<tavi::TWordReader> OpenReader(benchmark::State& state) {
    const fs::path dir = tavi::ProgramFolder();
    try {
        auto reader = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx",
                                                          dir / "abbr.txt");
        reader->SetCodeTable("Unicode");
        return reader;
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
}

void DictionarySize(benchmark::State& state, const tavi::TWordReader& reader) {
    const fs::path dir = tavi::ProgramFolder();
    state.counters["dict_dat_MB"] = static_cast<double>(fs::file_size(dir / "dict.dat")) / 1e6;
    state.counters["dict_idx_kB"] = static_cast<double>(fs::file_size(dir / "dict.idx")) / 1e3;
    state.counters["units"] = static_cast<double>(reader.Sounds->Entries().size());
}

void BM_BuildChunk100Units(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    const std::string prose =
        tavi::ReadWholeFile(std::string(TAVI_SOURCE_DIR) + "/tests/data/vi/maint-guide-prose.txt");
    tavi::TMemoryStream source = reader->ConvertText(prose);
    std::size_t units = 0, bytes = 0;
    for (auto _ : state) {
        if (source.AtEnd()) source.Rewind();
        tavi::TMemoryStream chunk;
        units += static_cast<std::size_t>(reader->BuildChunk(source, chunk));
        bytes += chunk.Size();
        benchmark::DoNotOptimize(chunk.Data.data());
    }
    state.counters["units_per_chunk"] =
        benchmark::Counter(static_cast<double>(units) / static_cast<double>(state.iterations()));
    state.counters["sound_s_per_chunk"] = benchmark::Counter(
        static_cast<double>(bytes) / reader->Sounds->ReadFormat().AvgBytesPerSec /
        static_cast<double>(state.iterations()));
    DictionarySize(state, *reader);
}
BENCHMARK(BM_BuildChunk100Units)->Unit(benchmark::kMillisecond);

void BM_OpenDictionary(benchmark::State& state) {
    for (auto _ : state) {
        auto reader = OpenReader(state);
        if (!reader) return;
        benchmark::DoNotOptimize(reader.get());
    }
}
BENCHMARK(BM_OpenDictionary)->Unit(benchmark::kMillisecond);

// Levelling a second of real speech (the start of a chunk) as the builder levels each unit,
// taken 20 dB down first so that both the gain and the limiter have work to do.
void BM_LevelUnit(benchmark::State& state) {
    auto reader = OpenReader(state);
    if (!reader) return;
    tavi::TMemoryStream source = reader->ConvertText("Phòng làm việc của tôi ở thành phố.");
    tavi::TMemoryStream chunk;
    reader->BuildChunk(source, chunk);
    const auto rate = static_cast<int>(reader->Sounds->ReadFormat().SamplesPerSec);
    std::vector<float> unit;
    for (std::size_t k = 0; k + 1 < chunk.Size() && unit.size() < std::size_t(rate); k += 2)
        unit.push_back(
            static_cast<std::int16_t>(static_cast<unsigned char>(chunk.Data[k]) |
                                      static_cast<unsigned char>(chunk.Data[k + 1]) << 8) /
            327680.0f);
    for (auto _ : state) {
        std::vector<float> samples = unit;
        tavi::LevelUnit(samples, rate);
        benchmark::DoNotOptimize(samples.data());
    }
    state.counters["unit_s"] = static_cast<double>(unit.size()) / rate;
}
BENCHMARK(BM_LevelUnit)->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();

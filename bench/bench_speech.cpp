// The word reader on the built dictionary: the time to build one chunk of 100 units from real
// prose, the time to load the dictionary, and the dictionary's size (as counters).
#include "codes/memorystream.h"
#include "platform/paths.h"
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

} // namespace
BENCHMARK_MAIN();

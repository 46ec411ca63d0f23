// Grade 1 Braille of a 1 MB document (real Vietnamese prose in Vni for Win), the way there and
// back, beside liblouis's lou_translate (vi-vn-g0) on the same text in UTF-8.
#include "codes/brailleconverter.h"
#include "codes/braillesigns.h"
#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"

#include "support/corpus.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

// About 1 MB of the prose corpus in Vni for Win.
const std::string& Document() {
    static const std::string vni =
        tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::RepeatedProse(1u << 20));
    return vni;
}

void ToBraille(benchmark::State& state) {
    tavi::TCodeConverter conv;
    for (auto _ : state) benchmark::DoNotOptimize(tavi::BrailleFromVni(conv, Document()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().size()));
}

void SignsOnly(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tavi::InsertBrailleSigns(Document()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().size()));
}

void BackToVni(benchmark::State& state) {
    tavi::TCodeConverter conv;
    const std::string braille = tavi::BrailleFromVni(conv, Document());
    for (auto _ : state) benchmark::DoNotOptimize(tavi::VniFromBraille(conv, braille));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * braille.size()));
}

// lou_translate as a program: the document in UTF-8, or a single word to show its start-up
// (reading and compiling the table) alone.
void LouTranslate(benchmark::State& state, bool whole) {
    const auto dir = std::filesystem::temp_directory_path() / "tavi-bench-braille";
    std::filesystem::create_directories(dir);
    const std::string text =
        whole ? tavi::ConvertBetween("Vni for Win", "Unicode", Document()) : "chữ\n";
    std::ofstream(dir / "in.txt", std::ios::binary) << text;
    const std::string command = "lou_translate --forward unicode.dis,vi-vn-g0.utb < '" +
                                (dir / "in.txt").string() + "' > '" + (dir / "out.txt").string() +
                                "'";
    // The CPU time of the child process, which the benchmark's own CPU column does not see.
    const auto childSeconds = [] {
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
               double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    };
    const double before = childSeconds();
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("lou_translate failed (Debian liblouis-bin)");
            break;
        }
    state.counters["child_cpu_ms"] =
        benchmark::Counter((childSeconds() - before) * 1000 / double(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    std::filesystem::remove_all(dir);
}

BENCHMARK(ToBraille)->Unit(benchmark::kMillisecond);
BENCHMARK(SignsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BackToVni)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LouTranslate, Document, true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK_CAPTURE(LouTranslate, OneWord, false)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();

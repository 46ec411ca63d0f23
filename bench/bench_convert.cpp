// Throughput of the code converter on real Vietnamese prose, beside iconv on the same bytes
// where iconv knows the code.
#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"

#include "support/corpus.h"

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

namespace {

// About 4 MB of the prose corpus, in UTF-8.
const std::string& ProseUtf8() {
    static const std::string text = tavitest::RepeatedProse(4u << 20);
    return text;
}

void Ours(benchmark::State& state, const std::string& from, const std::string& to) {
    const std::string input = tavi::ConvertBetween("Unicode", from, ProseUtf8());
    tavi::TVnCodeConverter conv;
    conv.SetSourceTable(from);
    conv.SetDestTable(to);
    conv.InStream.Data = input;
    for (auto _ : state) {
        conv.Convert();
        benchmark::DoNotOptimize(conv.OutStream.Data.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

// The same conversion as tavitool convert makes it: 256 KB blocks through the block converter.
void Blocks(benchmark::State& state, const std::string& from, const std::string& to) {
    const std::string input = tavi::ConvertBetween("Unicode", from, ProseUtf8());
    tavi::TVnCodeConverter conv;
    conv.SetSourceTable(from);
    conv.SetDestTable(to);
    constexpr std::size_t Block = 256 * 1024;
    for (auto _ : state) {
        tavi::TBlockConverter blocks(conv, Block);
        for (std::size_t at = 0; at < input.size(); at += Block) {
            const std::size_t n = std::min(Block, input.size() - at);
            std::copy_n(input.data() + at, n, blocks.Room());
            benchmark::DoNotOptimize(blocks.Convert(n, at + n == input.size()).data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

// From the table's charset to UTF-8, or back (fromUtf8).
void Iconv(benchmark::State& state, const std::string& table, const char* charset,
           bool fromUtf8 = false) {
    const std::string input =
        fromUtf8 ? ProseUtf8() : tavi::ConvertBetween("Unicode", table, ProseUtf8());
    std::string out(input.size() * 4, '\0');
    iconv_t cd = fromUtf8 ? iconv_open(charset, "UTF-8") : iconv_open("UTF-8", charset);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        state.SkipWithError("iconv does not know the code");
        return;
    }
    for (auto _ : state) {
        char* inp = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        char* outp = out.data();
        std::size_t outLeft = out.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        iconv(cd, &inp, &inLeft, &outp, &outLeft);
        benchmark::DoNotOptimize(out.data());
    }
    iconv_close(cd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

BENCHMARK_CAPTURE(Ours, VniWin_to_Unicode, "Vni for Win", "Unicode")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Ours, TCVN3_to_VniWin, "TCVN3", "Vni for Win")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Ours, TCVN3_to_Unicode, "TCVN3", "Unicode")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Ours, VISCII_to_Unicode, "VISCII", "Unicode")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Ours, Unicode_to_VniWin, "Unicode", "Vni for Win")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Blocks, VISCII_to_Unicode, "VISCII", "Unicode")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Blocks, Unicode_to_VISCII, "Unicode", "VISCII")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Blocks, VniWin_to_Unicode, "Vni for Win", "Unicode")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, TCVN3_to_Unicode, "TCVN3", "TCVN5712-1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, VISCII_to_Unicode, "VISCII", "VISCII")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Iconv, Unicode_to_VISCII, "VISCII", "VISCII", true)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Words checked per second by the spelling checker on real Vietnamese prose, beside hunspell
// with its Vietnamese dictionary on the same words.
#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"
#include "dialogs/spellcheck.h"

#include "support/corpus.h"

#include <benchmark/benchmark.h>
#ifdef TAVI_HAVE_HUNSPELL
#include <hunspell/hunspell.hxx>
#endif

#include <string>
#include <vector>

namespace {

// About 1 MB of the prose corpus, in UTF-8.
const std::string& ProseUtf8() {
    static const std::string text = tavitest::RepeatedProse(1u << 20);
    return text;
}

std::string ToVniWin(const std::string& utf8) {
    return tavi::ConvertBetween("Unicode", "Vni for Win", utf8);
}

// The blank-separated words of a text.
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && tavi::IsSpellBlank(static_cast<unsigned char>(text[i]))) ++i;
        const std::size_t start = i;
        while (i < text.size() && !tavi::IsSpellBlank(static_cast<unsigned char>(text[i]))) ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

// The whole search, as the worker runs it: from the start to the end, resuming after every
// word found.
void SpellDocument(benchmark::State& state) {
    const std::string text = ToVniWin(ProseUtf8());
    const std::size_t words = Words(text).size();
    tavi::TSpellChecker checker;
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (std::size_t start = 1;;) {
            const tavi::TSpellResult r = checker.FindSuspect(text, text.size(), start);
            if (!r.Found) break;
            ++found;
            start = r.End;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words));
    state.counters["words"] = static_cast<double>(words);
    state.counters["flagged"] = static_cast<double>(found);
}
BENCHMARK(SpellDocument)->Unit(benchmark::kMillisecond);

// One word at a time, as hunspell is asked below.
void SpellWords(benchmark::State& state) {
    const std::vector<std::string> words = Words(ToVniWin(ProseUtf8()));
    tavi::TSpellChecker checker;
    std::size_t flagged = 0;
    for (auto _ : state) {
        flagged = 0;
        for (const std::string& w : words) flagged += checker.IsSuspect(w);
        benchmark::DoNotOptimize(flagged);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
    state.counters["flagged"] = static_cast<double>(flagged);
}
BENCHMARK(SpellWords)->Unit(benchmark::kMillisecond);

#ifdef TAVI_HAVE_HUNSPELL
// The same words in UTF-8, stripped of the ASCII punctuation around them, which hunspell's
// own tokenizer would leave out.
void Hunspell(benchmark::State& state) {
    std::vector<std::string> words;
    for (std::string w : Words(ProseUtf8())) {
        const auto isWordByte = [](char c) {
            const unsigned char u = static_cast<unsigned char>(c);
            return u >= 0x80 || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') ||
                   (u >= 'a' && u <= 'z');
        };
        std::size_t b = 0, e = w.size();
        while (b < e && !isWordByte(w[b])) ++b;
        while (e > b && !isWordByte(w[e - 1])) --e;
        words.push_back(w.substr(b, e - b));
    }
    ::Hunspell dictionary("/usr/share/hunspell/vi_VN.aff", "/usr/share/hunspell/vi_VN.dic");
    std::size_t flagged = 0;
    for (auto _ : state) {
        flagged = 0;
        for (const std::string& w : words) flagged += !w.empty() && !dictionary.spell(w);
        benchmark::DoNotOptimize(flagged);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
    state.counters["flagged"] = static_cast<double>(flagged);
}
BENCHMARK(Hunspell)->Unit(benchmark::kMillisecond);
#endif

} // namespace

BENCHMARK_MAIN();

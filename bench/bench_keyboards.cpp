// Cost of one key through the keyboard engines: a Vietnamese phrase typed with accent keys,
// and Braille chords, into a byte buffer.
#include "codes/brailkey.h"
#include "codes/vnkey.h"

#include <benchmark/benchmark.h>

#include <string_view>

namespace {

void AccentKeys(benchmark::State& state) {
    tavi::TVnKey engine;
    engine.LoadTable(tavi::TVnKey::VniAnsiTable);
    engine.SetAccentKeys("123456789");
    constexpr std::string_view phrase = "Tie61ng Vie65t co1 nhie62u da61u tho6ng du5ng. ";
    tavi::TTextBuffer buffer;
    for (auto _ : state) {
        buffer.Text.clear();
        buffer.SelStart = 0;
        for (char c : phrase) {
            tavi::TKeyEvent key;
            key.Typed = true;
            key.Char = static_cast<unsigned char>(c);
            if (engine.KeyDown(key, buffer).Kind == tavi::TKeyVerdict::Pass)
                buffer.SendChar(static_cast<unsigned char>(c));
        }
        benchmark::DoNotOptimize(buffer.Text.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(phrase.size()));
}
BENCHMARK(AccentKeys);

void SixKeyChords(benchmark::State& state) {
    tavi::TBrailKey engine;
    std::string cells;
    for (int row = 1; row <= tavi::TBrailKey::Rows; ++row)
        cells += char('!' + row % 90) + std::string("\r\n");
    engine.LoadCells(cells);
    engine.SetDotKeys("FDSJKL");
    constexpr std::string_view chord = "FDK"; // three keys down, then up
    tavi::TTextBuffer buffer;
    for (auto _ : state) {
        buffer.Text.clear();
        buffer.SelStart = 0;
        for (int i = 0; i < 16; ++i) {
            for (char k : chord) {
                tavi::TKeyEvent key;
                key.Key = k;
                key.Typed = true;
                key.Char = k + 0x20;
                engine.KeyDown(key, buffer);
            }
            for (char k : chord) {
                tavi::TKeyEvent key;
                key.Key = k;
                engine.KeyUp(key, buffer);
            }
        }
        benchmark::DoNotOptimize(buffer.Text.data());
    }
    state.SetItemsProcessed(state.iterations() * 16 * 6); // key events
}
BENCHMARK(SixKeyChords);

} // namespace

BENCHMARK_MAIN();

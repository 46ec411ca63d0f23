// Throughput of the document's pure parts on real Vietnamese prose: the RTF writer and reader
// (as saving and loading a document do) and the web page reduction.
#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"
#include "document/htmltext.h"
#include "document/rtf.h"

#include "support/corpus.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// About 4 MB of the prose corpus in "Vni for Win", one paragraph per line.
const std::string& VniProse() {
    static const std::string text =
        tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::RepeatedProse(4u << 20));
    return text;
}

// The prose as a document whose every fifth word is bold.
tavi::TRtfDocument Formatted() {
    tavi::TRtfDocument doc;
    tavi::TRtfCharFormat plain{"Vni-Screen", 28, false, false, false};
    tavi::TRtfCharFormat bold = plain;
    bold.Bold = true;
    const std::string& text = VniProse();
    std::size_t start = 0;
    int word = 0;
    doc.Paragraphs.emplace_back();
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != ' ' && text[i] != '\n') continue;
        doc.AddText(std::string_view(text).substr(start, i - start), ++word % 5 ? plain : bold);
        if (i < text.size() && text[i] == '\n') {
            doc.Paragraphs.emplace_back();
        } else if (i < text.size()) {
            doc.AddText(" ", plain);
        }
        start = i + 1;
    }
    return doc;
}

void WriteRtf(benchmark::State& state) {
    const tavi::TRtfDocument doc = Formatted();
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string rtf = tavi::WriteRtf(doc);
        size = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void ReadRtf(benchmark::State& state) {
    const std::string rtf = tavi::WriteRtf(Formatted());
    for (auto _ : state) {
        tavi::TRtfDocument doc;
        tavi::ReadRtf(rtf, doc);
        benchmark::DoNotOptimize(doc.Paragraphs.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * rtf.size()));
}

void HtmlToText(benchmark::State& state) {
    std::string page = "<html><HEAD><title>t</title></HEAD><body>\n";
    const std::string& text = VniProse();
    for (std::size_t start = 0; start < text.size();) {
        std::size_t eol = text.find('\n', start);
        if (eol == std::string::npos) eol = text.size();
        page += "<p class=\"x\">" + text.substr(start, eol - start) + "&nbsp;&quot;q&quot;</p>\n";
        start = eol + 1;
    }
    for (auto _ : state) {
        const std::string out = tavi::HtmlToText(page);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}

BENCHMARK(WriteRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadRtf)->Unit(benchmark::kMillisecond);
BENCHMARK(HtmlToText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

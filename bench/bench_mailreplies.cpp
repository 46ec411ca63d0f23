// Throughput of taking a server's bytes apart: reply lines, and the end of a retrieved message
// (every byte of a large letter passes the end finder).
#include "mail/mailreplies.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::size_t DataSize = 8u << 20;
constexpr std::size_t Piece = 16384; // what the socket hands over at a time

// A base64 attachment's lines, as a retrieved message brings them, ended by the dot line.
const std::string& Message() {
    static const std::string text = [] {
        std::string line(76, 'A');
        for (std::size_t i = 0; i < line.size(); ++i) line[i] = static_cast<char>('A' + i % 26);
        std::string s;
        while (s.size() < DataSize) s += line + "\r\n";
        return s + ".\r\n";
    }();
    return text;
}

void DataEnd(benchmark::State& state) {
    const std::string_view text = Message();
    for (auto _ : state) {
        tavi::TDataEndFinder finder;
        std::size_t end = 0;
        for (std::size_t at = 0; at < text.size(); at += Piece)
            if (const std::size_t n = finder.Feed(text.substr(at, Piece)); n != text.npos) {
                end = at + n;
                break;
            }
        benchmark::DoNotOptimize(end);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(DataEnd);

void ReplyLines(benchmark::State& state) {
    const std::string_view text = Message();
    for (auto _ : state) {
        tavi::TReplyLineReader reader;
        std::size_t lines = 0;
        for (std::size_t at = 0; at < text.size(); at += Piece) {
            std::string_view chunk = text.substr(at, Piece);
            while (!chunk.empty()) {
                chunk.remove_prefix(reader.Feed(chunk));
                if (reader.Complete()) {
                    lines += reader.Line().size() > 0;
                    reader.Clear();
                }
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReplyLines);

} // namespace

BENCHMARK_MAIN();

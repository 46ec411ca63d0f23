// Throughput of the mail codings (base64 and quoted-printable, both ways) and of writing and
// reading a whole message with a large attachment.
#include "codes/memorystream.h"
#include "mail/mailmessage.h"
#include "mail/mimecoding.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

constexpr std::size_t DataSize = 4u << 20;

const std::string& Binary() {
    static const std::string data = [] {
        std::mt19937 rng(1);
        std::string s(DataSize, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        return s;
    }();
    return data;
}

// About 4 MB of Vietnamese prose in UTF-8: the text a letter carries.
const std::string& Prose() {
    static const std::string text = [] {
        std::string one = tavi::ReadWholeFile(std::string(TAVI_SOURCE_DIR) +
                                              "/tests/data/vi/maint-guide-prose.txt");
        std::string all;
        while (all.size() < DataSize) all += one;
        return all;
    }();
    return text;
}

void Base64Encode(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t n = 0;
        tavi::Base64EncodeLines(Binary(), [&](std::string_view l) { n += l.size(); });
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Binary().size()));
}

void Base64Decode(benchmark::State& state) {
    std::string coded;
    tavi::Base64EncodeLines(Binary(), [&](std::string_view l) {
        coded += l;
        coded += "\r\n";
    });
    for (auto _ : state) benchmark::DoNotOptimize(tavi::Base64Decode(coded));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Binary().size()));
}

void QPEncode(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tavi::QPEncodeText(Prose()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Prose().size()));
}

void QPDecode(benchmark::State& state) {
    const std::string coded = tavi::QPEncodeText(Prose());
    for (auto _ : state) benchmark::DoNotOptimize(tavi::QPDecodeText(coded));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Prose().size()));
}

tavi::TmsMessage LetterWithAttachment() {
    tavi::TmsMessage m;
    m.Sender = {"A", "a@x.org"};
    m.Recipients.Add("b@x.org");
    m.Subject = "Report";
    m.SetBodyText(Prose().substr(0, 20000));
    m.Attachments.Add("photo.jpg").Data.Data = Binary();
    return m;
}

void MessageWrite(benchmark::State& state) {
    const tavi::TmsMessage m = LetterWithAttachment();
    for (auto _ : state) benchmark::DoNotOptimize(m.SaveToString());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Binary().size()));
}

void MessageRead(benchmark::State& state) {
    const std::string text = LetterWithAttachment().SaveToString() + ".\r\n";
    for (auto _ : state) {
        tavi::TmsMessage m;
        m.LoadFromString(text);
        benchmark::DoNotOptimize(m.Attachments.Count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Binary().size()));
}

BENCHMARK(Base64Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(Base64Decode)->Unit(benchmark::kMillisecond);
BENCHMARK(QPEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(QPDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(MessageWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(MessageRead)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// What a mail server sends, in pieces of any size: the reply lines must be those of the whole
// text (cut at 1024 bytes), the end of a retrieved message must be where it is, and the reply
// parsers must stay within their bounds. Also the nmcli listings of the dial-up entries.
#include "mail/dialentries.h"
#include "mail/mailreplies.h"
#include "mail/refusal.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The lines of the whole text as the reader must find them.
std::vector<std::string> ExpectedLines(std::string_view text) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0, lf; (lf = text.find('\n', pos)) != std::string_view::npos;
         pos = lf + 1) {
        std::string_view line = text.substr(pos, lf - pos);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        lines.emplace_back(line.substr(0, tavi::TReplyLineReader::MaxLine));
    }
    return lines;
}

std::size_t ExpectedDataEnd(std::string_view text) {
    if (text.substr(0, 3) == ".\r\n") return 3;
    const std::size_t at = text.find("\r\n.\r\n");
    return at == std::string_view::npos ? at : at + 5;
}

void CheckLine(std::string_view line) {
    const int smtp = tavi::SmtpReplyCode(line);
    if (smtp != -1 && (smtp < 0 || smtp > 999)) std::abort();
    const int pop = tavi::PopReplyCode(line);
    if (pop < -1 || pop > 1) std::abort();
    (void)tavi::EndsMultiLineReply(line, smtp);
    if (const auto stat = tavi::ParseStatReply(line); stat && (stat->Count < 0 || stat->Size < 0))
        std::abort();
    if (tavi::ParseListSize(line) < 0) std::abort();
    const tavi::TServerName server = tavi::SplitServer(line);
    if (server.Port && *server.Port == 0) std::abort();
    // A refusal always says a reason and that the letter did not go.
    if (tavi::FailureNotice(tavi::TFailure::Refused, true, line).Prompts.size() != 2) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const std::size_t piece = provider.ConsumeIntegralInRange<std::size_t>(1, 4096);
    const std::string text = provider.ConsumeRemainingBytesAsString();

    std::vector<std::string> lines;
    tavi::TReplyLineReader reader;
    tavi::TDataEndFinder finder;
    std::size_t dataEnd = std::string_view::npos;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        std::string_view chunk = std::string_view(text).substr(at, piece);
        if (dataEnd == std::string_view::npos) {
            const std::size_t n = finder.Feed(chunk);
            if (n != std::string_view::npos) dataEnd = at + n;
        }
        while (!chunk.empty()) {
            const std::size_t used = reader.Feed(chunk);
            if (used == 0 || used > chunk.size()) std::abort();
            chunk.remove_prefix(used);
            if (reader.Complete()) {
                lines.push_back(reader.Line());
                reader.Clear();
            }
        }
        if (reader.Line().size() > tavi::TReplyLineReader::MaxLine) std::abort();
    }
    if (lines != ExpectedLines(text)) std::abort();
    if (dataEnd != ExpectedDataEnd(text)) std::abort();
    for (const std::string& line : lines) CheckLine(line);
    CheckLine(text);
    (void)tavi::ParseNmcliTerse(text);
    return 0;
}

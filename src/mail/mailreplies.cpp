#include "mail/mailreplies.h"

#include "mail/mailheaders.h"

#include <algorithm>
#include <cmath>

namespace tavi {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// Digits at pos as a number; false when there are none or more than 18 (so it fits).
bool TakeNumber(std::string_view s, std::size_t& pos, long long& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < s.size() && IsDigit(s[pos])) {
        if (pos - start >= 18) return false;
        value = value * 10 + (s[pos++] - '0');
    }
    return pos > start;
}

void SkipBlanks(std::string_view s, std::size_t& pos) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
}

// Past the status word ("+OK") and the blanks after it.
std::size_t AfterStatusWord(std::string_view s) {
    std::size_t pos = 0;
    while (pos < s.size() && !IsBlank(s[pos])) ++pos;
    SkipBlanks(s, pos);
    return pos;
}

} // namespace

std::size_t TReplyLineReader::Feed(std::string_view bytes) {
    if (FComplete) return 0;
    const std::size_t lf = bytes.find('\n');
    const std::size_t take = lf == std::string_view::npos ? bytes.size() : lf + 1;
    const std::string_view body = bytes.substr(0, lf == std::string_view::npos ? take : lf);
    // Room for the longest line and the CR that ends it.
    const std::size_t room = MaxLine + 1 - std::min(FLine.size(), MaxLine + 1);
    FLine.append(body.substr(0, room));
    if (body.size() > room) FTruncated = true;
    if (lf != std::string_view::npos) FComplete = true;
    return take;
}

std::string TReplyLineReader::Line() const {
    std::size_t end = FLine.size();
    while (end > 0 && (FLine[end - 1] == '\r' || FLine[end - 1] == '\n')) --end;
    return FLine.substr(0, std::min(end, MaxLine));
}

void TReplyLineReader::Clear() {
    FLine.clear();
    FComplete = false;
    FTruncated = false;
}

int SmtpReplyCode(std::string_view line) {
    if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2])) return -1;
    return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

int PopReplyCode(std::string_view line) {
    if (line.empty()) return 0;
    if (line[0] == '+') return 1;
    if (line[0] == '-') return -1;
    return 0;
}

bool EndsMultiLineReply(std::string_view line, int code) {
    return SmtpReplyCode(line) == code && (line.size() == 3 || line[3] == ' ');
}

std::optional<TStatReply> ParseStatReply(std::string_view line) {
    std::size_t pos = AfterStatusWord(line);
    TStatReply r;
    if (!TakeNumber(line, pos, r.Count)) return std::nullopt;
    if (pos >= line.size() || !IsBlank(line[pos])) return std::nullopt;
    SkipBlanks(line, pos);
    if (!TakeNumber(line, pos, r.Size)) return std::nullopt;
    if (pos < line.size() && !IsBlank(line[pos])) return std::nullopt;
    return r;
}

long long ParseListSize(std::string_view line) {
    std::size_t pos = AfterStatusWord(line);
    while (pos < line.size() && !IsBlank(line[pos])) ++pos; // the message number
    SkipBlanks(line, pos);
    long long size = 0;
    const std::size_t start = pos;
    if (!TakeNumber(line, pos, size) || (pos < line.size() && !IsBlank(line[pos])) || pos == start)
        return 0;
    return size;
}

std::size_t TDataEndFinder::Feed(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size() && FState != 5; ++i) {
        const char c = bytes[i];
        if (c == '\r')
            FState = FState == 3 ? 4 : 1;
        else if (c == '\n')
            FState = FState == 1 ? 2 : FState == 4 ? 5 : 0;
        else if (c == '.')
            FState = FState == 2 ? 3 : 0;
        else
            FState = 0;
        if (FState == 5) return i + 1;
    }
    return std::string_view::npos;
}

TServerName SplitServer(std::string_view server) {
    auto trim = [](std::string_view s) {
        while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
        while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
        return s;
    };
    server = trim(server);
    TServerName r;
    std::string_view portText;
    bool hasPort = false;
    if (!server.empty() && server.front() == '[') {
        const std::size_t close = server.find(']');
        if (close == std::string_view::npos) {
            r.Host = std::string(server);
            return r;
        }
        r.Host = std::string(server.substr(1, close - 1));
        const std::string_view rest = server.substr(close + 1);
        hasPort = !rest.empty() && rest.front() == ':';
        if (hasPort) portText = rest.substr(1);
    } else {
        const std::size_t colon = server.find(':');
        // Two colons or more without brackets: an IPv6 address without a port.
        hasPort = colon != std::string_view::npos && server.find(':', colon + 1) == server.npos;
        r.Host = std::string(hasPort ? trim(server.substr(0, colon)) : server);
        if (hasPort) portText = server.substr(colon + 1);
    }
    portText = trim(portText);
    if (hasPort && !portText.empty() && portText.size() <= 5 &&
        std::all_of(portText.begin(), portText.end(), IsDigit)) {
        const int port = std::stoi(std::string(portText));
        if (port >= 1 && port <= 65535) r.Port = static_cast<std::uint16_t>(port);
    }
    return r;
}

TSmtpExtensions ParseEhloReply(const std::vector<std::string>& lines) {
    TSmtpExtensions offered;
    // The first line greets: its first word is the server's name, not an extension.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.size() < 4) continue;
        std::size_t pos = 4;
        std::vector<std::string_view> words;
        while (pos < line.size()) {
            SkipBlanks(line, pos);
            const std::size_t start = pos;
            while (pos < line.size() && !IsBlank(line[pos]) && line[pos] != '=') ++pos;
            if (pos > start) words.push_back(line.substr(start, pos - start));
            if (pos < line.size() && line[pos] == '=') ++pos;
        }
        if (words.empty()) continue;
        if (EqualsNoCase(words[0], "STARTTLS")) offered.StartTls = true;
        if (!EqualsNoCase(words[0], "AUTH")) continue;
        offered.Auth = true;
        for (std::size_t w = 1; w < words.size(); ++w) {
            offered.AuthPlain |= EqualsNoCase(words[w], "PLAIN");
            offered.AuthLogin |= EqualsNoCase(words[w], "LOGIN");
        }
    }
    return offered;
}

TSmtpAuth ChooseSmtpAuth(const TSmtpExtensions& offered) {
    if (offered.AuthPlain) return TSmtpAuth::Plain;
    if (offered.AuthLogin) return TSmtpAuth::Login;
    return TSmtpAuth::None;
}

int ProgressPercent(std::uint64_t position, std::int64_t size) {
    if (size < 1) return -1;
    const double percent =
        std::round(100.0 * static_cast<double>(position) / static_cast<double>(size));
    return static_cast<int>(std::min(percent, 100.0));
}

} // namespace tavi

#include "mail/mailheaders.h"

#include "mail/mailerrors.h"
#include "mail/mimecoding.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <unordered_map>

namespace tavi {

namespace {

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The header name with its colon, as the lines are searched for.
std::string_view BareName(std::string_view name) {
    name = TrimBlanks(name);
    if (!name.empty() && name.back() == ':') name.remove_suffix(1);
    return name;
}

// The position after "name:" (blanks before the colon allowed), or npos.
std::size_t ValueStart(std::string_view line, std::string_view bare) {
    if (bare.empty() || !StartsWithNoCase(line, bare)) return std::string_view::npos;
    std::size_t i = bare.size();
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i < line.size() && line[i] == ':' ? i + 1 : std::string_view::npos;
}

bool IsContinuation(std::string_view line) {
    return !line.empty() && IsBlank(line[0]);
}

int HexValue(char c) {
    if (IsDigit(c)) return c - '0';
    c = LowerChar(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "=XX" sequences of a Q encoded word or an RFC 2231 value ("%XX") become bytes.
std::string DecodeEscapes(std::string_view text, char escape, bool underscoreIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == escape && i + 2 < text.size()) {
            const int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += underscoreIsBlank && c == '_' ? ' ' : c;
    }
    return out;
}

enum class TWord { Decoded, Malformed, NoMore };

// Decodes the encoded word starting at text[p] ("=?"); when decoded, end is past its "?=".
// NoMore: no "?" or "?=" follows, so no later word can be complete either.
TWord DecodeWordAt(std::string_view text, std::size_t p, std::string& decoded, std::size_t& end,
                   std::string_view& charsetOut) {
    const std::size_t q1 = text.find('?', p + 2);
    if (q1 == std::string_view::npos) return TWord::NoMore;
    if (q1 == p + 2 || q1 + 2 >= text.size() || text[q1 + 2] != '?') return TWord::Malformed;
    const std::string_view charset = text.substr(p + 2, q1 - p - 2);
    if (charset.find_first_of(" \t\r\n") != std::string_view::npos) return TWord::Malformed;
    const char kind = LowerChar(text[q1 + 1]);
    if (kind != 'b' && kind != 'q') return TWord::Malformed;
    charsetOut = charset;
    const std::size_t start = q1 + 3;
    const std::size_t close = text.find("?=", start);
    if (close == std::string_view::npos) return TWord::NoMore;
    const std::string_view encoded = text.substr(start, close - start);
    if (kind == 'b') {
        try {
            decoded = Base64Decode(encoded);
        } catch (const EMailError&) {
            return TWord::Malformed;
        }
    } else {
        decoded = DecodeEscapes(encoded, '=', true);
    }
    end = close + 2;
    return TWord::Decoded;
}

// The list items of a header value: commas inside quotes, <...> or (...) do not separate.
void SplitList(std::string_view value, std::vector<std::string>& items) {
    bool quoted = false;
    int angle = 0, paren = 0;
    std::size_t start = 0;
    auto flush = [&](std::size_t end) {
        const std::string_view item = TrimBlanks(value.substr(start, end - start));
        if (!item.empty()) items.push_back(DecodeEncodedWords(item));
        start = end + 1;
    };
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '<') {
            ++angle;
        } else if (c == '>') {
            angle = std::max(0, angle - 1);
        } else if (c == '(') {
            ++paren;
        } else if (c == ')') {
            paren = std::max(0, paren - 1);
        } else if (c == ',' && angle == 0 && paren == 0) {
            flush(i);
        }
    }
    flush(value.size());
}

// The parameters of a header value ("type; name=value; name="quoted value""), names in
// lower case, values without quotes or escapes; the first of a name wins.
std::unordered_map<std::string, std::string> ParseParameters(std::string_view value) {
    std::unordered_map<std::string, std::string> params;
    std::size_t i = 0;
    while (i < value.size()) {
        // A name up to "=" or ";".
        const std::size_t nameStart = i;
        while (i < value.size() && value[i] != '=' && value[i] != ';') ++i;
        if (i >= value.size() || value[i] == ';') {
            ++i; // no value: the main value or a stray word
            continue;
        }
        std::string name = AsciiLower(TrimBlanks(value.substr(nameStart, i - nameStart)));
        if (const std::size_t blank = name.find_last_of(" \t"); blank != std::string::npos)
            name.erase(0, blank + 1); // "text/plain name=x" without its semicolon
        ++i;
        while (i < value.size() && IsBlank(value[i])) ++i;
        std::string v;
        if (i < value.size() && value[i] == '"') {
            for (++i; i < value.size() && value[i] != '"'; ++i) {
                if (value[i] == '\\' && i + 1 < value.size()) ++i;
                v += value[i];
            }
        } else {
            const std::size_t end = value.find_first_of(" \t;", i);
            v = value.substr(i, end == std::string_view::npos ? end : end - i);
            i = end == std::string_view::npos ? value.size() : end;
        }
        // Whatever follows up to the next semicolon is not part of anything.
        while (i < value.size() && value[i] != ';') ++i;
        ++i;
        if (!name.empty()) params.emplace(std::move(name), std::move(v));
    }
    return params;
}

// An RFC 2231 extended value: charset'language'percent-encoded text; the charset is not used.
std::string DecodeExtendedValue(std::string_view v) {
    const std::size_t q1 = v.find('\'');
    const std::size_t q2 = q1 == std::string_view::npos ? q1 : v.find('\'', q1 + 1);
    if (q2 != std::string_view::npos) v = v.substr(q2 + 1);
    return DecodeEscapes(v, '%', false);
}

// The first c that is not inside a quoted string.
std::size_t FindOutsideQuotes(std::string_view text, char c) {
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (quoted) {
            if (text[i] == '\\')
                ++i;
            else if (text[i] == '"')
                quoted = false;
        } else if (text[i] == '"') {
            quoted = true;
        } else if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

constexpr std::array<const char*, 12> MonthNames = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                    "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool ParseNumber(std::string_view s, int& value) {
    if (s.empty() || s.size() > 9) return false;
    value = 0;
    for (char c : s) {
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

// "HH:MM" or "HH:MM:SS".
bool ParseTime(std::string_view s, int& h, int& m, int& sec) {
    const std::size_t c1 = s.find(':');
    if (c1 == std::string_view::npos) return false;
    const std::size_t c2 = s.find(':', c1 + 1);
    sec = 0;
    if (!ParseNumber(s.substr(0, c1), h)) return false;
    if (c2 == std::string_view::npos) {
        if (!ParseNumber(s.substr(c1 + 1), m)) return false;
    } else if (!ParseNumber(s.substr(c1 + 1, c2 - c1 - 1), m) ||
               !ParseNumber(s.substr(c2 + 1), sec)) {
        return false;
    }
    return h < 24 && m < 60 && sec < 60;
}

bool ValidDate(int y, int m, int d) {
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    using namespace std::chrono;
    return year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}
        .ok();
}

} // namespace

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = LowerChar(c);
    return out;
}

std::string AsciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (LowerChar(s[i]) != LowerChar(prefix[i])) return false;
    return true;
}

bool ContainsNoCase(std::string_view s, std::string_view part) {
    return AsciiLower(s).find(AsciiLower(part)) != std::string::npos;
}

std::string_view TrimBlanks(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

std::string Unquote(std::string_view s) {
    s = TrimBlanks(s);
    while (!s.empty() && s.front() == '"') s.remove_prefix(1);
    while (!s.empty() && s.back() == '"') s.remove_suffix(1);
    return std::string(s);
}

std::size_t TmsHeaders::Find(std::string_view name, std::size_t from) const {
    const std::string_view bare = BareName(name);
    for (std::size_t i = from; i < Lines.size(); ++i)
        if (ValueStart(Lines[i], bare) != std::string_view::npos) return i;
    return Lines.size();
}

std::string TmsHeaders::GetValue(std::string_view name) const {
    const std::string_view bare = BareName(name);
    const std::size_t i = Find(bare);
    if (i == Lines.size()) return {};
    std::string value(TrimBlanks(std::string_view(Lines[i]).substr(ValueStart(Lines[i], bare))));
    for (std::size_t j = i + 1; j < Lines.size() && IsContinuation(Lines[j]); ++j) {
        const std::string_view more = TrimBlanks(Lines[j]);
        if (more.empty()) continue;
        if (!value.empty()) value += ' ';
        value += more;
    }
    if (EqualsNoCase(bare, "Content-Type") || EqualsNoCase(bare, "X-UIDL")) return value;
    return DecodeEncodedWords(value);
}

std::vector<std::string> TmsHeaders::GetList(std::string_view name) const {
    const std::string_view bare = BareName(name);
    std::vector<std::string> items;
    for (std::size_t i = Find(bare); i < Lines.size(); i = Find(bare, i + 1)) {
        std::string value(std::string_view(Lines[i]).substr(ValueStart(Lines[i], bare)));
        for (std::size_t j = i + 1; j < Lines.size() && IsContinuation(Lines[j]); ++j) {
            value += ' ';
            value += TrimBlanks(Lines[j]);
        }
        SplitList(value, items);
    }
    return items;
}

bool TmsHeaders::Exists(std::string_view name) const {
    return Find(name) < Lines.size();
}

bool TmsHeaders::Remove(std::string_view name) {
    const std::size_t i = Find(name);
    if (i == Lines.size()) return false;
    std::size_t j = i + 1;
    while (j < Lines.size() && IsContinuation(Lines[j])) ++j;
    Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(i),
                Lines.begin() + static_cast<std::ptrdiff_t>(j));
    return true;
}

std::string GetParameter(std::string_view value, std::string_view name) {
    const auto params = ParseParameters(value);
    const std::string base = AsciiLower(name);
    if (const auto it = params.find(base); it != params.end())
        return DecodeEncodedWords(it->second);
    if (const auto it = params.find(base + "*"); it != params.end())
        return DecodeExtendedValue(it->second);
    // Continuations: name*0, name*1... each either plain or extended (name*1*).
    std::string out;
    for (std::size_t n = 0; n < params.size(); ++n) {
        const std::string part = base + "*" + std::to_string(n);
        if (const auto it = params.find(part + "*"); it != params.end())
            out += n == 0 ? DecodeExtendedValue(it->second) : DecodeEscapes(it->second, '%', false);
        else if (const auto it2 = params.find(part); it2 != params.end())
            out += it2->second;
        else
            break;
    }
    return out;
}

std::string GetMainValue(std::string_view value) {
    value = TrimBlanks(value);
    const std::size_t end = value.find_first_of(" \t;");
    return std::string(TrimBlanks(value.substr(0, end)));
}

std::string DecodeEncodedWords(std::string_view text, const TWordDecoder& decode) {
    std::string out;
    std::size_t pos = 0;
    bool afterWord = false;
    while (pos < text.size()) {
        std::size_t p = text.find("=?", pos);
        if (p == std::string_view::npos) break;
        std::string decoded;
        std::size_t end = 0;
        std::string_view charset;
        const TWord word = DecodeWordAt(text, p, decoded, end, charset);
        if (word == TWord::NoMore) break;
        if (word == TWord::Malformed) {
            out += text.substr(pos, p + 2 - pos);
            pos = p + 2;
            afterWord = false;
            continue;
        }
        const std::string_view between = text.substr(pos, p - pos);
        if (!(afterWord && TrimBlanks(between).empty())) out += between;
        out += decode ? decode(charset, std::move(decoded)) : decoded;
        pos = end;
        afterWord = true;
    }
    if (pos < text.size()) out += text.substr(pos);
    return out;
}

std::string EncodeHeaderWord(std::string_view text) {
    if (text.empty() || text.front() != '\x1B') return std::string(text);
    return "=?iso-2022-jp?B?" + Base64Encode(text) + "?=";
}

std::string EncodeUtf8Words(std::string_view utf8) {
    // Words of at most 45 bytes (60 in base64) stay within an encoded word's 75 characters.
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t most = std::min(i + 45, utf8.size());
        std::size_t end = most;
        while (end > i && end < utf8.size() &&
               (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80)
            --end;
        if (end == i) end = most; // no letter starts there: not UTF-8, cut where it fits
        if (!out.empty()) out += ' ';
        out += "=?UTF-8?B?" + Base64Encode(utf8.substr(i, end - i)) + "?=";
        i = end;
    }
    return out;
}

TmsMailAddress ParseAddress(std::string_view text) {
    text = TrimBlanks(text);
    TmsMailAddress a;
    std::string name;
    if (const std::size_t lt = FindOutsideQuotes(text, '<'); lt != std::string_view::npos) {
        const std::size_t gt = text.find('>', lt);
        if (gt != std::string_view::npos) {
            a.Address = Unquote(text.substr(lt + 1, gt - lt - 1));
            name = std::string(text.substr(0, lt)) + std::string(text.substr(gt + 1));
        } else {
            a.Address = Unquote(text.substr(lt + 1));
            name = std::string(text.substr(0, lt));
        }
    } else if (const std::size_t lp = FindOutsideQuotes(text, '('); lp != std::string_view::npos) {
        a.Address = Unquote(text.substr(0, lp));
        std::string_view rest = TrimBlanks(text.substr(lp + 1));
        if (!rest.empty() && rest.back() == ')') rest.remove_suffix(1);
        name = std::string(rest);
    } else {
        a.Address = Unquote(text);
        return a;
    }
    const std::string_view trimmed = TrimBlanks(name);
    if (trimmed.empty() || trimmed.front() != '"') {
        a.Name = Unquote(trimmed);
        return a;
    }
    // A quoted name, with backslash escapes ("Doe \"JJ\" John"); any text after it follows.
    std::size_t i = 1;
    for (; i < trimmed.size() && trimmed[i] != '"'; ++i) {
        if (trimmed[i] == '\\' && i + 1 < trimmed.size()) ++i;
        a.Name += trimmed[i];
    }
    const std::string rest = Unquote(trimmed.substr(std::min(i + 1, trimmed.size())));
    if (!rest.empty()) a.Name += (a.Name.empty() ? "" : " ") + rest;
    return a;
}

std::string QuoteName(std::string_view name) {
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') return std::string(name);
    if (name.find_first_of("()<>[]:;@\\,.\"") == std::string_view::npos) return std::string(name);
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string MailboxText(const TmsMailAddress& mailbox) {
    const auto oneLine = [](std::string text) {
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return text;
    };
    const std::string address = oneLine(mailbox.Address);
    const std::string name = oneLine(std::string(TrimBlanks(mailbox.Name)));
    if (name.empty()) return address;
    const bool ascii = std::all_of(name.begin(), name.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return (ascii ? QuoteName(name) : EncodeUtf8Words(name)) + " <" + address + ">";
}

TMailDateTime ParseMailDate(std::string_view text, std::string* rest) {
    if (rest) rest->clear();
    const std::string original = Unquote(text);
    const std::string s = AsciiUpper(original);
    const std::size_t dayStart = s.find_first_of("0123456789");
    if (dayStart == std::string::npos) return {};
    const std::size_t dayEnd = s.find(' ', dayStart);
    if (dayEnd == std::string::npos) return {};
    TMailDateTime d;
    if (!ParseNumber(std::string_view(s).substr(dayStart, dayEnd - dayStart), d.Day)) return {};
    const std::string_view after = std::string_view(s).substr(dayEnd);
    for (std::size_t m = 0; m < MonthNames.size() && d.Month == 0; ++m)
        if (after.find(MonthNames[m]) != std::string_view::npos) d.Month = static_cast<int>(m) + 1;
    if (d.Month == 0) return {};
    const std::size_t yearStart = s.find_first_of("0123456789", dayEnd);
    if (yearStart == std::string::npos) return {};
    std::size_t yearEnd = s.find_first_of(" ,", yearStart);
    if (yearEnd == std::string::npos) yearEnd = s.size();
    if (!ParseNumber(std::string_view(s).substr(yearStart, yearEnd - yearStart), d.Year)) return {};
    if (d.Year <= 50)
        d.Year += 2000;
    else if (d.Year < 100)
        d.Year += 1900;
    if (!ValidDate(d.Year, d.Month, d.Day)) return {};
    std::size_t timeStart = s.find_first_not_of(" ,", yearEnd);
    if (timeStart == std::string::npos) return d; // no time: midnight
    std::size_t timeEnd = s.find(' ', timeStart);
    if (timeEnd == std::string::npos) timeEnd = s.size();
    if (!ParseTime(std::string_view(s).substr(timeStart, timeEnd - timeStart), d.Hour, d.Minute,
                   d.Second))
        d.Hour = d.Minute = d.Second = 0;
    if (rest) *rest = std::string(TrimBlanks(std::string_view(original).substr(timeEnd)));
    return d;
}

std::string FormatMailDate(const TMailDateTime& date, int zoneMinutes) {
    using namespace std::chrono;
    static constexpr const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const year_month_day ymd{year{date.Year}, month{static_cast<unsigned>(date.Month)},
                             day{static_cast<unsigned>(date.Day)}};
    if (!ymd.ok()) return {};
    const unsigned wd = weekday{sys_days{ymd}}.c_encoding();
    const int zone = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", days[wd], date.Day,
                  months[date.Month - 1], date.Year, date.Hour, date.Minute, date.Second,
                  zoneMinutes < 0 ? '-' : '+', zone / 60, zone % 60);
    return buf;
}

std::string MailDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    TMailDateTime d{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
    return FormatMailDate(d, static_cast<int>(local.tm_gmtoff / 60));
}

} // namespace tavi

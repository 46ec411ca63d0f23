#include "mail/mimecoding.h"

#include "mail/mailerrors.h"

#include <array>
#include <cstdint>

namespace tavi {

namespace {

constexpr char Base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr signed char Skip = -2, Pad = -3, Bad = -1;

// Value of every byte in base64: 0..63, or one of Skip, Pad, Bad.
constexpr std::array<signed char, 256> Base64Values() {
    std::array<signed char, 256> v{};
    for (auto& x : v) x = Bad;
    for (int i = 0; i < 64; ++i) v[static_cast<unsigned char>(Base64Alphabet[i])] = i;
    v['\r'] = v['\n'] = v[' '] = v['\t'] = Skip;
    v['='] = Pad;
    return v;
}
constexpr auto Base64Table = Base64Values();

[[noreturn]] void InvalidCharacter() {
    throw EMailError(mailtext::InvalidCharacter);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr char HexDigits[] = "0123456789ABCDEF";

void AppendHexEscape(std::string& out, unsigned char b) {
    out += '=';
    out += HexDigits[b >> 4];
    out += HexDigits[b & 15];
}

bool NeedsQPEscape(unsigned char b) {
    return b < 32 || b == '=' || b >= 128;
}

char UUChar(unsigned v) {
    return v == 0 ? '`' : static_cast<char>(v + 32);
}

unsigned UUValue(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b > 96) InvalidCharacter();
    return (b - 32u) & 63u;
}

} // namespace

std::string Base64Encode(std::string_view data) {
    std::string out;
    out.resize((data.size() + 2) / 3 * 4);
    char* o = out.data();
    const auto* p = reinterpret_cast<const unsigned char*>(data.data());
    std::size_t n = data.size();
    for (; n >= 3; n -= 3, p += 3) {
        const std::uint32_t v = (p[0] << 16) | (p[1] << 8) | p[2];
        *o++ = Base64Alphabet[v >> 18];
        *o++ = Base64Alphabet[(v >> 12) & 63];
        *o++ = Base64Alphabet[(v >> 6) & 63];
        *o++ = Base64Alphabet[v & 63];
    }
    if (n > 0) {
        const std::uint32_t v = (p[0] << 16) | (n > 1 ? p[1] << 8 : 0);
        *o++ = Base64Alphabet[v >> 18];
        *o++ = Base64Alphabet[(v >> 12) & 63];
        *o++ = n > 1 ? Base64Alphabet[(v >> 6) & 63] : '=';
        *o++ = '=';
    }
    return out;
}

void Base64EncodeLines(std::string_view data, const TLineSink& sink) {
    for (std::size_t i = 0; i < data.size(); i += 57) sink(Base64Encode(data.substr(i, 57)));
}

void Base64DecodeAppend(std::string_view text, std::string& out) {
    out.reserve(out.size() + text.size() / 4 * 3);
    std::uint32_t acc = 0;
    int have = 0; // characters of the current group
    int pads = 0; // "=" seen in the current group
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    // Whole groups of four alphabet characters, the usual case, go straight through.
    auto quad = [](const unsigned char* q, std::uint32_t& v) {
        const int a = Base64Table[q[0]], b = Base64Table[q[1]], c = Base64Table[q[2]],
                  d = Base64Table[q[3]];
        v = (static_cast<std::uint32_t>(a) << 18) | (static_cast<std::uint32_t>(b) << 12) |
            (static_cast<std::uint32_t>(c) << 6) | static_cast<std::uint32_t>(d);
        return (a | b | c | d) >= 0;
    };
    for (; p < end; ++p) {
        std::uint32_t v4;
        while (have == 0 && end - p >= 4 && quad(p, v4)) {
            out += static_cast<char>(v4 >> 16);
            out += static_cast<char>(v4 >> 8);
            out += static_cast<char>(v4);
            p += 4;
        }
        if (p == end) break;
        const signed char v = Base64Table[*p];
        if (v >= 0) {
            if (pads > 0) InvalidCharacter(); // data after padding within one group
            acc = (acc << 6) | static_cast<std::uint32_t>(v);
            if (++have == 4) {
                out += static_cast<char>(acc >> 16);
                out += static_cast<char>(acc >> 8);
                out += static_cast<char>(acc);
                acc = 0;
                have = 0;
            }
        } else if (v == Pad) {
            if (have == 0) continue; // stray padding between groups
            if (have == 1) InvalidCharacter();
            if (have + ++pads == 4) {
                acc <<= 6 * pads;
                out += static_cast<char>(acc >> 16);
                if (have == 3) out += static_cast<char>(acc >> 8);
                acc = 0;
                have = 0;
                pads = 0;
            }
        } else if (v == Bad) {
            InvalidCharacter();
        }
    }
    // A final group cut short: keep the whole bytes it holds.
    if (have >= 2) {
        acc <<= 6 * (4 - have);
        out += static_cast<char>(acc >> 16);
        if (have == 3) out += static_cast<char>(acc >> 8);
    }
}

std::string Base64Decode(std::string_view text) {
    std::string out;
    Base64DecodeAppend(text, out);
    return out;
}

void QPEncode(std::string_view text, const TLineSink& sink) {
    constexpr std::size_t PieceMax = 65;
    std::string line;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        const std::string_view para = text.substr(pos, end - pos);
        const bool terminated = end < text.size();
        if (terminated) {
            // CR LF and LF CR are one line end.
            const char first = text[end++];
            if (end < text.size() && (text[end] == '\r' || text[end] == '\n') && text[end] != first)
                ++end;
        }
        pos = end;
        if (para.empty()) {
            sink({});
            continue;
        }
        std::size_t start = 0;
        while (start < para.size()) {
            std::size_t len = para.size() - start;
            const bool last = len <= PieceMax;
            if (!last) {
                const std::size_t blank = para.substr(start, PieceMax).rfind(' ');
                len = blank == std::string_view::npos ? PieceMax : blank + 1;
            }
            line.clear();
            const std::string_view piece = para.substr(start, len);
            for (std::size_t i = 0; i < piece.size(); ++i) {
                const auto b = static_cast<unsigned char>(piece[i]);
                // A blank that ends a line would be lost by transports that trim lines.
                if (NeedsQPEscape(b) || (b == ' ' && last && i + 1 == piece.size() && terminated))
                    AppendHexEscape(line, b);
                else
                    line += static_cast<char>(b);
            }
            if (!last || !terminated) line += '=';
            sink(line);
            start += len;
        }
    }
}

std::string QPEncodeText(std::string_view text) {
    std::string out;
    QPEncode(text, [&](std::string_view line) {
        out += line;
        out += "\r\n";
    });
    return out;
}

void QPDecodeLine(std::string_view line, std::string& out) {
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    const bool soft = end > 0 && line[end - 1] == '=';
    if (soft) line = line.substr(0, end - 1);
    // Decoded text is never longer than the line; write in place, then trim.
    const std::size_t start = out.size();
    out.resize(start + line.size() + 2);
    char* o = out.data() + start;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '=' && i + 2 < line.size()) {
            const int hi = HexValue(line[i + 1]);
            const int lo = HexValue(line[i + 2]);
            if (hi >= 0 && lo >= 0) {
                *o++ = static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        *o++ = c;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    if (!soft && (line.empty() || line.back() != '\x1A')) out += "\r\n";
}

std::string QPDecodeText(std::string_view text) {
    std::string out;
    SplitLines(text, [&](std::string_view line) { QPDecodeLine(line, out); });
    return out;
}

std::string UUEncodeLine(std::string_view bytes) {
    std::string line;
    line.reserve(1 + (bytes.size() + 2) / 3 * 4);
    line += UUChar(static_cast<unsigned>(bytes.size()));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const unsigned b0 = p[i];
        const unsigned b1 = i + 1 < bytes.size() ? p[i + 1] : 0;
        const unsigned b2 = i + 2 < bytes.size() ? p[i + 2] : 0;
        line += UUChar(b0 >> 2);
        line += UUChar(((b0 << 4) | (b1 >> 4)) & 63);
        line += UUChar(((b1 << 2) | (b2 >> 6)) & 63);
        line += UUChar(b2 & 63);
    }
    return line;
}

void UUEncode(std::string_view data, const TLineSink& sink) {
    for (std::size_t i = 0; i < data.size(); i += 45) sink(UUEncodeLine(data.substr(i, 45)));
}

void UUDecodeLine(std::string_view line, std::string& out) {
    if (line.empty()) return;
    const unsigned count = UUValue(line[0]);
    auto at = [&](std::size_t i) { return i < line.size() ? UUValue(line[i]) : 0u; };
    for (unsigned done = 0, i = 1; done < count; done += 3, i += 4) {
        const unsigned c0 = at(i), c1 = at(i + 1), c2 = at(i + 2), c3 = at(i + 3);
        out += static_cast<char>((c0 << 2) | (c1 >> 4));
        if (done + 1 < count) out += static_cast<char>(((c1 << 4) | (c2 >> 2)) & 255);
        if (done + 2 < count) out += static_cast<char>(((c2 << 6) | c3) & 255);
    }
}

void SplitLines(std::string_view text, const std::function<void(std::string_view)>& sink) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            sink(text.substr(pos));
            return;
        }
        sink(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
}

} // namespace tavi

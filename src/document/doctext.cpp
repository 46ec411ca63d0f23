#include "document/doctext.h"

#include "codes/tablenames.h"
#include "codes/vncodeconverter.h"
#include "platform/bytechars.h"

#include <algorithm>

namespace tavi {

TSegment FindSegment(std::string_view text, std::size_t caret, std::string_view delims) {
    if (text.empty()) return {};
    const auto isDelim = [&](std::size_t i) {
        return i < text.size() && delims.find(text[i]) != std::string_view::npos;
    };
    caret = std::min(caret, text.size());
    std::size_t start = caret;
    while (start > 0 && !isDelim(start - 1)) --start;
    std::size_t end = caret + 1;
    while (end < text.size() && !isDelim(end - 1)) ++end;
    if (isDelim(end - 1) && start + 1 < end) --end;
    // A caret at the very end looks one past the text; the segment ends with the text.
    return {start, std::min(end, text.size())};
}

int TCaretText::At(std::size_t pos) const {
    if (pos < Offset || pos - Offset >= Bytes.size()) return -1;
    return static_cast<unsigned char>(Bytes[pos - Offset]);
}

TSegment TCaretText::Segment(std::string_view delims) const {
    const TSegment s = FindSegment(Bytes, Caret - Offset, delims);
    return {s.Start + Offset, s.End + Offset};
}

std::string TCaretText::SegmentText(std::string_view delims) const {
    const TSegment s = FindSegment(Bytes, Caret - Offset, delims);
    return Bytes.substr(s.Start, s.End - s.Start);
}

void TUnbrokenRun::Add(std::string_view text) {
    for (char c : text) {
        Current = c == ' ' || c == '\t' || c == '\r' || c == '\n' ? 0 : Current + 1;
        Longest = std::max(Longest, Current);
    }
}

TPackage PackageOf(std::string_view head) {
    if (head.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1")) return TPackage::Ole;
    if (head.starts_with("PK\x03\x04")) return TPackage::Zip;
    return TPackage::None;
}

bool IsWordByte(unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
    switch (c) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA: return true;
    default: return false;
    }
}

unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

std::size_t FindText(std::string_view text, std::string_view what, std::size_t start,
                     std::size_t end, int options) {
    end = std::min(end, text.size());
    if (what.empty() || start > end || end - start < what.size()) return std::string_view::npos;
    const bool matchCase = (options & FindMatchCase) != 0;
    const bool wholeWord = (options & FindWholeWord) != 0;
    const auto same = [&](char a, char b) {
        if (matchCase) return a == b;
        return FoldCase(static_cast<unsigned char>(a)) == FoldCase(static_cast<unsigned char>(b));
    };
    const auto word = [&](std::size_t i) {
        return IsWordByte(static_cast<unsigned char>(text[i]));
    };
    for (std::size_t p = start; p + what.size() <= end; ++p) {
        if (!std::equal(what.begin(), what.end(), text.begin() + p, same)) continue;
        if (wholeWord &&
            ((p > 0 && word(p - 1)) || (p + what.size() < text.size() && word(p + what.size()))))
            continue;
        return p;
    }
    return std::string_view::npos;
}

std::vector<std::size_t> FindAll(std::string_view text, std::string_view what, int options) {
    std::vector<std::size_t> found;
    for (std::size_t at = 0;
         (at = FindText(text, what, at, text.size(), options)) != std::string_view::npos;
         at += what.size())
        found.push_back(at);
    return found;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const int len = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 0;
        char32_t c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + len <= text.size();
        for (int k = 1; ok && k < len; ++k) {
            const unsigned char t = static_cast<unsigned char>(text[i + k]);
            ok = (t >> 6) == 2;
            c = (c << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && c >= Least[len] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        out += ok ? c : U'\uFFFD';
        i += ok ? len : 1;
    }
    return out;
}

bool AllDocumentChars(std::u32string_view chars) {
    return std::all_of(chars.begin(), chars.end(), [](char32_t c) {
        return c <= 0xFFFF && CharToByte(static_cast<char16_t>(c)) >= 0;
    });
}

std::string CharsToDocument(std::u32string_view chars, bool asUtf8) {
    std::string out;
    out.reserve(chars.size());
    for (char32_t c : chars) {
        if (asUtf8) {
            AppendUtf8(out, c);
            continue;
        }
        const int b = c <= 0xFFFF ? CharToByte(static_cast<char16_t>(c)) : -1;
        out += static_cast<char>(b >= 0 ? b : '?');
    }
    return out;
}

std::string DocumentBytes(std::u32string_view chars) {
    return CharsToDocument(chars, !AllDocumentChars(chars));
}

namespace {

// Runs the matcher of a source table over text: entries become their destination entries, and
// each stretch of bytes between them is handed whole to other (the matcher may pass it on in
// pieces).
template <class Other>
std::string ConvertTable(const TVnCodeConverter& conv, std::string_view text, Other&& other) {
    std::string out, rest;
    conv.MatchNodes.Match(
        text,
        [&](unsigned k, std::string_view) {
            other(out, rest);
            rest.clear();
            out += conv.DestEntries[k - 1];
        },
        [&](std::string_view bytes) { rest += bytes; });
    other(out, rest);
    return out;
}

std::unique_ptr<TVnCodeConverter> TablePair(const std::string& source, const std::string& dest) {
    auto conv = std::make_unique<TVnCodeConverter>();
    conv->SetSourceTable(source);
    conv->SetDestTable(dest);
    return conv;
}

void AppendBytesAsChars(std::string& out, std::string_view bytes) {
    for (char b : bytes) AppendUtf8(out, ByteToChar(static_cast<unsigned char>(b)));
}

} // namespace

TUnicodeWriter::TUnicodeWriter(const std::string& table)
    : Converter(TablePair(table, UnicodeTableName)) {}
TUnicodeWriter::~TUnicodeWriter() = default;
TUnicodeWriter::TUnicodeWriter(TUnicodeWriter&&) noexcept = default;

std::string TUnicodeWriter::operator()(std::string_view bytes) const {
    return ConvertTable(*Converter, bytes, AppendBytesAsChars);
}

std::string TableToUnicode(std::string_view bytes, const std::string& table) {
    return TUnicodeWriter(table)(bytes);
}

std::string UnicodeToTable(std::string_view utf8, const std::string& table) {
    return ConvertTable(*TablePair(UnicodeTableName, table), utf8,
                        [](std::string& out, std::string_view rest) {
                            out += CharsToDocument(DecodeUtf8(rest), false);
                        });
}

} // namespace tavi

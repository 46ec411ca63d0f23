#include "mail/mailcharset.h"

#include "codes/tablenames.h"
#include "codes/vncodeconverter.h"
#include "mail/mailheaders.h"

#include <array>
#include <utility>

namespace tavi {

namespace {

struct TCharsetTable {
    const char* Charset;
    const char* Table;
};
// The charsets Vietnamese mail comes in; the names are as mail programs write them.
constexpr std::array<TCharsetTable, 6> CharsetTables = {{
    {"utf-8", UnicodeTableName},
    {"utf8", UnicodeTableName},
    {"windows-1258", "Windows-1258"},
    {"cp1258", "Windows-1258"},
    {"viscii", "VISCII"},
    {"x-viscii", "VISCII"},
}};

bool IsLatin1(std::string_view charset) {
    for (const char* name : {"iso-8859-1", "latin1", "us-ascii", "ascii", "windows-1252"})
        if (EqualsNoCase(charset, name)) return true;
    return false;
}

// Whether bytes are well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        char32_t v = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1, v = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2, v = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3, v = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size()) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            v = (v << 6) | (d & 0x3F);
        }
        if ((n == 2 && (v < 0x800 || (v >= 0xD800 && v <= 0xDFFF))) ||
            (n == 3 && (v < 0x10000 || v > 0x10FFFF)))
            return false;
        i += n + 1;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Whether UTF-8 text writes its marks as combining characters (U+0300, U+0301, U+0303,
// U+0309, U+0323), as some mail programs do: the compound table reads those.
bool HasCombiningMarks(std::string_view utf8) {
    for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
        const auto a = static_cast<unsigned char>(utf8[i]);
        const auto b = static_cast<unsigned char>(utf8[i + 1]);
        if ((a == 0xCC && (b == 0x80 || b == 0x81 || b == 0x83 || b == 0x89 || b == 0xA3)))
            return true;
    }
    return false;
}

// Converts between tables; a table that cannot be read leaves the text as it is, so a letter
// is shown even on a broken installation.
std::string Convert(const std::string& from, const std::string& to, std::string text) {
    if (from == to) return text;
    try {
        return ConvertBetween(from, to, text);
    } catch (const std::exception&) {
        return text;
    }
}

std::string Utf8ToTable(std::string utf8, const std::string& table) {
    const std::string from = HasCombiningMarks(utf8) ? UnicodeCompoundTableName : UnicodeTableName;
    return Convert(from, table, std::move(utf8));
}

} // namespace

std::string TableOfCharset(std::string_view charset) {
    for (const auto& [name, table] : CharsetTables)
        if (EqualsNoCase(charset, name)) return table;
    return {};
}

std::string CharsetToUtf8(std::string_view charset, std::string bytes) {
    const std::string table = TableOfCharset(charset);
    if (table == UnicodeTableName || (table.empty() && !IsLatin1(charset) && IsUtf8(bytes)))
        return bytes;
    if (table.empty()) return Latin1ToUtf8(bytes);
    return Convert(table, UnicodeTableName, std::move(bytes));
}

std::string HeaderTextIn(std::string_view rawValue, const std::string& table) {
    // Old programs put 8-bit text into headers unencoded; encoded words are ASCII, so widening
    // such a header leaves them as they are.
    const std::string value = IsUtf8(rawValue) ? std::string(rawValue) : Latin1ToUtf8(rawValue);
    const std::string utf8 =
        DecodeEncodedWords(value, [](std::string_view charset, std::string bytes) {
            return CharsetToUtf8(charset, std::move(bytes));
        });
    return Utf8ToTable(utf8, table);
}

std::string MessageTextIn(const TmsCustomMessage& letter, const std::string& table) {
    const std::string text = letter.BodyText();
    const std::string& charset = letter.BodyCharset;
    const std::string source = TableOfCharset(charset);
    // A table's own text goes straight to the table asked for: no detour through UTF-8.
    if (!source.empty() && source != UnicodeTableName) return Convert(source, table, text);
    if (!charset.empty() && source.empty() && !IsLatin1(charset) && !IsUtf8(text))
        return text; // a charset no table holds: shown as it came
    return Utf8ToTable(CharsetToUtf8(charset, text), table);
}

} // namespace tavi

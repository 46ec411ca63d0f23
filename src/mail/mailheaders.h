// Header lines of mail messages: access by name, parameters, encoded words, addresses, dates.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// A mailbox: display name and address.
struct TmsMailAddress {
    std::string Name;
    std::string Address;
    bool operator==(const TmsMailAddress&) const = default;
};

// A date and time of day from a Date header; all zero when there is none.
struct TMailDateTime {
    int Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
    bool IsZero() const { return Year == 0; }
    bool operator==(const TMailDateTime&) const = default;
};

// The raw header lines of a message, continuation lines included. Names compare without
// regard to case; a name may be given with or without its colon.
class TmsHeaders {
public:
    std::vector<std::string> Lines;

    // The value of the first header of that name: the text after the colon, trimmed, with its
    // continuation lines (those starting with a blank or tab) appended after one blank. Encoded
    // words are decoded except in Content-Type and X-UIDL. Empty when there is no such header.
    std::string GetValue(std::string_view name) const;
    // The comma-separated items of every header of that name, trimmed and decoded; commas
    // inside double quotes, angle brackets or parentheses do not separate.
    std::vector<std::string> GetList(std::string_view name) const;
    bool Exists(std::string_view name) const;
    // Deletes the first header of that name with its continuation lines; false when none.
    bool Remove(std::string_view name);
    void Add(std::string line) { Lines.push_back(std::move(line)); }
    void Clear() { Lines.clear(); }
    std::size_t Count() const { return Lines.size(); }

private:
    // Index of the first line holding the header, or Lines.size().
    std::size_t Find(std::string_view name, std::size_t from = 0) const;
};

// ASCII case folding; bytes of 128 and more stay as they are.
std::string AsciiLower(std::string_view s);
std::string AsciiUpper(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool ContainsNoCase(std::string_view s, std::string_view part);

// Removes blanks, tabs and line ends at both ends.
std::string_view TrimBlanks(std::string_view s);
// Trims, then removes all leading and trailing double quotes.
std::string Unquote(std::string_view s);
// The value of a parameter (boundary, name, charset...) in a header value: a quoted string
// without its quotes, or a token up to a blank or semicolon; also the RFC 2231 forms name* and
// name*0, name*1... (percent-decoded, charset ignored). Encoded words are decoded. Empty when
// the parameter is missing.
std::string GetParameter(std::string_view value, std::string_view name);
// The value up to the first blank or semicolon, trimmed: the media type of a Content-Type.
std::string GetMainValue(std::string_view value);
// Replaces every encoded word "=?charset?B?...?=" or "=?charset?Q?...?=" by its bytes (the
// charset is not used). Blanks between two encoded words are dropped; in Q words "_" is a blank.
// Malformed words stay as they are. decode, when given, turns each word's bytes into the text
// wanted, knowing the word's charset.
using TWordDecoder = std::function<std::string(std::string_view charset, std::string bytes)>;
std::string DecodeEncodedWords(std::string_view text, const TWordDecoder& decode = {});
// A header text that begins with the escape byte (ISO-2022-JP) as one B encoded word; any
// other text unchanged.
std::string EncodeHeaderWord(std::string_view text);
// A text in UTF-8 as B encoded words of UTF-8 that each fit a header line; a letter is never
// split between two words.
std::string EncodeUtf8Words(std::string_view utf8);

// Splits "Name <address>", "address (Name)" or a bare address. An address with "<" but no
// ">" keeps what follows the "<" as its address.
TmsMailAddress ParseAddress(std::string_view text);
// The name as it goes before " <address>" in a header: quoted (with backslash escapes) when
// it holds characters with a meaning in addresses, such as a full stop or a comma.
std::string QuoteName(std::string_view name);
// A mailbox as a letter in UTF-8 writes it: the bare address when there is no name, else the
// name (quoted where needed, in encoded words when it is not ASCII) and the address in angle
// brackets. Line ends in either part become blanks.
std::string MailboxText(const TmsMailAddress& mailbox);

// Parses a Date header ("Mon, 3 Jan 00 10:20:30 +0700"); a zero result when it is not a date.
// rest receives the text after the time (the zone), which is not applied.
TMailDateTime ParseMailDate(std::string_view text, std::string* rest = nullptr);
// A Date header value, "Mon, 3 Jan 2000 10:20:30 +0700", for a date and its zone offset.
std::string FormatMailDate(const TMailDateTime& date, int zoneMinutes);
// The present local time as a Date header value.
std::string MailDateNow();

} // namespace tavi

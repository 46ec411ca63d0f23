// Operations on the document's bytes that the editor control offers: the segment around the
// caret, searching, and the bytes of text that arrives as Unicode characters.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

class TVnCodeConverter;

// A run of the text: positions Start to End - 1.
struct TSegment {
    std::size_t Start = 0;
    std::size_t End = 0;
};

// The run of non-delimiters that touches the caret: it starts after the nearest delimiter
// before the caret and stops before the first delimiter at or after it. When the caret sits on
// a delimiter that follows another, the segment is that one delimiter. Empty text gives 0, 0.
TSegment FindSegment(std::string_view text, std::size_t caret, std::string_view delims);

// The text around the caret: the caret's paragraph with the break before and after it, which
// is all that the key handlers look at. Every segment whose delimiters include CR or LF lies
// inside it, so the editor need not build its whole text for a keystroke.
struct TCaretText {
    std::string Bytes;         // the text from Offset on
    std::size_t Offset = 0;    // where Bytes starts in the whole text
    std::size_t Caret = 0;     // the caret (start of the selection), in the whole text
    std::size_t SelLength = 0; // the selection's length
    std::size_t Length = 0;    // the whole text's length

    // The byte at a position of the whole text; -1 outside the text or outside Bytes.
    int At(std::size_t pos) const;
    // The segment around the caret, in positions of the whole text. delims must hold CR or LF.
    TSegment Segment(std::string_view delims) const;
    std::string SegmentText(std::string_view delims) const;
};

// The longest stretch of text with no blank in it (space, tab, line break), through pieces of
// text given one after another: where a screen line may break.
struct TUnbrokenRun {
    std::size_t Current = 0, Longest = 0;
    void Add(std::string_view text);
    void Break() { Current = 0; } // a paragraph ends
};

// Search options, added together.
constexpr int FindWholeWord = 2;
constexpr int FindMatchCase = 4;

// True for the bytes that make up words: ASCII letters and digits and the letters of the
// 8-bit codes (so a two-byte VNI letter is all word).
bool IsWordByte(unsigned char c);

// The lowercase of a byte: ASCII and Windows-1252 letters. The VNI codes put every capital 0x20
// below its small letter, exactly as Windows-1252 does, so this folds VNI text too.
unsigned char FoldCase(unsigned char c);

// The first match of what that lies wholly between start and end, or npos. Without
// FindMatchCase letters match in either case; with FindWholeWord the bytes on either side of
// the match (inside or outside the range) must not be word bytes.
std::size_t FindText(std::string_view text, std::string_view what, std::size_t start,
                     std::size_t end, int options);

// What a file's first bytes show it to be when it is an office document that only a converter
// reads: an OLE compound file (".doc", ".xls"…) or a zip package (".docx", ".odt"…).
enum class TPackage { None, Ole, Zip };
TPackage PackageOf(std::string_view head);

// Every match of what in text, one after another and never overlapping: a search goes on
// after each match, so a replacement that holds the searched text is never searched again.
std::vector<std::size_t> FindAll(std::string_view text, std::string_view what, int options);

// Appends the UTF-8 form of a character.
void AppendUtf8(std::string& out, char32_t c);

// The characters of UTF-8 text; a byte that starts no valid sequence stands for U+FFFD.
std::u32string DecodeUtf8(std::string_view text);

// True when every character is one of the 256 the editor holds.
bool AllDocumentChars(std::u32string_view chars);

// Characters from a Unicode source (a Word document, another program's clipboard, RTF \u
// escapes) as document bytes. When every character is one of the 256 the editor holds (the
// Windows-1252 characters, as old 8-bit documents carry their bytes), the result is those bytes;
// otherwise the text is a Unicode document and the result is its UTF-8 form, which the code
// converter detects and converts like every other Vietnamese code.
std::string DocumentBytes(std::u32string_view chars);

// The bytes of characters: their own bytes when asUtf8 is false (characters outside the 256
// become '?'), else UTF-8. DocumentBytes is this with asUtf8 = !AllDocumentChars(chars).
std::string CharsToDocument(std::u32string_view chars, bool asUtf8);

// Text in a code table as Unicode (UTF-8), for other programs: the table's letters become
// Unicode letters and every other byte its Windows-1252 character. Throws EFOpenError when the
// table cannot be read.
std::string TableToUnicode(std::string_view bytes, const std::string& table);

// TableToUnicode with the tables read once, for texts converted one after another.
class TUnicodeWriter {
public:
    // Throws EFOpenError when the table cannot be read.
    explicit TUnicodeWriter(const std::string& table);
    ~TUnicodeWriter();
    TUnicodeWriter(TUnicodeWriter&&) noexcept;
    std::string operator()(std::string_view bytes) const;

private:
    std::unique_ptr<TVnCodeConverter> Converter;
};

// Unicode text (UTF-8, precomposed) in a code table: letters the table has become its bytes,
// other characters their Windows-1252 bytes, and characters with neither '?'. Throws
// EFOpenError when the table cannot be read.
std::string UnicodeToTable(std::string_view utf8, const std::string& table);

} // namespace tavi

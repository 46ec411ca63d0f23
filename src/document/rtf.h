// Rich text: the document model that the editor control keeps, and its RTF reader and writer.
// The reader takes what the editor can hold from the RTF that word processors write (fonts,
// sizes, bold, italic, underline, alignment, indents, paragraphs) and skips the rest; the
// writer writes what the editor holds, with every byte from 0x80 up as a \'xx escape so that
// the code converter can convert the RTF source itself.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

struct TRtfCharFormat {
    std::string FontName; // UTF-8; empty for a font the document does not name
    int HalfPoints = 24;  // \fs: size in half points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool operator==(const TRtfCharFormat&) const = default;
};

// Paragraph alignments: the values the editor uses.
constexpr int AlignLeft = 0;
constexpr int AlignRight = 1;
constexpr int AlignCenter = 2;

struct TRtfParaFormat {
    int Alignment = AlignLeft;
    int LeftIndent = 0; // twips
    int RightIndent = 0;
    int FirstIndent = 0; // of the first line, relative to LeftIndent
    bool operator==(const TRtfParaFormat&) const = default;
};

struct TRtfRun {
    TRtfCharFormat Format;
    std::string Text; // document bytes, no paragraph breaks
    bool operator==(const TRtfRun&) const = default;
};

struct TRtfParagraph {
    TRtfParaFormat Format;
    std::vector<TRtfRun> Runs; // adjacent runs differ in format; none is empty
    TRtfCharFormat MarkFormat; // of the paragraph mark: what an empty line shows; in a
                               // paragraph with text, the format of its last run
    bool operator==(const TRtfParagraph&) const = default;
};

struct TRtfDocument {
    std::vector<TRtfParagraph> Paragraphs;

    // Appends text to the last paragraph (starting one if there is none), merging it into the
    // last run when the format is the same.
    void AddText(std::string_view text, const TRtfCharFormat& format);
    // The text, paragraphs joined by lineBreak.
    std::string PlainText(std::string_view lineBreak) const;
    bool operator==(const TRtfDocument&) const = default;
};

// Every run's text through convert (from one code table to another), the formatting kept. A
// letter whose bytes are split between two runs is kept whole in the first, so that it
// converts as one letter.
void ConvertRuns(TRtfDocument& doc, const std::function<std::string(std::string_view)>& convert);

// True when the data starts as an RTF document does ("{\rtf").
bool LooksLikeRtf(std::string_view data);

// Groups nested deeper than this make the reader give up.
constexpr std::size_t RtfMaxDepth = 4096;

// Reads an RTF document. Returns false, with a reason in error, when the data is not RTF or
// nests groups beyond RtfMaxDepth; anything else is read as far as it goes (missing closing
// braces are supplied, text after the closing brace of the document is ignored). Text arrives
// as \'xx bytes, literal bytes and \uN characters; the result is converted as a whole with
// DocumentBytes, so old 8-bit documents keep their bytes and Unicode documents become UTF-8.
// Every paragraph ends at \par (also \line and \row); text after the last \par is one more
// paragraph.
bool ReadRtf(std::string_view data, TRtfDocument& doc, std::string* error = nullptr);

// Writes a document: a font table of the fonts it uses, then every paragraph with its format,
// runs, and \par. Bytes from 0x80 up and control bytes are \'xx escapes with lowercase hex
// digits; backslash and braces are escaped. A paragraph is written on one line, so that no
// letter is split by a line break. With unicodeText the runs hold UTF-8 text, which is written
// as \uN escapes for other programs.
std::string WriteRtf(const TRtfDocument& doc, bool unicodeText = false);

} // namespace tavi

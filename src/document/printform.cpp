#include "document/printform.h"

#include "document/fontnames.h"

#include <algorithm>

namespace tavi {

namespace {

constexpr double UnitsPerMillimetre = 3.5;
constexpr int TwipsPerUnit = 15; // the editor's unit is a pixel at 96 to the inch

} // namespace

TRtfDocument PlainTextDocument(std::string_view text, const TRtfCharFormat& format) {
    TRtfDocument doc;
    doc.Paragraphs.emplace_back().MarkFormat = format;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", i), text.size());
        if (end > i) doc.AddText(text.substr(i, end - i), format);
        if (end == text.size()) break;
        i = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        doc.Paragraphs.emplace_back().MarkFormat = format;
    }
    return doc;
}

TRtfDocument DocumentInUnicode(TRtfDocument doc,
                               const std::function<std::string(std::string_view)>& toUnicode) {
    const auto face = [](TRtfCharFormat& f) {
        if (f.FontName == VniScreenFont) f.FontName = UnicodeTextFont;
    };
    ConvertRuns(doc, toUnicode);
    for (TRtfParagraph& p : doc.Paragraphs) {
        for (TRtfRun& run : p.Runs) face(run.Format);
        face(p.MarkFormat);
    }
    return doc;
}

TRtfDocument BrailleInUnicode(TRtfDocument doc, const TBrailleCells& cells) {
    for (TRtfParagraph& p : doc.Paragraphs) {
        for (TRtfRun& run : p.Runs) {
            run.Text = BraillePatterns(run.Text, cells, true);
            run.Format.FontName = BrailleScreenFont;
        }
        p.MarkFormat.FontName = BrailleScreenFont;
    }
    return doc;
}

void IndentForMargins(TRtfDocument& doc, int leftMargin, int rightMargin) {
    const auto twips = [](int mm) {
        return static_cast<int>(mm * UnitsPerMillimetre * TwipsPerUnit + 0.5);
    };
    for (TRtfParagraph& p : doc.Paragraphs) {
        p.Format.LeftIndent += twips(leftMargin);
        p.Format.RightIndent += twips(rightMargin);
    }
}

} // namespace tavi

#include "document/rtfqt.h"

#include <QTextCursor>

namespace tavi {

namespace {

constexpr int TwipsPerPixel = 15; // at 96 pixels to the inch

} // namespace

QTextCharFormat ToQt(const TRtfCharFormat& f) {
    QTextCharFormat q;
    if (!f.FontName.empty()) q.setFontFamilies(QStringList{QString::fromStdString(f.FontName)});
    q.setFontPointSize(f.HalfPoints / 2.0);
    q.setFontWeight(f.Bold ? QFont::Bold : QFont::Normal);
    q.setFontItalic(f.Italic);
    q.setFontUnderline(f.Underline);
    return q;
}

QTextBlockFormat ToQt(const TRtfParaFormat& f) {
    QTextBlockFormat q;
    q.setAlignment(f.Alignment == AlignRight    ? Qt::AlignRight
                   : f.Alignment == AlignCenter ? Qt::AlignHCenter
                                                : Qt::AlignLeft);
    q.setLeftMargin(f.LeftIndent / double(TwipsPerPixel));
    q.setRightMargin(f.RightIndent / double(TwipsPerPixel));
    q.setTextIndent(f.FirstIndent / double(TwipsPerPixel));
    return q;
}

int AlignmentOf(const QTextBlockFormat& f) {
    const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignRight) return AlignRight;
    if (a & Qt::AlignHCenter) return AlignCenter;
    return AlignLeft;
}

TRtfParaFormat ParaFormatOf(const QTextBlockFormat& f) {
    TRtfParaFormat p;
    p.Alignment = AlignmentOf(f);
    p.LeftIndent = qRound(f.leftMargin() * TwipsPerPixel);
    p.RightIndent = qRound(f.rightMargin() * TwipsPerPixel);
    p.FirstIndent = qRound(f.textIndent() * TwipsPerPixel);
    return p;
}

void InsertParagraphs(QTextCursor& c, const TRtfDocument& doc, QString (*chars)(std::string_view)) {
    for (std::size_t i = 0; i < doc.Paragraphs.size(); ++i) {
        const TRtfParagraph& p = doc.Paragraphs[i];
        if (i > 0) c.insertBlock(ToQt(p.Format), ToQt(p.MarkFormat));
        for (const TRtfRun& run : p.Runs) c.insertText(chars(run.Text), ToQt(run.Format));
    }
}

} // namespace tavi

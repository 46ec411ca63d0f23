#include "document/printing.h"

#include "document/fontnames.h"
#include "document/rtfqt.h"
#include "document/screenfonts.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace tavi {

namespace {

// Nothing is drawn nearer the paper's edge than this, whatever the printer says it reaches.
constexpr double LeastMarginMm = 10;
constexpr double BraillePoints = 18;

void SetUp(QPdfWriter& pdf, const TPaper& paper, const std::string& title) {
    pdf.setTitle(QString::fromStdString(title));
    pdf.setCreator(QStringLiteral("Tavi"));
    pdf.setPageSize(QPageSize(QSizeF(paper.WidthMm, paper.HeightMm), QPageSize::Millimeter));
    const auto margin = [](double mm) { return std::max(mm, LeastMarginMm); };
    pdf.setPageMargins(QMarginsF(margin(paper.LeftMm), margin(paper.TopMm), margin(paper.RightMm),
                                 margin(paper.BottomMm)),
                       QPageLayout::Millimeter);
}

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Bytes(const QByteArray& data) {
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

} // namespace

std::string DocumentPdf(const TRtfDocument& doc, const TPaper& paper, const std::string& title) {
    RegisterScreenFonts(); // Braille is drawn with the program's own face
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&out);
        SetUp(pdf, paper, title);
        QTextDocument text;
        text.setDocumentMargin(0);
        QTextCursor c(&text);
        if (!doc.Paragraphs.empty()) {
            c.setBlockFormat(ToQt(doc.Paragraphs[0].Format));
            c.setBlockCharFormat(ToQt(doc.Paragraphs[0].MarkFormat));
        }
        InsertParagraphs(c, doc, Utf8);
        // Laid out with the PDF's own metrics on pages the size of the printable part; each
        // page is that part of the layout.
        text.documentLayout()->setPaintDevice(&pdf);
        const QSizeF page = pdf.pageLayout().paintRectPixels(pdf.resolution()).size();
        text.setPageSize(page);
        QPainter painter(&pdf);
        for (int i = 0; i < text.pageCount(); ++i) {
            if (i > 0) pdf.newPage();
            painter.save();
            painter.translate(0, -i * page.height());
            text.drawContents(&painter, QRectF(QPointF(0, i * page.height()), page));
            painter.restore();
        }
    }
    return Bytes(out.data());
}

std::string BraillePagesPdf(const std::vector<std::string>& lines, std::size_t linesPerPage,
                            const TPaper& paper, const std::string& title) {
    RegisterScreenFonts();
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&out);
        SetUp(pdf, paper, title);
        QPainter painter(&pdf);
        QFont font(QString::fromLatin1(BrailleScreenFont));
        font.setPointSizeF(BraillePoints);
        painter.setFont(font);
        const QFontMetricsF metrics(font, &pdf);
        const double step = metrics.boundingRect(QStringLiteral("Wg")).height();
        double y = metrics.ascent();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0 && i % linesPerPage == 0) {
                pdf.newPage();
                y = metrics.ascent();
            }
            painter.drawText(QPointF(0, y), Utf8(lines[i]));
            y += step;
        }
    }
    return Bytes(out.data());
}

} // namespace tavi

// The generated screen fonts, and screenshots of the editor showing them.
#include "codes/tabletree.h"
#include "document/msrichedit.h"
#include "document/screenfonts.h"
#include "platform/qbytechars.h"
#include "support/testdata.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTest>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

using tavitest::DataDir;
using tavitest::Hex;

namespace {

QString FontFile(const char* name) {
    return QString::fromStdString((DataDir() / "fonts" / name).string());
}

QString Chars(std::string_view bytes) {
    return tavi::BytesToQString(bytes);
}

quint32 Glyph(const QRawFont& font, unsigned char byte) {
    const auto g = font.glyphIndexesForString(QString(QChar(tavi::ByteToChar(byte))));
    return g.isEmpty() ? 0 : g[0];
}

// The bytes of "Vni for Win": the mark bytes (second byte of a two-byte letter) and the
// letters written as one byte from 0x80 up.
struct TVniBytes {
    std::vector<std::string> TwoByteLetters;
    std::set<unsigned char> Marks, Letters;
};

TVniBytes VniBytes() {
    TVniBytes v;
    const std::string table = tavitest::ReadFile(DataDir() / "VNCFiles/Vni for Win.vnc");
    for (std::string_view e : tavi::SplitTableEntries(table)) {
        if (e.size() == 2) {
            v.TwoByteLetters.emplace_back(e);
            v.Marks.insert(static_cast<unsigned char>(e[1]));
        } else if (static_cast<unsigned char>(e[0]) >= 0x80) {
            v.Letters.insert(static_cast<unsigned char>(e[0]));
        }
    }
    return v;
}

// Ink of text drawn in black on white: the columns and rows that hold dark pixels.
QImage Draw(const QFont& font, const QString& text, QSize size = {400, 200}) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QPointF(100, 130), text);
    return img;
}

QRect Ink(const QImage& img, const QImage* minus = nullptr) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const bool dark = qGray(img.pixel(x, y)) < 128;
            const bool was = minus && qGray(minus->pixel(x, y)) < 128;
            if (dark && !was) r |= QRect(x, y, 1, 1);
        }
    return r;
}

class ScreenFonts : public ::testing::Test {
protected:
    void SetUp() override { Families = tavi::RegisterScreenFonts(); }
    QStringList Families;
};

TEST_F(ScreenFonts, AreRegistered) {
    EXPECT_TRUE(Families.contains(tavi::VniScreenFont));
    EXPECT_TRUE(Families.contains(tavi::BrailleScreenFont));
    EXPECT_TRUE(QFontDatabase::styles(tavi::VniScreenFont).contains("Bold"));
    EXPECT_EQ(tavi::RegisterScreenFonts(), Families); // once per run
}

TEST_F(ScreenFonts, DrawEveryByteWithoutShapingTables) {
    for (const char* file : {"Vni-Screen-Regular.ttf", "Vni-Screen-Bold.ttf", "VBraille.ttf"}) {
        const QRawFont font(FontFile(file), 64);
        ASSERT_TRUE(font.isValid()) << file;
        for (int b = 0x20; b < 0x100; ++b) {
            if (b != 0x7F) {
                EXPECT_TRUE(font.supportsCharacter(QChar(tavi::ByteToChar(b)))) << file << b;
            }
        }
        for (const char* table : {"GSUB", "GPOS", "GDEF", "kern", "morx"})
            EXPECT_TRUE(font.fontTable(table).isEmpty()) << file << table;
    }
}

TEST_F(ScreenFonts, VniMarksHaveNoAdvanceAndSitOverTheLetterBefore) {
    const TVniBytes vni = VniBytes();
    ASSERT_EQ(vni.Marks.size(), 34u);   // 17 small and 17 capital
    ASSERT_EQ(vni.Letters.size(), 18u); // í ì ỉ ĩ ị ơ ư ỵ đ and capitals
    const QRawFont raw(FontFile("Vni-Screen-Regular.ttf"), 64);
    for (unsigned char m : vni.Marks) {
        const auto adv = raw.advancesForGlyphIndexes(QList<quint32>{Glyph(raw, m)});
        EXPECT_EQ(adv.at(0).x(), 0) << int(m);
    }
    for (unsigned char l : vni.Letters) {
        const auto adv = raw.advancesForGlyphIndexes(QList<quint32>{Glyph(raw, l)});
        EXPECT_GT(adv.at(0).x(), 10) << int(l);
    }
    QFont font(tavi::VniScreenFont);
    font.setPixelSize(64);
    const QFontMetricsF metrics(font);
    EXPECT_EQ(metrics.horizontalAdvance(Chars("Vie" + Hex("E4") + "t")),
              metrics.horizontalAdvance("Viet"));
    // Every two-byte letter: the mark's ink lies over its letter, and there is some.
    for (const std::string& letter : vni.TwoByteLetters) {
        const QImage base = Draw(font, Chars(letter.substr(0, 1)));
        const QImage whole = Draw(font, Chars(letter));
        const QRect letterInk = Ink(base), markInk = Ink(whole, &base);
        ASSERT_FALSE(markInk.isEmpty()) << Hex(letter);
        const int slack = letterInk.width() / 4;
        EXPECT_GE(markInk.left(), letterInk.left() - slack) << tavitest::Hex(letter);
        EXPECT_LE(markInk.right(), letterInk.right() + slack) << tavitest::Hex(letter);
    }
}

// The dots of a cell glyph: which of the six dot places of the full cell are inked.
int Dots(const QRawFont& font, quint32 glyph, const QRectF& full) {
    const QPainterPath path = font.pathForGlyph(glyph);
    const double dot = full.width() / 3;
    const double xs[2] = {full.left() + dot / 2, full.right() - dot / 2};
    const double ys[3] = {full.top() + dot / 2, full.center().y(), full.bottom() - dot / 2};
    int dots = 0;
    for (int i = 0; i < 6; ++i)
        if (path.contains(QPointF(xs[i / 3], ys[i % 3]))) dots |= 1 << i;
    return dots;
}

TEST_F(ScreenFonts, BrailleBytesAreTheCellsOfTheCellTable) {
    std::map<unsigned char, int> cells;
    std::ifstream in(tavitest::SourceDir() / "data/braille/sixkey-cells.txt");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line.substr(0, line.find('#')));
        int cell = 0;
        std::string dots, col;
        if (!(fields >> cell >> dots)) continue;
        while (fields >> col)
            if (col != "-") cells[static_cast<unsigned char>(std::stoi(col, nullptr, 16))] = cell;
    }
    ASSERT_GT(cells.size(), 100u);
    const int digits[10] = {26, 1, 3, 9, 25, 17, 11, 27, 19, 10}; // 0..9 as j, a..i
    for (int d = 0; d < 10; ++d) cells['0' + d] = digits[d];
    const QRawFont raw(FontFile("VBraille.ttf"), 2048);
    const QRectF full = raw.pathForGlyph(Glyph(raw, 0x85)).boundingRect(); // all six dots
    ASSERT_EQ(Dots(raw, Glyph(raw, 0x85), full), 63);
    for (const auto& [byte, cell] : cells)
        EXPECT_EQ(Dots(raw, Glyph(raw, byte), full), cell) << "byte " << int(byte);
    // The space is the empty cell, as wide as the others.
    EXPECT_TRUE(raw.pathForGlyph(Glyph(raw, ' ')).isEmpty());
    EXPECT_EQ(raw.advancesForGlyphIndexes(QList<quint32>{Glyph(raw, ' ')}),
              raw.advancesForGlyphIndexes(QList<quint32>{Glyph(raw, 'a')}));
}

// The editor on the screen: the word Việt Nam in VNI bytes and a Braille line, saved as
// pictures to look at (build/screenshots).
TEST_F(ScreenFonts, EditorScreenshots) {
    const std::filesystem::path out = tavitest::BinaryDir() / "screenshots";
    std::filesystem::create_directories(out);
    const struct {
        const char* file;
        const char* font;
        std::string text;
    } shots[] = {
        {"vni-viet-nam.png", tavi::VniScreenFont,
         "Vie" + Hex("E4") + "t Nam\r\nVIE" + Hex("C4") + "T NAM " + Hex("D1 D6 D4 D8") + "NG " +
             Hex("F1 F6 F4 F8") + "ng ng" + Hex("F6 F4 F8") + "i"},
        {"braille-line.png", tavi::BrailleScreenFont, "#abc vie" + Hex("E2") + "t nam 1234567890"},
    };
    for (const auto& s : shots) {
        tavi::TMsRichEdit e;
        e.resize(700, 160);
        e.SetText(s.text);
        e.SelectAllText();
        e.SetSelFontName(s.font);
        e.SetSelFontSize(28);
        e.SetSelStart(0);
        e.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
        const QImage shot = e.viewport()->grab().toImage();
        ASSERT_TRUE(shot.save(QString::fromStdString((out / s.file).string())));
        const QRect ink = Ink(shot);
        EXPECT_GT(ink.width(), 200) << s.file;
        EXPECT_GT(ink.height(), 20) << s.file;
    }
}

} // namespace

// The RTF reader and writer.
#include "codes/vncodeconverter.h"
#include "document/rtf.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TRtfCharFormat;
using tavi::TRtfDocument;
using tavitest::Hex;

namespace {

TRtfCharFormat Font(const std::string& name, int halfPoints, bool bold = false, bool italic = false,
                    bool underline = false) {
    TRtfCharFormat f;
    f.FontName = name;
    f.HalfPoints = halfPoints;
    f.Bold = bold;
    f.Italic = italic;
    f.Underline = underline;
    return f;
}

TRtfDocument Read(std::string_view rtf) {
    TRtfDocument doc;
    std::string error;
    EXPECT_TRUE(tavi::ReadRtf(rtf, doc, &error)) << error << "\n" << rtf;
    return doc;
}

std::string Text(std::string_view rtf) {
    return Read(rtf).PlainText("|");
}

TEST(Rtf, WrittenDocumentsReadBackTheSame) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b) allBytes += static_cast<char>(b);
    const TRtfCharFormat vni = Font("Vni-Screen", 28);
    std::vector<TRtfDocument> docs(5);
    docs[1].Paragraphs.emplace_back();
    docs[1].Paragraphs[0].MarkFormat = Font("VBraille", 36, true);
    // Text with every byte, runs in every style, alignments, indents, empty paragraphs.
    TRtfDocument& d = docs[2];
    d.Paragraphs.emplace_back();
    d.AddText("Vie" + Hex("E4") + "t Nam {x} \\ \t", vni);
    d.AddText("bold", Font("Vni-Screen", 28, true));
    d.AddText("italic underlined", Font("VBraille", 20, false, true, true));
    d.Paragraphs.emplace_back();
    d.Paragraphs.back().Format = {tavi::AlignCenter, 720, 1440, -360};
    d.Paragraphs.back().MarkFormat = Font("Vni-Screen", 48, false, true);
    d.Paragraphs.emplace_back();
    d.Paragraphs.back().Format.Alignment = tavi::AlignRight;
    d.AddText(allBytes, vni);
    d.Paragraphs.emplace_back();
    d.Paragraphs.back().MarkFormat = vni;
    // Font names that need escaping.
    docs[3].Paragraphs.emplace_back();
    docs[3].AddText("x", Font("A;B {C} \\ \xC3\xA9 \xF0\x9F\x98\x80", 24));
    // Real prose, a paragraph each.
    for (const auto& p : tavitest::VietnameseProse()) {
        docs[4].Paragraphs.emplace_back();
        docs[4].AddText(p, vni);
    }
    for (std::size_t i = 0; i < docs.size(); ++i) {
        const std::string rtf = tavi::WriteRtf(docs[i]);
        EXPECT_EQ(Read(rtf), docs[i]) << i << "\n" << rtf;
    }
}

TEST(Rtf, WriterEscapesBytesForTheConverter) {
    TRtfDocument d;
    d.Paragraphs.emplace_back();
    d.AddText("a" + Hex("F9 C4 0D") + "{}\\", Font("Vni-Screen", 28));
    d.Paragraphs.emplace_back();
    d.AddText("b", Font("Vni-Screen", 28));
    const std::string rtf = tavi::WriteRtf(d);
    EXPECT_EQ(rtf,
              "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Vni-Screen;}}\r\n"
              "\\pard\\plain\\f0\\fs28 a\\'f9\\'c4\\'0d\\{\\}\\\\\\par\r\n"
              "\\pard\\plain\\f0\\fs28 b\\par\r\n}\r\n");
}

TEST(Rtf, ReadsWhatWordProcessorsWrite) {
    const struct {
        std::string rtf, text;
    } cases[] = {
        {"{\\rtf1 Hello}", "Hello"},
        {"{\\rtf1 a\\par b\\par}", "a|b"},
        {"{\\rtf1 a\\par\\par}", "a|"},
        {"{\\rtf1 a\\line b\\row c}", "a|b|c"},
        {"{\\rtf1 a\\cell b\\tab c}", "a\tb\tc"},
        {"{\\rtf1 \\'e1\\'E1\\'4}", "\xE1\xE1"
                                    "4"}, // a broken escape is left out
        {"{\\rtf1 \\{\\}\\\\}", "{}\\"},
        {"{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet\\~}",
         Hex("97 96 91 92 93 94 95 A0")},
        {"{\\rtf1 a\\-b\\_c}", "ab-c"},
        {"{\\rtf1 x\r\ny\n}", "xy"},  // line breaks of the source are not text
        {"{\\rtf1 a\\\r\nb}", "a|b"}, // backslash before a line break is \par
        {"{\\rtf1 \\u8220?x\\u8221?}", Hex("93") + "x" + Hex("94")},
        {"{\\rtf1\\uc2 \\u8220\\'3f\\'3fx}", Hex("93") + "x"},
        {"{\\rtf1\\uc0 \\u8220 x}", Hex("93") + "x"},
        {"{\\rtf1 {\\uc3 \\u8220 ab}cd}", Hex("93") + "cd"},  // a group ends the fallback
        {"{\\rtf1 \\u7879?t}", "\xE1\xBB\x87t"},              // a Unicode document: UTF-8
        {"{\\rtf1 \\'e9\\u7879?}", Hex("C3 A9 E1 BB 87")},    // all of it
        {"{\\rtf1 \\u-10179?\\u-8704?}", Hex("F0 9F 98 80")}, // a surrogate pair
        {"{\\rtf1 \\u-10179?x}", Hex("EF BF BD") + "x"},      // a lone surrogate
        {"{\\rtf1 \\u-99999?x}", Hex("EF BF BD") + "x"},
        // Destinations that are not text.
        {"{\\rtf1{\\fonttbl{\\f0\\froman{\\*\\panose 0}Times;}}{\\colortbl;\\red0;}"
         "{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}{\\author A}}x}",
         "x"},
        {"{\\rtf1{\\*\\generator Riched20;}{\\*\\unknown junk}x}", "x"},
        {"{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"u\"}{\\fldrslt link}}}", "link"},
        {"{\\rtf1{\\pict\\pngblip 89504e47}{\\header H}{\\footnote F}x}", "x"},
        {"{\\rtf1 a\\bin3 {}\\b}", "ab"}, // binary bytes skipped, whatever they are
        {"{\\rtf1 a\\bin99}", "a"},
        {"{\\rtf1 \\pntext 1.\\tab x}", "1.\tx"}, // only a group of it is skipped
        {"{\\rtf1{\\pntext 1.\\tab}x}", "x"},
        // Broken documents give what they have.
        {"{\\rtf1 unclosed {\\b bold", "unclosed bold"},
        {"{\\rtf1 a}}b", "a"},
        {"{\\rtf", ""},
        {"{\\rtf1 a\\", "a"},
        {"{\\rtf1 \\fs99999999999999999999 x\\li-99999999999 y}", "xy"},
    };
    for (const auto& c : cases) EXPECT_EQ(Text(c.rtf), c.text) << c.rtf;
}

TEST(Rtf, ReadsFormatting) {
    const TRtfDocument d = Read(
        "{\\rtf1\\ansi\\deff1{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset163 VNI-Times;}}\r\n"
        "\\pard\\qc\\li720\\ri360\\fi-180 plain {\\b\\fs32 bold{\\i\\f0 both}}\\ul under x\\ulnone"
        "\\par\r\n"
        "\\pard\\qr\\plain right\\par\r\n"
        "\\qj j\\par\r\n"
        "{\\b\\fs48\\par}"
        "\\pard last}");
    ASSERT_EQ(d.Paragraphs.size(), 5u);
    const auto& p = d.Paragraphs[0];
    EXPECT_EQ(p.Format, (tavi::TRtfParaFormat{tavi::AlignCenter, 720, 360, -180}));
    ASSERT_EQ(p.Runs.size(), 4u);
    EXPECT_EQ(p.Runs[0].Text, "plain ");
    EXPECT_EQ(p.Runs[0].Format, Font("VNI-Times", 24));
    EXPECT_EQ(p.Runs[1].Text, "bold");
    EXPECT_EQ(p.Runs[1].Format, Font("VNI-Times", 32, true));
    EXPECT_EQ(p.Runs[2].Text, "both");
    EXPECT_EQ(p.Runs[2].Format, Font("Arial", 32, true, true));
    EXPECT_EQ(p.Runs[3].Text, "under x");
    EXPECT_EQ(p.Runs[3].Format, Font("VNI-Times", 24, false, false, true));
    EXPECT_EQ(p.MarkFormat, p.Runs[3].Format);
    EXPECT_EQ(d.Paragraphs[1].Format.Alignment, tavi::AlignRight);
    EXPECT_EQ(d.Paragraphs[1].Runs[0].Format, Font("VNI-Times", 24));
    EXPECT_EQ(d.Paragraphs[2].Format.Alignment, tavi::AlignLeft); // justified reads as left
    EXPECT_TRUE(d.Paragraphs[3].Runs.empty());
    EXPECT_EQ(d.Paragraphs[3].MarkFormat, Font("VNI-Times", 48, true));
    EXPECT_EQ(d.Paragraphs[4].Runs[0].Text, "last");
}

TEST(Rtf, RefusesWhatIsNotRtf) {
    TRtfDocument doc;
    std::string error;
    EXPECT_FALSE(tavi::ReadRtf("", doc, &error));
    EXPECT_FALSE(tavi::ReadRtf("plain text", doc, &error));
    EXPECT_FALSE(tavi::ReadRtf(" {\\rtf1 x}", doc, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(tavi::ReadRtf("{\\rtf1 " + std::string(tavi::RtfMaxDepth + 1, '{'), doc, &error));
    EXPECT_TRUE(tavi::ReadRtf("{\\rtf1 " + std::string(tavi::RtfMaxDepth - 2, '{') + "x", doc));
    EXPECT_EQ(doc.PlainText("|"), "x");
}

// The writer's RTF is what the converter converts in RTF mode: converting it must give the
// RTF of the converted text.
TEST(Rtf, ConvertsInRtfModeLikeThePlainText) {
    TRtfDocument vni;
    tavi::TVnCodeConverter toVni;
    toVni.SetSourceTable("Unicode");
    toVni.SetDestTable("Vni for Win");
    for (const auto& p : tavitest::VietnameseProse()) {
        vni.Paragraphs.emplace_back();
        toVni.InStream.Data = p;
        ASSERT_TRUE(toVni.Convert());
        vni.AddText(toVni.OutStream.Data, Font("Vni-Screen", 28));
    }
    for (const std::string table : {"VISCII", "TCVN3", "Unicode"}) {
        tavi::TVnCodeConverter rtf;
        rtf.RtfMode = true;
        rtf.SetSourceTable("Vni for Win");
        rtf.SetDestTable(table);
        rtf.InStream.Data = tavi::WriteRtf(vni);
        ASSERT_TRUE(rtf.Convert());
        tavi::TVnCodeConverter plain;
        plain.SetSourceTable("Vni for Win");
        plain.SetDestTable(table);
        plain.InStream.Data = vni.PlainText("\r\n");
        ASSERT_TRUE(plain.Convert());
        EXPECT_EQ(Read(rtf.OutStream.Data).PlainText("\r\n"), plain.OutStream.Data) << table;
    }
}

} // namespace

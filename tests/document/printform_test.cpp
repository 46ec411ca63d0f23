// A document as it goes to paper: letters in Unicode and kept whole across runs, plain text in
// paragraphs, the print margins as indents.
#include "document/doctext.h"
#include "document/printform.h"

#include <gtest/gtest.h>

namespace {

using tavi::TRtfCharFormat;

TEST(PrintForm, LettersStayWholeWhenTheirMarkBeginsTheNextRun) {
    const tavi::TUnicodeWriter toUnicode("Vni for Win");
    const std::string viet = tavi::UnicodeToTable("Việt", "Vni for Win");
    const std::size_t e = viet.find('e') + 1; // the mark bytes of ệ follow
    const TRtfCharFormat plain{"Vni-Screen", 28, false, false, false};
    TRtfCharFormat bold = plain;
    bold.Bold = true;
    const struct {
        std::vector<std::string> runs;
        std::vector<std::string> printed;
    } cases[] = {
        {{viet.substr(0, e), viet.substr(e)}, {"Việ", "t"}},
        {{viet.substr(0, e), viet.substr(e, viet.size() - e - 1), "t"}, {"Việ", "t"}},
        {{"ba", " ca"}, {"ba", " ca"}},
    };
    for (const auto& c : cases) {
        tavi::TRtfDocument doc;
        for (std::size_t i = 0; i < c.runs.size(); ++i)
            doc.AddText(c.runs[i], i % 2 ? bold : plain);
        const tavi::TRtfDocument printed =
            tavi::DocumentInUnicode(doc, [&](std::string_view b) { return toUnicode(b); });
        std::vector<std::string> texts;
        for (const auto& run : printed.Paragraphs[0].Runs) {
            texts.push_back(run.Text);
            EXPECT_EQ(run.Format.FontName, "DejaVu Sans");
        }
        EXPECT_EQ(texts, c.printed) << c.runs[0];
    }
}

TEST(PrintForm, PlainTextIsAParagraphALineAndMarginsIndentIt) {
    const TRtfCharFormat f{"Vni-Screen", 28, false, false, false};
    const struct {
        const char* text;
        std::vector<std::string> paragraphs;
    } cases[] = {
        {"", {""}},
        {"ba\r\nca", {"ba", "ca"}},
        {"ba\nca\rda", {"ba", "ca", "da"}},
        {"ba\r\n\r\n", {"ba", "", ""}},
    };
    for (const auto& c : cases) {
        tavi::TRtfDocument doc = tavi::PlainTextDocument(c.text, f);
        tavi::IndentForMargins(doc, 10, 2);
        std::vector<std::string> texts;
        for (const auto& p : doc.Paragraphs) {
            texts.push_back(p.Runs.empty() ? "" : p.Runs[0].Text);
            EXPECT_EQ(p.MarkFormat, f);
            EXPECT_EQ(p.Format.LeftIndent, 525); // 10 mm at 3.5 pixels, in twips
            EXPECT_EQ(p.Format.RightIndent, 105);
        }
        EXPECT_EQ(texts, c.paragraphs) << c.text;
    }
}

} // namespace

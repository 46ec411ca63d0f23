// Embosser lines and pages: line breaking at the width, page-number lines, the BRF file.
#include "codes/brailleconverter.h"
#include "codes/embosser.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::CutEmbosserLines;
using Lines = std::vector<std::string>;

namespace {

TEST(Embosser, PageNumbers) {
    EXPECT_EQ(tavi::EmbosserPageNumber(1), "#A");
    EXPECT_EQ(tavi::EmbosserPageNumber(2), "#B");
    EXPECT_EQ(tavi::EmbosserPageNumber(9), "#I");
    EXPECT_EQ(tavi::EmbosserPageNumber(10), "#AJ");
    EXPECT_EQ(tavi::EmbosserPageNumber(120), "#ABJ");
}

TEST(Embosser, LineBreaking) {
    const struct {
        std::string text;
        std::size_t width;
        Lines lines; // after the page-number line
    } cases[] = {
        {"", 5, {}},
        {"abcdefghij", 4, {"abcd", "efgh", "ij"}},  // no space: cut at the width
        {"abcd efg", 4, {"abcd", "efg"}},           // a space at the limit is dropped
        {"ab cdef", 4, {"ab", "cdef"}},             // back to the last space
        {"ab cd ef gh", 5, {"ab cd", "ef gh"}},     //
        {"ab\r\ncd", 10, {"ab", "cd"}},             // CR LF ends a line
        {"ab\r\n\r\ncd\r\n", 10, {"ab", "", "cd"}}, // an empty line stays, the last adds none
        {"ab\rcd", 10, {"ab", "cd"}},               // a lone CR does not swallow c
        {"ab\ncd", 10, {"ab", "cd"}},               // nor does a lone LF stay in the line
        {"abcd\r\nef", 4, {"abcd", "ef"}},          // a full line ending right at the limit
        {"ab cd\r\nef", 5, {"ab cd", "ef"}},        // ... keeps its words together
        {" abc", 2, {" a", "bc"}},                  // a space at the start is no break point
        {"abcd", 4, {"abcd"}},                      //
    };
    for (const auto& c : cases) {
        Lines expected = c.lines;
        if (!expected.empty()) expected.insert(expected.begin(), "#A");
        EXPECT_EQ(CutEmbosserLines(c.text, c.width), expected) << c.text;
    }
    EXPECT_THROW(CutEmbosserLines("abc", 0), std::invalid_argument);
}

TEST(Embosser, PagesOf25Lines) {
    std::string text;
    for (int i = 0; i < 24 * 10 + 1; ++i) text += "line " + std::to_string(i) + "\r\n";
    const Lines lines = CutEmbosserLines(text, 32);
    ASSERT_EQ(lines.size(), 25u * 10 + 2);
    for (std::size_t page = 0; page < 11; ++page)
        EXPECT_EQ(lines[page * 25], tavi::EmbosserPageNumber(page + 1));
    EXPECT_EQ(lines[1], "line 0");
    EXPECT_EQ(lines[24], "line 23");
    EXPECT_EQ(lines[26], "line 24");
    EXPECT_EQ(lines[225], "#AJ");
    EXPECT_EQ(lines[250], "#AA");
    EXPECT_EQ(lines.back(), "line 240");

    const std::string brf = tavi::JoinEmbosserPages(lines);
    EXPECT_EQ(std::count(brf.begin(), brf.end(), '\f'), 10);
    EXPECT_EQ(brf.substr(0, 12), "#A\r\nline 0\r\n");
    EXPECT_NE(brf.find("line 23\r\n\f#B\r\nline 24\r\n"), std::string::npos);
    EXPECT_EQ(brf.back(), '\n');
}

TEST(Embosser, EmbossesThroughThePrintTables) {
    tavi::TCodeConverter conv;
    // Việt Nam in grade 1 Braille, then in North American Braille ASCII.
    const std::string braille = tavi::BrailleFromVni(conv, "Vie\xE4t Nam\r\n1");
    EXPECT_EQ(tavi::EmbossBraille(conv, braille, 40), "#A\r\n.v,i<t .nam\r\n#a\r\n");
    EXPECT_EQ(conv.SourceName, "PrtSrc");
    EXPECT_EQ(conv.DestName, "PrtDes");
}

} // namespace

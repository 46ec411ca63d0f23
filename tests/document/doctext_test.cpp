// Segments, search, and the bytes of Unicode text.
#include "document/doctext.h"
#include "platform/errors.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavitest::Hex;

namespace {

TEST(FindSegment, EdgesOfTheCaret) {
    const struct {
        std::string text;
        std::size_t caret;
        std::string delims;
        std::size_t start, end;
    } cases[] = {
        {"hello world", 5, " ", 0, 5},   // right after a word, before a blank: that word
        {"hello world", 0, " ", 0, 5},   // at the start: the first word
        {"hello world", 2, " ", 0, 5},   // inside a word
        {"hello world", 6, " ", 6, 11},  // right after the blank: the next word
        {"hello world", 11, " ", 6, 11}, // at the very end: the last word
        {"hello world", 99, " ", 6, 11}, // a caret past the end counts as the end
        {"", 0, " ", 0, 0},              // empty text
        {"a  b", 2, " ", 2, 3},          // between two delimiters: that one delimiter
        {"ab ", 3, " ", 3, 3},           // after a final delimiter: nothing
        {"ab\r\ncd", 2, "\r\n", 0, 2},   // paragraph before the break
        {"ab\r\ncd", 4, "\r\n", 4, 6},   // paragraph after the break
        {"one. two", 8, ".", 4, 8},      // sentence
        {"hello", 3, "", 0, 5},          // no delimiters: everything
        {" x", 0, " ", 0, 1},            // caret on a leading delimiter
    };
    for (const auto& c : cases) {
        const tavi::TSegment s = tavi::FindSegment(c.text, c.caret, c.delims);
        EXPECT_EQ(s.Start, c.start) << c.text << " @" << c.caret;
        EXPECT_EQ(s.End, c.end) << c.text << " @" << c.caret;
    }
}

TEST(FindText, OptionsAndRange) {
    constexpr auto npos = std::string_view::npos;
    const std::string vni = "Vie" + Hex("E4") + "t VIE" + Hex("C4") + "T vie";
    const struct {
        std::string text, what;
        std::size_t start, end;
        int options;
        std::size_t found;
    } cases[] = {
        {"An an", "an", 0, 5, tavi::FindWholeWord, 0},                       // case ignored
        {"An an", "an", 1, 5, tavi::FindWholeWord | tavi::FindMatchCase, 3}, // case counts
        {"An", "an", 0, 2, tavi::FindWholeWord | tavi::FindMatchCase, npos}, // not found
        {"and an", "an", 0, 6, tavi::FindWholeWord, 4},                      // not inside "and"
        {"and an", "an", 0, 6, 0, 0},                                        // part of a word
        {"xan", "an", 1, 3, tavi::FindWholeWord, npos}, // the byte before the range counts
        {"an an", "an", 0, 4, 0, 0},                    // must end by end
        {"an an", "an", 1, 4, 0, npos},
        {"an", "", 0, 2, 0, npos},
        {"an", "an", 3, 1, 0, npos},
        {vni, "vie" + Hex("E4") + "t", 0, vni.size(), tavi::FindWholeWord, 0}, // VNI caps
        {vni, "VIE" + Hex("C4") + "T", 1, vni.size(), tavi::FindMatchCase, 6},
        {vni, "vie", 0, vni.size(), tavi::FindWholeWord, 12}, // a mark byte is part of a word
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::FindText(c.text, c.what, c.start, c.end, c.options), c.found)
            << c.text << " / " << c.what;
}

TEST(FindText, CaseFoldingOfTheHighHalf) {
    for (int c = 0xC0; c <= 0xDE; ++c) {
        if (c != 0xD7) {
            EXPECT_EQ(tavi::FoldCase(static_cast<unsigned char>(c)), c + 0x20);
        }
    }
    EXPECT_EQ(tavi::FoldCase(0xD7), 0xD7);
    EXPECT_EQ(tavi::FoldCase(0x9F), 0xFF);
    EXPECT_EQ(tavi::FoldCase(0xFF), 0xFF);
    EXPECT_FALSE(tavi::IsWordByte(' '));
    EXPECT_FALSE(tavi::IsWordByte(0xF7));
    EXPECT_TRUE(tavi::IsWordByte(0xF9));
}

TEST(DocumentBytes, OldBytesStayUnicodeBecomesUtf8) {
    // Windows-1252 characters are the document's own bytes.
    EXPECT_EQ(tavi::DocumentBytes(U"Vie\u00E4t \u201Cx\u201D"),
              "Vie" + Hex("E4") + "t " + Hex("93") + "x" + Hex("94"));
    // One character outside them makes it a Unicode document: all of it in UTF-8.
    EXPECT_EQ(tavi::DocumentBytes(U"\u00E9 \u1EA1"), Hex("C3 A9 20 E1 BA A1"));
    EXPECT_EQ(tavi::DocumentBytes(U"\U0001F600"), Hex("F0 9F 98 80"));
    EXPECT_EQ(tavi::DocumentBytes(U""), "");
    EXPECT_EQ(tavi::CharsToDocument(U"a\u1EA1", false), "a?");
}

TEST(DecodeUtf8, BadSequencesAreReplacementCharacters) {
    const struct {
        std::string in;
        std::u32string out;
    } cases[] = {
        {"Vi" + Hex("E1 BB 87") + "t", U"Vi\u1EC7t"},
        {Hex("C3"), U"\uFFFD"},                            // cut short
        {Hex("C0 80"), U"\uFFFD\uFFFD"},                   // overlong
        {Hex("ED A0 80"), U"\uFFFD\uFFFD\uFFFD"},          // a surrogate
        {Hex("F4 90 80 80"), U"\uFFFD\uFFFD\uFFFD\uFFFD"}, // past U+10FFFF
        {Hex("80 41"), U"\uFFFDA"},
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::DecodeUtf8(c.in), c.out) << tavitest::Hex(c.in);
}

TEST(ClipboardCodes, VniToUnicodeAndBack) {
    // "Việt Nam" and “quotes” — the letters through the tables, the rest as Windows-1252.
    const std::string vni = "Vie" + Hex("E4") + "t Nam " + Hex("93 97 94") + " " + Hex("F4 F9");
    const std::string utf8 =
        "Vi\xE1\xBB\x87t Nam \xE2\x80\x9C\xE2\x80\x94\xE2\x80\x9D \xE1\xBB\x9B";
    EXPECT_EQ(tavi::TableToUnicode(vni, "Vni for Win"), utf8);
    EXPECT_EQ(tavi::UnicodeToTable(utf8, "Vni for Win"), vni);
    // A character that neither the table nor Windows-1252 has.
    EXPECT_EQ(tavi::UnicodeToTable("\xD0\x96", "Vni for Win"), "?");
    EXPECT_THROW(tavi::TableToUnicode("x", "No such table"), tavi::EFOpenError);
}

} // namespace

// The document as assistive technology reads it: letters in Unicode, offsets in letters.
#include "document/accesstext.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace {

std::u16string U16(std::string_view utf8) {
    std::u16string out;
    for (const char32_t c : tavi::DecodeUtf8(utf8)) out += static_cast<char16_t>(c);
    return out;
}

TEST(AccessText, LettersAndOffsetsOfBothDisplays) {
    const tavi::TUnicodeWriter vni("Vni for Win");
    const tavi::TBrailleCells cells = tavi::LoadBrailleCells();
    // "Việt Nam" then a new paragraph "ơi": ệ is e + one mark byte, ơ is one byte.
    const std::string text = "Vie\xE4t Nam\r\n\xF4i";
    const tavi::TAccessText t = tavi::TAccessText::FromVni(text, vni);
    EXPECT_EQ(t.Text(), U16("Việt Nam\nơi"));
    const struct {
        std::size_t position;
        int letter;
    } positions[] = {{0, 0},  {2, 2},  {3, 2},   {4, 3},   {9, 8},
                     {10, 8}, {11, 9}, {12, 10}, {13, 11}, {99, 11}};
    for (const auto& p : positions) EXPECT_EQ(t.LetterAt(p.position), p.letter) << p.position;
    const std::size_t starts[] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 11, 12, 13};
    for (int letter = 0; letter < 12; ++letter)
        EXPECT_EQ(t.PositionOf(letter), starts[letter]) << letter;

    // Braille: one pattern per cell, spaces kept, a line break one letter.
    const tavi::TAccessText b = tavi::TAccessText::FromBraille("ab c\r\nd", cells);
    EXPECT_EQ(b.Length(), 6);
    EXPECT_EQ(b.Text()[0], char16_t(0x2801)); // a: dot 1
    EXPECT_EQ(b.Text()[2], u' ');
    EXPECT_EQ(b.Text()[4], u'\n');
    EXPECT_EQ(b.LetterAt(6), 5);

    // Real prose reads exactly as the whole text converted at once.
    const std::string prose = tavitest::ReadFile(tavitest::TestData("vi/maint-guide-prose.txt"));
    const std::string bytes = tavi::UnicodeToTable(prose, "Vni for Win");
    std::string expected = tavi::TableToUnicode(bytes, "Vni for Win");
    for (std::size_t at; (at = expected.find("\r\n")) != std::string::npos;) expected.erase(at, 1);
    EXPECT_EQ(tavi::TAccessText::FromVni(bytes, vni).Text(), U16(expected));
}

TEST(AccessText, ChangesInLetters) {
    const tavi::TUnicodeWriter vni("Vni for Win");
    const struct {
        const char *before, *after;
        int position;
        const char *removed, *inserted;
    } cases[] = {
        {"Viet", "Vie\xE4t", 2, "e", "ệ"}, // a mark typed: the letter is replaced whole
        {"Vie\xE4t Nam", "Vie\xE4t", 4, " Nam", ""},
        {"", "a\r\nb", 0, "", "a\nb"},
        {"same", "same", 4, "", ""},
    };
    for (const auto& c : cases) {
        const auto change = tavi::TAccessText::Difference(tavi::TAccessText::FromVni(c.before, vni),
                                                          tavi::TAccessText::FromVni(c.after, vni));
        EXPECT_EQ(change.Position, c.position) << c.after;
        EXPECT_EQ(change.Removed, U16(c.removed)) << c.after;
        EXPECT_EQ(change.Inserted, U16(c.inserted)) << c.after;
    }
}

} // namespace

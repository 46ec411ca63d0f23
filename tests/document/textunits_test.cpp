// The units a screen reader reads by (characters, words, sentences, lines, paragraphs) at,
// before and after an offset, with its offsets -2 (caret) and -1 (end), at every edge.
#include "document/doctext.h"
#include "document/textunits.h"

#include <gtest/gtest.h>

namespace {

using enum tavi::TTextUnit;
enum TAsk { At, Before, After };

std::u16string U16(std::string_view utf8) {
    std::u16string out;
    for (const char32_t c : tavi::DecodeUtf8(utf8)) out += static_cast<char16_t>(c);
    return out;
}

// "Việt Nam ơi. Đi nào!  " (22 letters, ending in blanks); paragraphs "Một", "Hai ba", an
// empty one and "Bốn", each line break one letter; Braille cells.
constexpr const char *Prose = "Việt Nam ơi. Đi nào!  ", *Paras = "Một\nHai ba\n\nBốn",
                     *Braille = "⠁⠃ ⠉⠙";

TEST(TextUnits, AnswerAsAScreenReaderExpects) {
    const struct {
        const char* text;
        int caret;
        bool wrap; // the screen breaks "Hai ba" after "Ha"
        TAsk ask;
        int offset;
        tavi::TTextUnit unit;
        const char* expected; // the answer's letters
        int start;            // where they start; -1: no such offset
    } cases[] = {
        {Prose, 0, false, At, 3, Word, "Việt", 0},
        {Prose, 0, false, At, 4, Word, " ", 4},
        {Prose, 0, false, At, 11, Word, ". ", 11},
        {Prose, 0, false, After, 7, Word, " ", 8},
        {Prose, 0, false, Before, 5, Word, " ", 4},
        {Prose, 0, false, At, 20, Word, "!  ", 19},
        {Prose, 0, false, At, -1, Word, "", 22},
        {Prose, 0, false, After, 19, Word, "", 22},
        {Prose, 0, false, Before, -1, Word, "!  ", 19},
        {Prose, 0, false, At, 5, Sentence, "Việt Nam ơi. ", 0},
        {Prose, 0, false, Before, 13, Sentence, "Việt Nam ơi. ", 0},
        {Prose, 0, false, After, 15, Sentence, "", 22},
        {Prose, 2, false, At, -2, Char, "ệ", 2},
        {Prose, 0, false, After, 21, Char, "", 22},
        {Prose, 0, false, Before, 0, Char, "", 0},
        {Prose, 0, false, At, 23, Char, "", -1},
        {Prose, 0, false, After, -3, Word, "", -1},
        {Prose, 0, false, At, 22, Line, Prose, 0},
        {Paras, 0, false, At, 3, Paragraph, "Một\n", 0},
        {Paras, 0, false, After, 0, Line, "Hai ba\n", 4},
        {Paras, 0, false, After, 4, Paragraph, "\n", 11},
        {Paras, 0, false, At, -1, Line, "Bốn", 12},
        {Paras, 0, false, After, 12, Line, "", 15},
        {Paras, 0, false, At, 10, Sentence, "Hai ba\n", 4},
        {Paras, 0, true, At, 6, Line, "i ba\n", 6},
        {Paras, 0, true, Before, 6, Line, "Ha", 4},
        {Paras, 0, true, At, 0, Line, "Một\n", 0},
        {"ab\n", 0, false, At, -1, Line, "", 3},
        {"ab\n", 0, false, Before, -1, Line, "ab\n", 0},
        {Braille, 0, false, At, 0, Word, "⠁⠃", 0},
        {Braille, 0, false, After, 3, Word, "", 5},
        {Braille, 5, false, Before, -2, Word, "⠉⠙", 3},
        {"", 0, false, At, 0, Word, "", 0},
        {"", 0, false, At, -1, Line, "", 0},
        {"", 0, false, At, 1, Char, "", -1},
        {"3.14, l'eau", 0, false, At, 1, Word, "3.14", 0},
        {"3.14, l'eau", 0, false, At, 7, Word, "l'eau", 6},
        {"1,5 và a,b", 0, false, At, 1, Word, "1,5", 0},
        {"1,5 và a,b", 0, false, At, 8, Word, ",", 8},
        {"Nó nói: \"Đi.\" Rồi về.", 0, false, At, 0, Sentence, "Nó nói: \"Đi.\" ", 0},
        {"Ở a.b c", 0, false, At, 6, Sentence, "Ở a.b c", 0},
        {"e\xCC\x81x", 0, false, At, 1, Char, "e\xCC\x81", 0},
    };
    for (const auto& c : cases) {
        const std::u16string text = U16(c.text);
        const auto wrapped = [](int letter) {
            return letter < 4 || letter > 10 ? tavi::TTextRange{} // not laid out
                   : letter < 6              ? tavi::TTextRange{4, 6}
                                             : tavi::TTextRange{6, 10};
        };
        const tavi::TTextUnits units(text, c.caret, c.wrap ? wrapped : tavi::TTextUnits::TLineAt{});
        const tavi::TTextRange got = c.ask == At       ? units.At(c.offset, c.unit)
                                     : c.ask == Before ? units.Before(c.offset, c.unit)
                                                       : units.After(c.offset, c.unit);
        const int length = static_cast<int>(U16(c.expected).size());
        const std::string row = std::string(c.text) + " ask " + std::to_string(c.ask) + " at " +
                                std::to_string(c.offset);
        EXPECT_EQ(got.Start, c.start) << row;
        EXPECT_EQ(got.End, c.start < 0 ? -1 : c.start + length) << row;
        if (c.start >= 0) {
            EXPECT_EQ(text.substr(c.start, length), U16(c.expected)) << row;
        }
    }
}

} // namespace

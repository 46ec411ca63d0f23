// The units a screen reader reads by (characters, words, sentences, lines, paragraphs) at,
// before and after an offset, with its offsets -2 (caret) and -1 (end), at every edge.
#include "document/doctext.h"
#include "document/textunits.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using tavi::TTextUnit;
using enum tavi::TTextUnit;

std::u16string U16(std::string_view utf8) {
    std::u16string out;
    for (const char32_t c : tavi::DecodeUtf8(utf8)) out += static_cast<char16_t>(c);
    return out;
}

enum TAsk { At, Before, After };

struct TUnitCase {
    const char* text;
    int caret, wrap; // wrap: where the screen breaks each paragraph's line (0: nowhere)
    TAsk ask;
    int offset;
    TTextUnit unit;
    const char* expected; // the answer's letters
    int start;            // where they start; -1: no such offset
};

void PrintTo(const TUnitCase& c, std::ostream* os) {
    *os << '"' << c.text << "\" ask " << c.ask << " offset " << c.offset << " unit "
        << static_cast<int>(c.unit);
}

class TextUnits : public testing::TestWithParam<TUnitCase> {};

TEST_P(TextUnits, AnswerAsAScreenReaderExpects) {
    const TUnitCase& c = GetParam();
    const std::u16string text = U16(c.text);
    // A screen that wraps every paragraph once, after c.wrap letters of it.
    const auto lineAt = [&](int letter) -> tavi::TTextRange {
        const int start = letter > 0 ? static_cast<int>(text.rfind(u'\n', letter - 1) + 1) : 0;
        const int end = static_cast<int>(std::min(text.find(u'\n', start), text.size()));
        if (start + c.wrap >= end) return {start, end};
        return letter < start + c.wrap ? tavi::TTextRange{start, start + c.wrap}
                                       : tavi::TTextRange{start + c.wrap, end};
    };
    const tavi::TTextUnits units(text, c.caret,
                                 c.wrap ? tavi::TTextUnits::TLineAt(lineAt) : nullptr);
    const tavi::TTextRange got = c.ask == At       ? units.At(c.offset, c.unit)
                                 : c.ask == Before ? units.Before(c.offset, c.unit)
                                                   : units.After(c.offset, c.unit);
    const int length = static_cast<int>(U16(c.expected).size());
    EXPECT_EQ(got, (tavi::TTextRange{c.start, c.start < 0 ? -1 : c.start + length}));
    if (c.start >= 0) {
        EXPECT_EQ(text.substr(c.start, length), U16(c.expected));
    }
}

// "Việt Nam ơi. Đi nào!  ": 22 letters, ending in blanks.
constexpr const char* Prose = "Việt Nam ơi. Đi nào!  ";
// Paragraphs: "Một", "Hai ba", an empty one, "Bốn"; each line break is one letter.
constexpr const char* Paragraphs = "Một\nHai ba\n\nBốn";
constexpr const char* Braille = "⠁⠃ ⠉⠙";

INSTANTIATE_TEST_SUITE_P(
    EveryEdge, TextUnits,
    testing::Values(
        TUnitCase{Prose, 0, 0, At, 0, Word, "Việt", 0},
        TUnitCase{Prose, 0, 0, At, 3, Word, "Việt", 0}, TUnitCase{Prose, 0, 0, At, 4, Word, " ", 4},
        TUnitCase{Prose, 0, 0, At, 11, Word, ". ", 11},
        TUnitCase{Prose, 0, 0, After, 7, Word, " ", 8},
        TUnitCase{Prose, 0, 0, Before, 5, Word, " ", 4},
        TUnitCase{Prose, 0, 0, At, 20, Word, "!  ", 19},
        TUnitCase{Prose, 0, 0, At, -1, Word, "", 22},
        TUnitCase{Prose, 0, 0, After, 19, Word, "", 22},
        TUnitCase{Prose, 0, 0, Before, -1, Word, "!  ", 19},
        TUnitCase{Prose, 0, 0, At, 5, Sentence, "Việt Nam ơi. ", 0},
        TUnitCase{Prose, 0, 0, After, 0, Sentence, "Đi nào!  ", 13},
        TUnitCase{Prose, 0, 0, Before, 13, Sentence, "Việt Nam ơi. ", 0},
        TUnitCase{Prose, 0, 0, After, 15, Sentence, "", 22},
        TUnitCase{Prose, 0, 0, At, 22, Sentence, "", 22},
        TUnitCase{Prose, 2, 0, At, -2, Char, "ệ", 2},
        TUnitCase{Prose, 2, 0, Before, -2, Char, "i", 1},
        TUnitCase{Prose, 0, 0, After, 21, Char, "", 22},
        TUnitCase{Prose, 0, 0, Before, 0, Char, "", 0},
        TUnitCase{Prose, 0, 0, At, 23, Char, "", -1},
        TUnitCase{Prose, 0, 0, After, -3, Word, "", -1},
        TUnitCase{Prose, 0, 0, At, 22, Line, Prose, 0},
        TUnitCase{Prose, 0, 0, Before, 9, All, "", 0},
        TUnitCase{Paragraphs, 0, 0, At, 3, Paragraph, "Một\n", 0},
        TUnitCase{Paragraphs, 0, 0, After, 0, Line, "Hai ba\n", 4},
        TUnitCase{Paragraphs, 0, 0, After, 4, Paragraph, "\n", 11},
        TUnitCase{Paragraphs, 0, 0, Before, 12, Paragraph, "\n", 11},
        TUnitCase{Paragraphs, 0, 0, At, -1, Line, "Bốn", 12},
        TUnitCase{Paragraphs, 0, 0, After, 12, Line, "", 15},
        TUnitCase{Paragraphs, 0, 0, Before, 0, Line, "", 0},
        TUnitCase{Paragraphs, 0, 0, At, 3, Word, "\n", 3},
        TUnitCase{Paragraphs, 0, 0, At, 10, Sentence, "Hai ba\n", 4},
        TUnitCase{Paragraphs, 0, 2, At, 6, Line, "i ba\n", 6},
        TUnitCase{Paragraphs, 0, 2, Before, 6, Line, "Ha", 4},
        TUnitCase{Paragraphs, 0, 2, At, 3, Line, "t\n", 2},
        TUnitCase{Paragraphs, 0, 2, At, 6, Paragraph, "Hai ba\n", 4},
        TUnitCase{"ab\n", 0, 0, At, -1, Line, "", 3},
        TUnitCase{"ab\n", 0, 0, Before, -1, Line, "ab\n", 0},
        TUnitCase{Braille, 0, 0, At, 0, Word, "⠁⠃", 0},
        TUnitCase{Braille, 0, 0, After, 1, Word, " ", 2},
        TUnitCase{Braille, 0, 0, After, 3, Word, "", 5},
        TUnitCase{Braille, 5, 0, Before, -2, Word, "⠉⠙", 3},
        TUnitCase{Braille, 0, 0, At, 0, Sentence, Braille, 0},
        TUnitCase{"", 0, 0, At, 0, Word, "", 0}, TUnitCase{"", 0, 0, At, -1, Line, "", 0},
        TUnitCase{"", 0, 0, After, -2, Sentence, "", 0}, TUnitCase{"", 0, 0, At, 1, Char, "", -1},
        TUnitCase{"3.14, l'eau a.b", 0, 0, At, 1, Word, "3.14", 0},
        TUnitCase{"3.14, l'eau a.b", 0, 0, At, 7, Word, "l'eau", 6},
        TUnitCase{"3.14, l'eau a.b", 0, 0, At, 13, Word, "a.b", 12},
        TUnitCase{"1,5 và a,b", 0, 0, At, 1, Word, "1,5", 0},
        TUnitCase{"1,5 và a,b", 0, 0, At, 8, Word, ",", 8},
        TUnitCase{"Nó nói: \"Đi.\" Rồi về.", 0, 0, At, 0, Sentence, "Nó nói: \"Đi.\" ", 0},
        TUnitCase{"Ở a.b c", 0, 0, At, 6, Sentence, "Ở a.b c", 0},
        TUnitCase{"e\xCC\x81x", 0, 0, At, 1, Char, "e\xCC\x81", 0}));

} // namespace

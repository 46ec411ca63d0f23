// The echo's decisions on the bytes around the caret, at the edges the window tests do not
// reach: stray marks, line breaks, the ends of the text.
#include "document/editecho.h"

#include <gtest/gtest.h>

namespace {

// The whole text as the caret's window, "|" at the caret.
tavi::TCaretText At(std::string text) {
    tavi::TCaretText t;
    t.Caret = text.find('|');
    text.erase(t.Caret, 1);
    t.Length = text.size();
    t.Bytes = std::move(text);
    return t;
}

TEST(EditEchoCore, LettersAroundTheCaret) {
    const struct {
        const char* text;
        bool vni;
        std::string before, after;
    } cases[] = {
        {"|", true, "", ""},
        {"|a", true, "", "a"},
        {"a|", true, "a", ""},
        {"Vie\xE4|t", true, "e\xE4", "t"}, // a two-byte letter before the caret
        {"Vi|e\xE4t", true, "i", "e\xE4"}, // and after it
        {"Vie\xE4|t", false, "\xE4", "t"}, // Braille cells are one byte each
        {"\xE4|a", true, "\xE4", "a"},     // a stray mark at the start
        {"ab\r\n\xE4|", true, "\xE4", ""}, // after a line break: never joined to it
        {"ab|\r\n\xE4", true, "b", "\r"},  // a line break is not a letter's base
    };
    for (const auto& c : cases) {
        const tavi::TCaretText t = At(c.text);
        EXPECT_EQ(tavi::LetterBefore(t, c.vni).Bytes, c.before) << c.text;
        EXPECT_EQ(tavi::LetterAfter(t, c.vni).Bytes, c.after) << c.text;
    }
}

TEST(EditEchoCore, CtrlAltTableCoversItsKeysOnly) {
    EXPECT_EQ(tavi::CtrlAltByte('0'), 0xAA);
    EXPECT_EQ(tavi::CtrlAltByte('Z'), 0x8E);
    EXPECT_EQ(tavi::CtrlAltByte('N'), 0);
    EXPECT_EQ(tavi::CtrlAltByte('@'), 0);
    EXPECT_EQ(tavi::CtrlAltByte('/'), -1);
    EXPECT_EQ(tavi::CtrlAltByte('['), -1);
    EXPECT_EQ(tavi::CtrlAltByte(0x01000030), -1); // F1
}

} // namespace

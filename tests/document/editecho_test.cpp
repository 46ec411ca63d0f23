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

// As At, or "[" and "]" around a selection, the caret at its start.
tavi::TCaretText Selected(std::string text) {
    const std::size_t open = text.find('[');
    if (open == std::string::npos) return At(std::move(text));
    const std::size_t close = text.find(']');
    text.erase(close, 1);
    text.replace(open, 1, "|");
    tavi::TCaretText t = At(std::move(text));
    t.SelLength = close - open - 1;
    return t;
}

TEST(EditEchoCore, FieldKeysPassAndDeleteLettersWhole) {
    using enum tavi::TFieldKey;
    constexpr int None = -1;
    const struct {
        tavi::TFieldKey key;
        const char* text; // Left: the caret where the key took it
        bool vni, beep, deletion, selection;
        std::string said;
        int clear, caretTo;
    } cases[] = {
        {Right, "|", true, true, false, false, "", None, None},
        {Right, "Vi|e\xE4t", true, false, false, false, "e\xE4", None, 3}, // passes the mark too
        {Right, "Vi|e\xE4t", false, false, false, false, "e", None, None},
        {Right, "ab|\r\n", true, false, false, false, "\r", None, None},
        {Left, "Vi|e\xE4t", true, false, false, false, "e", None, None},
        {Left, "Vie|\xE4t", true, false, false, false, "e\xE4", None, 2}, // landed on the mark
        {Left, "Vie|\xE4t", false, false, false, false, "\xE4", None, None},
        {Left, "ab|", true, false, false, false, "", None, None},
        {Delete, "ab|", true, true, false, false, "", None, None},
        {Delete, "V[ie]t", true, false, true, true, "ie", None, None},
        {Delete, "Vi|e\xE4t", true, false, true, false, "e\xE4", 2, None},
        {Delete, "Vi|e\xE4t", false, false, true, false, "e", None, None},
        {Backspace, "|ab", true, true, false, false, "", None, None},
        {Backspace, "[ab]", true, false, true, true, "ab", None, None}, // never the letter before
        {Backspace, "a[b]", true, false, true, true, "b", None, None},
        {Backspace, "Vie\xE4|t", true, false, true, false, "e\xE4", 3, None},
        {Backspace, "\xE4|a", true, false, true, false, "\xE4", None, None}, // a stray mark
    };
    for (const auto& c : cases) {
        const tavi::TFieldKeyEcho e = tavi::FieldKeyEcho(c.key, Selected(c.text), c.vni);
        EXPECT_EQ(e.Beep, c.beep) << c.text;
        EXPECT_EQ(e.Deletion, c.deletion) << c.text;
        EXPECT_EQ(e.Selection, c.selection) << c.text;
        EXPECT_EQ(e.Said, c.said) << c.text;
        EXPECT_EQ(e.ClearByte ? int(*e.ClearByte) : None, c.clear) << c.text;
        EXPECT_EQ(e.CaretTo ? int(*e.CaretTo) : None, c.caretTo) << c.text;
    }
}

TEST(EditEchoCore, StartsOfTextsAndWhatChangedKeepLettersWhole) {
    const struct {
        std::string text, said;
    } starts[] = {
        {"  Vie\xE4t  nam\r\nba ", "Vie\xE4t nam ba, 15 zzzmeswd"}, // a break is one letter
        {"a b c d e f g", "a b c d e, 13 zzzmeswd"},
        {" \r\n", "zzzmesev, 2 zzzmeswd"},
        {std::string(100, 'x'), std::string(80, 'x') + ", 100 zzzmeswd"},
        {std::string(79, 'x') + "e\xE4", std::string(79, 'x') + ", 80 zzzmeswd"},
    };
    for (const auto& c : starts) EXPECT_EQ(tavi::SpokenStart(c.text, true, false), c.said);
    const struct {
        std::string before, after;
        std::size_t start;
        std::string removed, inserted;
    } changes[] = {
        {"Vie\xE4t", "Vie\xE9t", 2, "e\xE4", "e\xE9"},
        {"a\xE4", "e\xE4", 0, "a\xE4", "e\xE4"},
        {"ab xin", "ab ", 3, "xin", ""},
    };
    for (const auto& c : changes) {
        const tavi::TTextChange t = tavi::TextChange(c.before, c.after, true);
        EXPECT_EQ(t.Start, c.start) << c.before;
        EXPECT_EQ(t.Removed, c.removed) << c.before;
        EXPECT_EQ(t.Inserted, c.inserted) << c.before;
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

// The accent keyboard's engine typing into a byte buffer: letter tables, combinations,
// PrevText and the states, driven by key scripts.
#include "codes/tabletree.h"
#include "codes/vncodeconverter.h"
#include "codes/vnkey.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TKeyEvent;
using tavi::TKeyVerdict;
using tavi::TVnKey;
using tavitest::Hex;
using tavitest::HexOf;

namespace {

TKeyEvent Typed(int c) {
    TKeyEvent key;
    key.Typed = true;
    key.Char = c;
    return key;
}

// Plays a key script into a buffer as an edit control would take it: every character is a
// typed key, except '<' (left arrow), '#' (the next digit on the numeric keypad) and '@' (a
// mouse click that leaves the caret where it is).
class TTyping {
public:
    explicit TTyping(std::string_view table = TVnKey::VniAnsiTable,
                     std::string_view keys = "123456789") {
        Engine.LoadTable(table);
        Engine.SetAccentKeys(keys);
    }

    std::string Type(std::string_view script) {
        bool keypad = false;
        for (char c : script) {
            if (c == '@') {
                Engine.MouseDown();
                continue;
            }
            if (c == '#') {
                keypad = true;
                continue;
            }
            TKeyEvent key;
            if (c == '<') {
                key.Extended = true;
                Engine.KeyDown(key, Buffer);
                if (Buffer.SelStart > 0) --Buffer.SelStart;
                continue;
            }
            key = Typed(static_cast<unsigned char>(c));
            key.Keypad = keypad;
            keypad = false;
            const TKeyVerdict verdict = Engine.KeyDown(key, Buffer);
            if (verdict.Kind == TKeyVerdict::Pass) Buffer.Type(std::string(1, c));
        }
        return Buffer.Text;
    }

    TVnKey Engine;
    tavi::TTextBuffer Buffer;
};

struct TypingCase {
    const char* script;
    std::string expected;
};

class VnKeyTyping : public ::testing::TestWithParam<TypingCase> {};

void PrintTo(const TypingCase& c, std::ostream* os) {
    *os << '"' << c.script << '"';
}

TEST_P(VnKeyTyping, LeavesTheBytesOfTheVniAnsiTable) {
    TTyping typing;
    EXPECT_EQ(HexOf(typing.Type(GetParam().script)), HexOf(GetParam().expected));
}

std::string H(std::string_view hex) {
    return Hex(hex);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, VnKeyTyping,
    ::testing::Values(
        TypingCase{"a1", "a" + H("F9")},
        // The same tone again rewrites the same two bytes and types nothing.
        TypingCase{"a11", "a" + H("F9")},
        TypingCase{"a12", "a" + H("F8")}, // a tone key replaces the tone
        TypingCase{"a8", "a" + H("EA")}, TypingCase{"a86", "a" + H("E2")},
        TypingCase{"a88", "a" + H("EA")}, TypingCase{"a68", "a" + H("EA")},
        TypingCase{"o7", H("F4")}, TypingCase{"o76", "o" + H("E2")}, TypingCase{"o67", H("F4")},
        TypingCase{"u7", H("F6")}, TypingCase{"u71", H("F6 F9")}, TypingCase{"e6", "e" + H("E2")},
        TypingCase{"a61", "a" + H("E1")}, TypingCase{"a16", "a" + H("E1")}, // ấ either way
        TypingCase{"o72", H("F4 F8")}, TypingCase{"i1", H("ED")}, TypingCase{"y5", H("EE")},
        TypingCase{"i6", "i6"}, TypingCase{"y7", "y7"}, TypingCase{"u8", "u8"},
        TypingCase{"a9", "a9"}, TypingCase{"d1", "d1"}, TypingCase{"d9", H("F1")},
        TypingCase{"dd9", "d" + H("F1")}, TypingCase{"D9", H("D1")},
        TypingCase{"D91", H("D1") + "1"}, // after the bar the state is Idle
        TypingCase{"A1", "A" + H("D9")}, TypingCase{"O76", "O" + H("C2")},
        TypingCase{"E65", "E" + H("C4")}, TypingCase{"Y5", H("CE")}, TypingCase{"U71", H("D6 D9")},
        TypingCase{"I2", H("CC")},
        TypingCase{"ae1", "ae" + H("F9")}, // the last vowel takes the mark
        TypingCase{"b1", "b1"}, TypingCase{"a 1", "a 1"}, TypingCase{"a1 1", "a" + H("F9") + " 1"},
        TypingCase{"11", "11"}, TypingCase{"a1b1", "a" + H("F9") + "b1"},
        // An arrow clears PrevText: the 1 is typed where the caret went.
        TypingCase{"a<1", "1a"}, TypingCase{"a#1", "a1"}, // a keypad digit is a digit
        TypingCase{"a@1", "a1"},                          // so is a digit after a mouse click
        TypingCase{"a#11", "a11"}));

TEST(VnKey, UsesTheVniAsciiTableAsGiven) {
    TTyping typing(TVnKey::VniAsciiTable);
    EXPECT_EQ(typing.Type("a1 a16 d9 A1 D9 o7 u75 e3"),
              Hex("A0 20 E3 20 AD 20 5E 20 AE 20 F3 20 A8 20 81"));
}

TEST(VnKey, DuplicateKeysApplyTheLowerNumberedMark) {
    TTyping typing(TVnKey::VniAnsiTable, "113456789");
    EXPECT_EQ(typing.Type("a1 a2"), "a" + H("F9") + " a2");
}

TEST(VnKey, TracksTheStateAndPrevText) {
    TTyping typing;
    typing.Type("a");
    EXPECT_EQ(typing.Engine.State(), TVnKey::TState::AfterLetter);
    EXPECT_EQ(typing.Engine.PrevText(), "a");
    typing.Type("6");
    EXPECT_EQ(typing.Engine.State(), TVnKey::TState::AfterLetter);
    EXPECT_EQ(typing.Engine.PrevText(), "a" + H("E2"));
    typing.Type("<");
    // Clearing PrevText leaves the state as it was.
    EXPECT_EQ(typing.Engine.State(), TVnKey::TState::AfterLetter);
    EXPECT_EQ(typing.Engine.PrevText(), "");
    typing.Type("x");
    EXPECT_EQ(typing.Engine.State(), TVnKey::TState::Idle);
}

TEST(VnKey, TypedWithAltIsNoCharacter) {
    TTyping typing;
    typing.Type("a");
    TKeyEvent alt1 = Typed('1');
    alt1.Alt = true;
    EXPECT_EQ(typing.Engine.KeyDown(alt1, typing.Buffer).Kind, TKeyVerdict::Pass);
    EXPECT_EQ(typing.Engine.PrevText(), "a");
    EXPECT_EQ(typing.Type("1"), "a" + H("F9"));
}

TEST(VnKey, TextOfNoByteEndsTheLetter) {
    TTyping typing;
    typing.Type("a");
    typing.Engine.KeyDown(Typed(-1), typing.Buffer); // a character outside the byte map
    EXPECT_EQ(typing.Type("1"), "a1");
}

// A letter that is no longer before the caret (a field that refused it, text the program
// changed) is never rewritten: the accent key is typed as itself.
TEST(VnKey, RewritesOnlyTheLetterBeforeTheCaret) {
    TTyping typing;
    typing.Type("b");
    typing.Engine.KeyDown(Typed('a'), typing.Buffer); // the buffer refuses the a
    EXPECT_EQ(typing.Type("1"), "b1");
    EXPECT_EQ(typing.Engine.State(), TVnKey::TState::Idle);
    EXPECT_EQ(typing.Type("x"), "b1x");
}

// Every vowel with every mark and tone, in both orders, is the letter the Unicode alphabet
// has at that place, read back through the "Vni for Win" code table.
TEST(VnKey, MakesEveryMarkedLetter) {
    const auto alphabet = tavitest::VietnameseAlphabet();
    struct Mark {
        char base;
        char key; // 0: the tone alone
        int group;
    };
    const Mark marks[] = {{'a', 0, 0},   {'a', '8', 1}, {'a', '6', 2},  {'e', 0, 3},
                          {'e', '6', 4}, {'i', 0, 5},   {'o', 0, 6},    {'o', '6', 7},
                          {'o', '7', 8}, {'u', 0, 9},   {'u', '7', 10}, {'y', 0, 11}};
    tavi::TVnCodeConverter conv;
    conv.SetSourceTable("Vni for Win");
    conv.SetDestTable("Unicode");
    for (bool upper : {false, true}) {
        for (const Mark& m : marks) {
            for (char tone = '0'; tone <= '5'; ++tone) {
                const std::string base(1, upper ? char(m.base - 0x20) : m.base);
                const std::string mark(m.key ? 1 : 0, m.key);
                const std::string toneKey(tone > '0' ? 1 : 0, tone);
                const std::string orders[2] = {base + mark + toneKey, base + toneKey + mark};
                const std::string& expected =
                    alphabet[std::size_t((upper ? 73 : 0) + m.group * 6 + (tone - '0'))];
                for (const std::string& script : orders) {
                    TTyping typing;
                    conv.InStream.Data = typing.Type(script);
                    ASSERT_TRUE(conv.Convert());
                    EXPECT_EQ(conv.OutStream.Data, expected) << script;
                }
            }
        }
    }
}

// The built-in tables are the letters of the delivered "Vni for Win" and "Vni for Dos" code
// tables, entry for entry.
TEST(VnKey, BuiltInTablesMatchTheCodeTables) {
    const std::pair<std::string_view, const char*> tables[] = {
        {TVnKey::VniAnsiTable, "Vni for Win"}, {TVnKey::VniAsciiTable, "Vni for Dos"}};
    for (const auto& [text, name] : tables) {
        TVnKey engine;
        engine.LoadTable(text);
        const auto expected = tavi::ReadDestEntries(
            tavitest::ReadFile(tavitest::DataDir() / "VNCFiles" / (std::string(name) + ".vnc")),
            TVnKey::LetterCount);
        for (std::size_t n = 0; n < TVnKey::LetterCount; ++n)
            EXPECT_EQ(HexOf(engine.Letter(n)), HexOf(expected[n])) << name << " entry " << n;
    }
}

TEST(VnKey, LoadsTablesAsDestinationTables) {
    TVnKey engine;
    engine.LoadTable("a\r\nb  c\nd 0123456789abcdefXYZ");
    EXPECT_EQ(engine.Letter(0), "a");
    EXPECT_EQ(engine.Letter(1), "b");
    EXPECT_EQ(engine.Letter(2), "");
    EXPECT_EQ(engine.Letter(3), "cd");
    EXPECT_EQ(engine.Letter(4), "0123456789abcde"); // 15 bytes kept
    EXPECT_EQ(engine.Letter(5), "");
    // A longer list than the table fills the 146 entries and no more.
    std::string many;
    for (int i = 0; i < 300; ++i) many += std::to_string(i) + " ";
    engine.LoadTable(many);
    EXPECT_EQ(engine.Letter(145), "145");
}

// A table whose đ entries look like vowels, or an empty one, makes no marks and no trouble.
TEST(VnKey, OddTablesMakeNoMarks) {
    std::string table;
    for (std::size_t n = 0; n < TVnKey::LetterCount; ++n)
        table += (n == 72 ? "a" : "x") + std::string(" ");
    TTyping odd(table);
    EXPECT_EQ(odd.Type("a6 a1"), "a6 a1"); // "a" is entry 72, đ, which takes no mark
    TTyping empty("");
    EXPECT_EQ(empty.Type("a1 d9"), "a1 d9");
}

} // namespace

// The six-key keyboard's engine typing into a byte buffer: chords, release order, columns,
// capital and number signs, auto-repeat, and the cell table and its file.
#include "codes/brailkey.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <sstream>

using tavi::TBrailKey;
using tavi::TKeyEvent;
using tavi::TKeyVerdict;
using tavitest::Hex;
using tavitest::HexOf;

namespace {

std::string SixKeyFile() {
    return tavitest::ReadFile(tavitest::DataDir() / "SixKey");
}

// Plays a key script, tokens separated by blanks: "+K" presses key K and "-K" releases it,
// "K" does both, "[FD]" presses F and D and releases them in that order, "~K" is an X11
// auto-repeat of a held key (a repeated release and press), "!Alt" forgets Alt without its
// release reaching the program, "lost" tells the engine the program lost the keyboard. Keys:
// letters, digits, Shift, Alt, Space, Enter, Tab, Back, Left.
class TChording {
public:
    TChording() {
        Engine.LoadCells(SixKeyFile());
        Engine.SetDotKeys("FDSJKL");
    }

    std::string Play(const std::string& script) {
        std::istringstream in(script);
        std::string token;
        while (in >> token) {
            if (token == "lost") {
                Engine.KeyboardLost();
            } else if (token == "!Alt") {
                Alt = false;
            } else if (token[0] == '[') {
                const std::string keys = token.substr(1, token.size() - 2);
                for (char k : keys) Press(std::string(1, k), false);
                for (char k : keys) Release(std::string(1, k), false);
            } else if (token[0] == '+') {
                Press(token.substr(1), false);
            } else if (token[0] == '-') {
                Release(token.substr(1), false);
            } else if (token[0] == '~') {
                Release(token.substr(1), true);
                Press(token.substr(1), true);
            } else {
                Press(token, false);
                Release(token, false);
            }
        }
        return Buffer.Text;
    }

    TBrailKey Engine;
    tavi::TTextBuffer Buffer;

private:
    TKeyEvent Event(const std::string& name, bool autoRepeat) const {
        TKeyEvent key;
        key.Shift = Shift;
        key.Alt = Alt;
        key.AutoRepeat = autoRepeat;
        auto typed = [&](int c) {
            key.Typed = true;
            key.Char = c;
        };
        if (name == "Shift") {
            key.Key = tavi::VkShift;
        } else if (name == "Alt") {
            key.Key = tavi::VkAlt;
        } else if (name == "Space") {
            typed(' ');
        } else if (name == "Enter") {
            typed('\r');
        } else if (name == "Tab") {
            typed('\t');
        } else if (name == "Back") {
            typed('\b');
        } else if (name == "Left") {
            key.Extended = true;
        } else if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
            key.Key = name[0];
            typed(std::isalpha(static_cast<unsigned char>(name[0])) && !Shift ? name[0] + 0x20
                                                                              : name[0]);
        } else {
            ADD_FAILURE() << "unknown key " << name;
        }
        return key;
    }

    void Press(const std::string& name, bool autoRepeat) {
        const TKeyEvent key = Event(name, autoRepeat);
        const TKeyVerdict verdict = Engine.KeyDown(key, Buffer);
        if (verdict.Kind == TKeyVerdict::Retype) {
            Buffer.Type(std::string(1, static_cast<char>(verdict.Char)));
        } else if (verdict.Kind == TKeyVerdict::Pass && key.Typed && !Alt) {
            if (key.Char == '\b') {
                if (!Buffer.Text.empty()) Buffer.Text.pop_back();
                Buffer.SelStart = Buffer.Text.size();
            } else {
                Buffer.Type(std::string(1, static_cast<char>(key.Char)));
            }
        }
        if (name == "Shift") Shift = true;
        if (name == "Alt") Alt = true;
    }

    void Release(const std::string& name, bool autoRepeat) {
        Engine.KeyUp(Event(name, autoRepeat), Buffer);
        if (name == "Shift") Shift = false;
        if (name == "Alt") Alt = false;
    }

    bool Shift = false;
    bool Alt = false;
};

struct ChordCase {
    const char* script;
    std::string expected;
};

class BrailKeyTyping : public ::testing::TestWithParam<ChordCase> {};

void PrintTo(const ChordCase& c, std::ostream* os) {
    *os << '"' << c.script << '"';
}

TEST_P(BrailKeyTyping, TypesTheCellsOfTheTable) {
    TChording chording;
    EXPECT_EQ(HexOf(chording.Play(GetParam().script)), HexOf(GetParam().expected));
}

// Dots: F 1, D 2, S 3, J 4, K 5, L 6.
INSTANTIATE_TEST_SUITE_P(
    EdgeCases, BrailKeyTyping,
    ::testing::Values(
        ChordCase{"F", Hex("61")},
        ChordCase{"+F +D -F -D", Hex("62")}, // b, typed at the first release
        ChordCase{"+F +D -D -F", Hex("62")}, // whichever key goes up first
        ChordCase{"+D +F -D -F", Hex("62")}, ChordCase{"[FDSJKL]", Hex("85")}, // all six dots
        ChordCase{"+F +Shift -Shift -F", Hex("61")}, // any key-up types the pending cell
        ChordCase{"+Shift F -Shift", Hex("41")},
        ChordCase{"+Shift [SJKL] -Shift", ""}, // no character in the Shift column
        ChordCase{"+Alt F -Alt", ""},          // nor in the Alt column of dot 1
        // With Alt held releases are system keys: the chord is typed when Alt goes up.
        ChordCase{"+Alt +F +L -F -L -Alt", Hex("86")}, ChordCase{"+Alt [FSKL] -Alt", Hex("7A")},
        ChordCase{"+Shift +Alt [FSKL] -Alt -Shift", Hex("5A")},
        ChordCase{"[JL] F F", Hex("DE 41 61")}, // one capital sign: one capital
        ChordCase{"[JL] [JL] F [FD] [JL] F", Hex("DE DE 41 42 DE 61")},
        ChordCase{"[JL] [JL] [JL] F", Hex("DE DE DE 61")},
        ChordCase{"[JL] [SK] F F", Hex("DE D8 41 61")}, // a tone cell keeps the capital
        ChordCase{"[JL] D F", Hex("DE 2C 61")},         // a comma uses it up
        // Capitals of ơ â ô ă ê đ ư.
        ChordCase{"[JL] [JL] [DJL] [FL] [FJKL] [SJK] [FDL] [FJK] [FDKL]",
                  Hex("DE DE D5 C2 D4 C3 CA D0 DD")},
        ChordCase{"[SJKL] F [FD] Space F", Hex("23 31 32 20 61")},
        ChordCase{"[SJKL] [FJK]", Hex("23 34")},         // đ in number mode is 4
        ChordCase{"[SJKL] [DJK] [DK]", Hex("23 30 3A")}, // j is 0; a colon ends the number
        ChordCase{"[SJKL] F D F [DKL] F", Hex("23 31 2C 31 2E 31")},
        ChordCase{"[SJKL] F [DS] F", Hex("23 31 3B 61")},
        ChordCase{"[SJKL] F Enter F", Hex("23 31 0D 61")},
        ChordCase{"[SJKL] F Tab F", Hex("23 31 09 61")},
        ChordCase{"[SJKL] F Back F", Hex("23 31")}, // Backspace keeps number mode
        ChordCase{"[SJKL] [SJKL] F", Hex("23 23 31")}, ChordCase{"[JL] [SJKL] F", Hex("DE 23 31")},
        ChordCase{"A Q 1 Space", Hex("20")}, // keys that are no dots type nothing
        ChordCase{"+F Left -F", Hex("61")},  // keys without a character work as usual
        // X11 auto-repeat: a held chord repeats its character and is typed once more at
        // the release; the repeated releases break nothing.
        ChordCase{"+F ~F ~F -F", Hex("61 61 61")}, ChordCase{"+F +D ~D -D -F", Hex("62 62")},
        // Repeats type what the release types: digits in number mode, one capital.
        ChordCase{"[SJKL] +F ~F -F", Hex("23 31 31")},
        ChordCase{"[JL] +F ~F ~F -F", Hex("DE 41 61 61")},
        // An Alt release that went to another window does not leave Alt held.
        ChordCase{"+Alt !Alt F", Hex("61")}, ChordCase{"+F lost -F F", Hex("61")}));

TEST(BrailKey, DotsSharingAKeyRiseTogether) {
    TChording chording;
    chording.Engine.SetDotKeys("FFSJKL");
    EXPECT_EQ(chording.Play("F"), "b");
}

TEST(BrailKey, OnlyAltChordsOverrideShortcuts) {
    TBrailKey engine;
    engine.SetDotKeys("FDSJKL");
    TKeyEvent key;
    key.Key = 'F';
    EXPECT_FALSE(engine.TakesShortcut(key));
    key.Alt = true;
    EXPECT_TRUE(engine.TakesShortcut(key));
    key.Key = 'Q';
    EXPECT_FALSE(engine.TakesShortcut(key));
}

TEST(BrailKey, LoadsCellsByRowAndColumn) {
    TBrailKey engine;
    engine.LoadCells("a A\r\n,\r\n\xA4  \xA4\r\nxy\n z\r\n");
    EXPECT_EQ(engine.Cell(1, 1), 'a');
    EXPECT_EQ(engine.Cell(1, 2), 'A');
    EXPECT_EQ(engine.Cell(1, 3), 0);
    EXPECT_EQ(engine.Cell(2, 1), ',');
    EXPECT_EQ(engine.Cell(3, 1), 0xA4); // two spaces leave a column empty
    EXPECT_EQ(engine.Cell(3, 2), 0);
    EXPECT_EQ(engine.Cell(3, 3), 0xA4);
    EXPECT_EQ(engine.Cell(4, 1), 'y'); // a later byte overwrites; a line feed is nothing
    EXPECT_EQ(engine.Cell(4, 2), 'z');
    // Loading again starts from an empty table.
    engine.LoadCells("q");
    EXPECT_EQ(engine.Cell(1, 1), 'q');
    EXPECT_EQ(engine.Cell(1, 2), 0);
    EXPECT_EQ(engine.Cell(2, 1), 0);
}

TEST(BrailKey, IgnoresWhatDoesNotFitTheTable) {
    TBrailKey engine;
    std::string text = "a b c d e f\r\n";
    for (int row = 2; row <= 80; ++row) text += "x\r\n";
    engine.LoadCells(text);
    EXPECT_EQ(engine.Cell(1, 4), 'd');
    EXPECT_EQ(engine.Cell(63, 1), 'x');
    EXPECT_EQ(engine.Cell(64, 1), 0);
    EXPECT_EQ(engine.Cell(0, 1), 0);
    EXPECT_EQ(engine.Cell(1, 5), 0);
}

// The generated file holds exactly the cells of the source table, and the cells that the
// keyboard's rules rest on.
TEST(BrailKey, TableFileHoldsTheSourceCells) {
    TBrailKey engine;
    engine.LoadCells(SixKeyFile());
    std::istringstream source(
        tavitest::ReadFile(tavitest::SourceDir() / "data/braille/sixkey-cells.txt"));
    std::string line;
    int rows = 0;
    while (std::getline(source, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        int row = 0;
        std::string dots, column[4];
        fields >> row >> dots >> column[0] >> column[1] >> column[2] >> column[3];
        ASSERT_EQ(row, ++rows);
        for (int c = 0; c < 4; ++c) {
            const int expected = column[c] == "-" ? 0 : std::stoi(column[c], nullptr, 16);
            EXPECT_EQ(engine.Cell(row, c + 1), expected) << "cell " << row << " column " << c + 1;
        }
    }
    EXPECT_EQ(rows, TBrailKey::Rows);
    const struct {
        int row;
        unsigned char plain, shift, alt, shiftAlt;
    } spot[] = {{3, 'b', 'B', 0, 0},    {25, 0xF0, 0xD0, 0, 0},   {28, 0xE3, 0xC3, 0xA7, ')'},
                {40, 0xDE, 0, 0xDE, 0}, {53, 'd', 'D', 'z', 'Z'}, {60, '#', 0, '#', 0},
                {61, 'y', 'Y', 0, '}'}, {63, 0x85, 0, 0, 0}};
    for (const auto& s : spot) {
        EXPECT_EQ(engine.Cell(s.row, 1), s.plain) << s.row;
        EXPECT_EQ(engine.Cell(s.row, 2), s.shift) << s.row;
        EXPECT_EQ(engine.Cell(s.row, 3), s.alt) << s.row;
        EXPECT_EQ(engine.Cell(s.row, 4), s.shiftAlt) << s.row;
    }
}

} // namespace

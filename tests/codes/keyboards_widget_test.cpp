// The two keyboards in real widgets on the offscreen platform: keys sent with QTest land as
// exactly the bytes of the tables in QLineEdit, QTextEdit, QPlainTextEdit and editable combo
// boxes; the components' properties, the hook's lifetime and the cell table file.
#include "codes/keyboard.h"
#include "codes/keyboardfilter.h"
#include "codes/sixkeykb.h"
#include "platform/errors.h"
#include "platform/qbytechars.h"
#include "support/testdata.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using tavi::TKeyboard;
using tavi::TSixKeyKbd;
using tavitest::Hex;
using tavitest::HexOf;

namespace {

enum class Kind { LineEdit, TextEdit, PlainTextEdit, ComboBox };

std::string KindName(Kind kind) {
    switch (kind) {
    case Kind::LineEdit: return "QLineEdit";
    case Kind::TextEdit: return "QTextEdit";
    case Kind::PlainTextEdit: return "QPlainTextEdit";
    case Kind::ComboBox: return "QComboBox";
    }
    return {};
}

// A shown, active window holding one edit widget of the given kind, with the keyboard focus.
class TEditWindow {
public:
    explicit TEditWindow(Kind kind) {
        auto* layout = new QVBoxLayout(&Window);
        switch (kind) {
        case Kind::LineEdit: Edit = new QLineEdit; break;
        case Kind::TextEdit: Edit = new QTextEdit; break;
        case Kind::PlainTextEdit: Edit = new QPlainTextEdit; break;
        case Kind::ComboBox: {
            auto* combo = new QComboBox;
            combo->setEditable(true);
            Edit = combo;
            break;
        }
        }
        layout->addWidget(Edit);
        Window.show();
        Window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
        Edit->setFocus();
    }

    // What the widget holds, as bytes.
    std::string Bytes() const {
        QString text;
        if (auto* line = qobject_cast<QLineEdit*>(Edit)) text = line->text();
        if (auto* rich = qobject_cast<QTextEdit*>(Edit)) text = rich->document()->toRawText();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(Edit))
            text = plain->document()->toRawText();
        if (auto* combo = qobject_cast<QComboBox*>(Edit)) text = combo->lineEdit()->text();
        const auto bytes = tavi::QStringToBytes(text);
        EXPECT_TRUE(bytes.has_value()) << text.toStdString();
        return bytes.value_or("?");
    }

    // Clicks at the end of the text, where the caret already is.
    void ClickAtEnd() {
        QWidget* target = Edit;
        if (auto* area = qobject_cast<QAbstractScrollArea*>(Edit)) target = area->viewport();
        if (auto* combo = qobject_cast<QComboBox*>(Edit)) target = combo->lineEdit();
        QTest::mouseClick(target, Qt::LeftButton, {},
                          QPoint(target->width() - 2, target->height() - 2));
    }

    QWidget Window;
    QWidget* Edit = nullptr;
};

Qt::Key KeyOf(char c) {
    if (c >= 'a' && c <= 'z') return Qt::Key(Qt::Key_A + (c - 'a'));
    if (c >= 'A' && c <= 'Z') return Qt::Key(Qt::Key_A + (c - 'A'));
    if (c >= '0' && c <= '9') return Qt::Key(Qt::Key_0 + (c - '0'));
    if (c == ' ') return Qt::Key_Space;
    ADD_FAILURE() << "no key for " << c;
    return Qt::Key_unknown;
}

// The accent keyboard's key scripts: characters are typed keys, '<' the left arrow, '#' puts
// the next digit on the numeric keypad, '@' clicks at the end of the text.
void TypeAccents(TEditWindow& window, std::string_view script) {
    bool keypad = false;
    for (char c : script) {
        if (c == '<') {
            QTest::keyClick(window.Edit, Qt::Key_Left);
        } else if (c == '@') {
            window.ClickAtEnd();
        } else if (c == '#') {
            keypad = true;
        } else {
            QTest::sendKeyEvent(QTest::Click, window.Edit, KeyOf(c), QString(QChar(c)),
                                keypad ? Qt::KeypadModifier : Qt::NoModifier);
            keypad = false;
        }
    }
}

// An enabled accent keyboard with the VNI-ANSI table, on an engine of its own.
struct AnsiKeyboard {
    AnsiKeyboard() : Keyboard(nullptr, Engine) {
        Keyboard.SetCodeTable(TKeyboard::VniAnsi);
        Keyboard.SetEnabled(true);
    }
    tavi::TVnKey Engine;
    TKeyboard Keyboard;
};

struct AccentCase {
    const char* script;
    std::string expected;
};

void PrintTo(Kind kind, std::ostream* os) {
    *os << KindName(kind);
}
void PrintTo(const AccentCase& c, std::ostream* os) {
    *os << '"' << c.script << '"';
}

class AccentKeyboard : public ::testing::TestWithParam<std::tuple<Kind, AccentCase>> {};

TEST_P(AccentKeyboard, TypesTheVniAnsiBytes) {
    const auto& [kind, c] = GetParam();
    AnsiKeyboard ansi;
    TEditWindow window(kind);
    TypeAccents(window, c.script);
    EXPECT_EQ(HexOf(window.Bytes()), HexOf(c.expected)) << c.script;
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, AccentKeyboard,
    ::testing::Combine(
        ::testing::Values(Kind::LineEdit, Kind::TextEdit, Kind::PlainTextEdit, Kind::ComboBox),
        ::testing::Values(
            AccentCase{"a1", Hex("61 F9")}, AccentCase{"a11", Hex("61 F9")},
            AccentCase{"a86", Hex("61 E2")}, AccentCase{"o76", Hex("6F E2")},
            AccentCase{"i6", "i6"}, AccentCase{"d1", "d1"}, AccentCase{"D91", Hex("D1 31")},
            AccentCase{"a<1", "1a"}, AccentCase{"a#1", "a1"}, AccentCase{"a@1", "a1"},
            AccentCase{"tie61ng Vie65t", "tie" + Hex("E1") + "ng Vie" + Hex("E4") + "t"})),
    [](const auto& info) {
        std::string name = KindName(std::get<0>(info.param)) + "_";
        for (char c : std::string(std::get<1>(info.param).script))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name + "_" + std::to_string(info.index);
    });

TEST(AccentKeyboardWidget, DoesNothingWhileDisabled) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine);
    TEditWindow window(Kind::LineEdit);
    TypeAccents(window, "a1");
    EXPECT_EQ(window.Bytes(), "a1");
}

// A field that refused the letter keeps its text: the accent key is not allowed to rewrite
// whatever stands before the caret.
TEST(AccentKeyboardWidget, LeavesARefusedLetterAlone) {
    AnsiKeyboard ansi;
    TEditWindow window(Kind::LineEdit);
    static_cast<QLineEdit*>(window.Edit)->setMaxLength(1);
    TypeAccents(window, "ba1");
    EXPECT_EQ(window.Bytes(), "b");
}

TEST(AccentKeyboardWidget, ReadOnlyEditorsAreNotRewritten) {
    AnsiKeyboard ansi;
    TEditWindow window(Kind::TextEdit);
    TypeAccents(window, "a");
    static_cast<QTextEdit*>(window.Edit)->setReadOnly(true);
    TypeAccents(window, "1");
    EXPECT_EQ(window.Bytes(), "a");
    EXPECT_EQ(ansi.Engine.State(), tavi::TVnKey::TState::Idle);
}

// Text of no byte (here Cyrillic) ends the letter like any other character.
TEST(AccentKeyboardWidget, ForeignTextEndsTheLetter) {
    AnsiKeyboard ansi;
    TEditWindow window(Kind::LineEdit);
    TypeAccents(window, "a");
    QTest::sendKeyEvent(QTest::Click, window.Edit, Qt::Key_unknown, QString(QChar(0x0431)),
                        Qt::NoModifier);
    TypeAccents(window, "1");
    EXPECT_EQ(static_cast<QLineEdit*>(window.Edit)->text(), QString("a") + QChar(0x0431) + "1");
}

TEST(AccentKeyboardWidget, VniAsciiMarksInPrivateUseCharacters) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine); // VNI-ASCII from the start
    keyboard.SetEnabled(true);
    TEditWindow window(Kind::TextEdit);
    TypeAccents(window, "e3 d9 i2");
    EXPECT_EQ(window.Bytes(), Hex("81 20 AD 20 8D")); // three bytes of the Private Use map
}

TEST(KeyboardComponent, StartsAsSpecified) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine);
    EXPECT_FALSE(keyboard.Enabled());
    EXPECT_EQ(keyboard.CodeTable(), TKeyboard::VniAscii);
    EXPECT_EQ(keyboard.CodeTableName(), "VNI-ASCII");
    EXPECT_TRUE(keyboard.Characters().isEmpty());
    EXPECT_EQ(engine.AccentKeys(), "123456789");
    EXPECT_EQ(keyboard.AccentKeys()->Acute(), '1');
    EXPECT_EQ(keyboard.AccentKeys()->Bar(), '9');
    EXPECT_EQ(engine.Letter(1), Hex("A0"));
    EXPECT_EQ(keyboard.property("CodeTableName").toString(), "VNI-ASCII");
}

TEST(KeyboardComponent, SelectsTablesAndNames) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine);
    keyboard.SetCodeTable(TKeyboard::VniAnsi);
    EXPECT_EQ(keyboard.CodeTableName(), "VNI-ANSI");
    EXPECT_EQ(engine.Letter(1), "a" + Hex("F9"));
    keyboard.SetCodeTableName("Mine");
    keyboard.SetCodeTable(TKeyboard::VniAnsi); // unchanged: nothing happens
    EXPECT_EQ(keyboard.CodeTableName(), "Mine");
    // Other with no letters of the user's falls back on VNI-ASCII.
    keyboard.SetCodeTable(TKeyboard::Other);
    EXPECT_EQ(keyboard.CodeTable(), TKeyboard::VniAscii);
    EXPECT_EQ(keyboard.CodeTableName(), "VNI-ASCII");
}

TEST(KeyboardComponent, CharactersSwitchToOtherAndBack) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine);
    keyboard.SetCodeTableName("Mine");
    keyboard.SetCharacters({"a x1 x2 x3 x4 x5", tavi::BytesToQString("\xE8 \xE9")});
    EXPECT_EQ(keyboard.CodeTable(), TKeyboard::Other);
    EXPECT_EQ(keyboard.CodeTableName(), "Mine");
    EXPECT_EQ(engine.Letter(0), "a");
    EXPECT_EQ(engine.Letter(1), "x1");
    EXPECT_EQ(engine.Letter(5), "x5");
    EXPECT_EQ(engine.Letter(6), "\xE8"); // CR ends an entry, the line feed is nothing
    EXPECT_EQ(engine.Letter(7), "\xE9");
    EXPECT_EQ(engine.Letter(8), "");
    keyboard.SetEnabled(true);
    TEditWindow window(Kind::LineEdit);
    TypeAccents(window, "a1");
    EXPECT_EQ(window.Bytes(), "x1");
    keyboard.SetCharacters({});
    EXPECT_EQ(keyboard.CodeTable(), TKeyboard::VniAscii);
    EXPECT_EQ(engine.Letter(1), Hex("A0"));
}

TEST(KeyboardComponent, AccentKeySettersReachTheEngine) {
    tavi::TVnKey engine;
    TKeyboard keyboard(nullptr, engine);
    keyboard.SetCodeTable(TKeyboard::VniAnsi);
    keyboard.AccentKeys()->SetAcute('s');
    keyboard.AccentKeys()->SetCircumflex('1'); // a second mark on no key of its own
    EXPECT_EQ(engine.AccentKeys(), "s23451789");
    keyboard.SetEnabled(true);
    TEditWindow window(Kind::LineEdit);
    TypeAccents(window, "as a1 a6");
    EXPECT_EQ(window.Bytes(), "a" + Hex("F9") + " a" + Hex("E2") + " a6");
}

TEST(KeyboardComponent, HookLivesWhileAnyKeyboardIsEnabled) {
    tavi::TVnKey engine;
    auto first = std::make_unique<TKeyboard>(nullptr, engine);
    TKeyboard second(nullptr, engine);
    first->SetEnabled(true);
    second.SetEnabled(true);
    first->SetEnabled(false);
    EXPECT_TRUE(tavi::KeyHookInstalled(engine));
    first->SetEnabled(true);
    first.reset(); // destroying an enabled keyboard releases its hold
    EXPECT_TRUE(tavi::KeyHookInstalled(engine));
    second.SetEnabled(false);
    EXPECT_FALSE(tavi::KeyHookInstalled(engine));
}

// --- six-key keyboard ---------------------------------------------------------------------

Qt::Key NamedKey(const std::string& name) {
    if (name == "Space") return Qt::Key_Space;
    if (name == "Back") return Qt::Key_Backspace;
    if (name == "Enter") return Qt::Key_Return;
    if (name.size() == 1) return KeyOf(name[0]);
    ADD_FAILURE() << "no key " << name;
    return Qt::Key_unknown;
}

// Sends one key event the way X11 does, auto-repeat included.
void SendKey(QWidget* widget, QEvent::Type type, Qt::Key key, bool autoRepeat) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(QChar(QTest::keyToAscii(key))), autoRepeat);
    QApplication::sendEvent(widget, &event);
}

// The chord scripts of the engine tests: "+K" press, "-K" release, "K" both, "[FD]" presses
// then releases, "~K" an X11 auto-repeat of a held key.
void PlayChords(QWidget* widget, const std::string& script) {
    std::istringstream in(script);
    std::string token;
    while (in >> token) {
        if (token[0] == '[') {
            const std::string keys = token.substr(1, token.size() - 2);
            for (char k : keys) QTest::keyPress(widget, KeyOf(k));
            for (char k : keys) QTest::keyRelease(widget, KeyOf(k));
        } else if (token[0] == '+') {
            QTest::keyPress(widget, NamedKey(token.substr(1)));
        } else if (token[0] == '-') {
            QTest::keyRelease(widget, NamedKey(token.substr(1)));
        } else if (token[0] == '~') {
            SendKey(widget, QEvent::KeyRelease, NamedKey(token.substr(1)), true);
            SendKey(widget, QEvent::KeyPress, NamedKey(token.substr(1)), true);
        } else {
            QTest::keyClick(widget, NamedKey(token));
        }
    }
}

class SixKeyFixture {
public:
    SixKeyFixture() : Keyboard(nullptr, Engine) {
        Keyboard.LoadCharacters(tavitest::DataDir() / tavi::SixKeyTableName);
        Keyboard.SetEnabled(true);
    }
    tavi::TBrailKey Engine;
    TSixKeyKbd Keyboard;
};

struct ChordCase {
    const char* script;
    std::string expected;
};

void PrintTo(const ChordCase& c, std::ostream* os) {
    *os << '"' << c.script << '"';
}

class SixKeyKeyboard : public ::testing::TestWithParam<std::tuple<Kind, ChordCase>> {};

TEST_P(SixKeyKeyboard, TypesTheCellBytes) {
    const auto& [kind, c] = GetParam();
    SixKeyFixture six;
    TEditWindow window(kind);
    PlayChords(window.Edit, c.script);
    EXPECT_EQ(HexOf(window.Bytes()), HexOf(c.expected)) << c.script;
}

// Dots: F 1, D 2, S 3, J 4, K 5, L 6.
INSTANTIATE_TEST_SUITE_P(
    EdgeCases, SixKeyKeyboard,
    ::testing::Combine(
        ::testing::Values(Kind::LineEdit, Kind::TextEdit),
        ::testing::Values(ChordCase{"[FD]", "b"}, ChordCase{"+F +D -F -D", "b"},
                          ChordCase{"[JL] F F", Hex("DE 41 61")},
                          ChordCase{"[JL] [JL] F [FD] [JL] F", Hex("DE DE 41 42 DE 61")},
                          ChordCase{"[SJKL] F [FD] Space F", "#12 a"},
                          ChordCase{"[SJKL] [FJK]", "#4"},
                          ChordCase{"[FJK] [FDKL] [DJL]", Hex("F0 FD F5")},
                          ChordCase{"A Q 1 Space", " "}, ChordCase{"F F Back", "a"},
                          ChordCase{"+F ~F ~F -F", "aaa"}, ChordCase{"+F +D ~D -D -F", "bb"},
                          ChordCase{"[SJKL] +F ~F -F", "#11"})),
    [](const auto& info) {
        std::string name = KindName(std::get<0>(info.param)) + "_";
        for (char c : std::string(std::get<1>(info.param).script))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name + "_" + std::to_string(info.index);
    });

// Alt chords are typed at the release of Alt and never reach a menu shortcut on their keys;
// Alt with other keys still does.
TEST(SixKeyKeyboardWidget, AltChordsBypassShortcuts) {
    SixKeyFixture six;
    TEditWindow window(Kind::LineEdit);
    QAction onDot(&window.Window), onOther(&window.Window);
    onDot.setShortcut(QKeySequence(Qt::ALT | Qt::Key_F));
    onOther.setShortcut(QKeySequence(Qt::ALT | Qt::Key_Q));
    window.Window.addAction(&onDot);
    window.Window.addAction(&onOther);
    int dotHits = 0, otherHits = 0;
    QObject::connect(&onDot, &QAction::triggered, [&] { ++dotHits; });
    QObject::connect(&onOther, &QAction::triggered, [&] { ++otherHits; });

    QTest::keyPress(window.Edit, Qt::Key_F, Qt::AltModifier);
    QTest::keyPress(window.Edit, Qt::Key_L, Qt::AltModifier);
    EXPECT_EQ(window.Bytes(), "");                              // still pending
    QTest::keyRelease(window.Edit, Qt::Key_L, Qt::AltModifier); // L, then Alt, goes up
    QTest::keyRelease(window.Edit, Qt::Key_F);
    EXPECT_EQ(window.Bytes(), Hex("86"));
    QTest::keyClick(window.Edit, Qt::Key_F, Qt::AltModifier); // no Alt character on dot 1
    EXPECT_EQ(window.Bytes(), Hex("86"));
    EXPECT_EQ(dotHits, 0);
    QTest::keyClick(window.Edit, Qt::Key_Q, Qt::AltModifier);
    EXPECT_EQ(otherHits, 1);
}

TEST(SixKeyKeyboardWidget, DoesNothingWhileDisabled) {
    SixKeyFixture six;
    six.Keyboard.SetEnabled(false);
    TEditWindow window(Kind::LineEdit);
    PlayChords(window.Edit, "[FD] A");
    EXPECT_EQ(window.Bytes(), "fda");
}

TEST(SixKeyComponent, StartsWithTheHomeRowAndNoCells) {
    tavi::TBrailKey engine;
    TSixKeyKbd keyboard(nullptr, engine);
    EXPECT_FALSE(keyboard.Enabled());
    EXPECT_EQ(engine.DotKeys(), "FDSJKL");
    EXPECT_EQ(keyboard.SixKeys()->FirstDot(), 'F');
    EXPECT_EQ(keyboard.SixKeys()->SixthDot(), 'L');
    EXPECT_EQ(engine.Cell(1, 1), 0);
}

TEST(SixKeyComponent, DotKeySettersTakeLettersOnly) {
    tavi::TBrailKey engine;
    TSixKeyKbd keyboard(nullptr, engine);
    EXPECT_TRUE(keyboard.SixKeys()->SetFirstDot('a'));
    EXPECT_EQ(keyboard.SixKeys()->FirstDot(), 'A');
    EXPECT_FALSE(keyboard.SixKeys()->SetSecondDot('1'));
    EXPECT_FALSE(keyboard.SixKeys()->SetThirdDot('\xE2'));
    EXPECT_EQ(engine.DotKeys(), "ADSJKL");
}

// The main window's table file goes through Characters into the engine unchanged; an empty
// list, or a file that cannot be read, leaves the table as it was.
TEST(SixKeyComponent, LoadsTheTableFile) {
    tavi::TBrailKey engine, direct;
    TSixKeyKbd keyboard(nullptr, engine);
    const auto file = tavitest::DataDir() / tavi::SixKeyTableName;
    keyboard.LoadCharacters(file);
    EXPECT_EQ(keyboard.Characters().size(), tavi::TBrailKey::Rows);
    direct.LoadCells(tavitest::ReadFile(file));
    for (int row = 1; row <= tavi::TBrailKey::Rows; ++row)
        for (int column = 1; column <= tavi::TBrailKey::Columns; ++column)
            EXPECT_EQ(engine.Cell(row, column), direct.Cell(row, column)) << row << "/" << column;
    EXPECT_EQ(engine.Cell(25, 1), 0xF0);
    EXPECT_EQ(engine.Cell(4, 3), 0xA4);

    tavitest::TempDir dir;
    EXPECT_THROW(keyboard.LoadCharacters(dir / "missing"), tavi::EFOpenError);
    EXPECT_EQ(keyboard.Characters().size(), tavi::TBrailKey::Rows);
    keyboard.SetCharacters({});
    EXPECT_TRUE(keyboard.Characters().isEmpty());
    EXPECT_EQ(engine.Cell(25, 1), 0xF0);
}

} // namespace

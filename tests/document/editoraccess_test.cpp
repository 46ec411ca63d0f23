// The editor as a screen reader reads it through Qt's accessibility interface: Unicode letters,
// caret and selection in letters, in both displays, after typing and deleting.
#include "document/editoraccess.h"
#include "document/msrichedit.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

struct Reader {
    tavi::TMsRichEdit editor;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTextInterface* text = nullptr;

    Reader() {
        tavi::InstallEditorAccessibility();
        editor.setAccessibleName(Q("thư.txt"));
        editor.show();
        iface = QAccessible::queryAccessibleInterface(&editor);
        text = iface ? iface->textInterface() : nullptr;
    }
    QString All() const { return text->text(0, text->characterCount()); }
};

TEST(EditorAccess, TextCaretAndSelectionInLetters) {
    Reader r;
    ASSERT_NE(r.text, nullptr);
    EXPECT_EQ(r.iface->role(), QAccessible::EditableText);
    EXPECT_EQ(r.iface->text(QAccessible::Name), Q("thư.txt"));
    EXPECT_TRUE(r.iface->state().editable && r.iface->state().multiLine);

    r.editor.SetText("Vie\xE4t Nam\r\n\xF4i"); // "Việt Nam", a new paragraph, "ơi"
    EXPECT_EQ(r.All(), Q("Việt Nam\nơi"));
    EXPECT_EQ(r.text->characterCount(), 11);
    const struct {
        int bytes, letter;
    } carets[] = {{0, 0}, {2, 2}, {4, 3}, {9, 8}, {11, 9}, {13, 11}};
    for (const auto& c : carets) {
        r.editor.SetSelStart(c.bytes);
        EXPECT_EQ(r.text->cursorPosition(), c.letter) << c.bytes;
    }
    r.text->setCursorPosition(3); // after "Việ": the byte after its mark
    EXPECT_EQ(r.editor.SelStart(), 4);
    r.text->setSelection(0, 1, 3);
    EXPECT_EQ(r.editor.SelText(), "ie\xE4");
    int start = -1, end = -1;
    r.text->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(1, 3));
    EXPECT_EQ(r.text->selectionCount(), 1);
    QAccessible::TextBoundaryType word = QAccessible::WordBoundary;
    EXPECT_EQ(r.text->textAtOffset(2, word, &start, &end), Q("Việt"));

    // Typed and deleted as the user does: the letters and the change, never a lone mark.
    r.editor.SetText("");
    auto* reader = dynamic_cast<tavi::TEditorAccessible*>(r.iface);
    ASSERT_NE(reader, nullptr);
    reader->TakeChange();
    for (const char byte : std::string("Vie\xE4t")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QChar(static_cast<unsigned char>(byte)));
        QCoreApplication::sendEvent(&r.editor, &key);
    }
    EXPECT_EQ(r.All(), Q("Việt"));
    EXPECT_EQ(r.text->cursorPosition(), 4);
    auto change = reader->TakeChange();
    EXPECT_EQ(change.Position, 0);
    EXPECT_EQ(change.Inserted, u"Việt");
    r.editor.SetSelStart(4);
    QTest::keyClick(&r.editor, Qt::Key_Backspace); // the mark byte: "Viet"
    EXPECT_EQ(r.All(), Q("Viet"));
    change = reader->TakeChange();
    EXPECT_EQ(change.Position, 2);
    EXPECT_EQ(change.Removed, u"ệ");
    EXPECT_EQ(change.Inserted, u"e");

    // Braille display: Unicode Braille patterns, one per cell.
    r.editor.BrailleDisplay = [] { return true; };
    r.editor.SetText("ab c");
    EXPECT_EQ(r.All(), Q("⠁⠃ ⠉"));
    r.editor.SetSelStart(3);
    EXPECT_EQ(r.text->cursorPosition(), 3);
}

enum TAsk { At, Before, After };

// What a screen reader asks while the user moves, in both displays. qt: Qt's own answer is
// the same (elsewhere it differs or never returns).
TEST(EditorAccess, UnitsAroundAnOffset) {
    using enum QAccessible::TextBoundaryType;
    const struct {
        const char* bytes;
        bool braille;
        int caret; // bytes
        TAsk ask;
        int offset;
        QAccessible::TextBoundaryType unit;
        const char* expected;
        int start;
        bool qt;
    } cases[] = {
        // "Việt Nam", a new paragraph, "ơi"; ệ is two bytes and one letter.
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, At, 4, WordBoundary, " ", 4, true},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, After, 0, WordBoundary, " ", 4, true},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, Before, 8, WordBoundary, "Nam", 5, true},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, After, 9, WordBoundary, "", 11, false},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, At, 3, SentenceBoundary, "Việt Nam\n", 0, true},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, At, 0, LineBoundary, "Việt Nam\n", 0, false},
        {"Vie\xE4t Nam\r\n\xF4i", false, 0, At, -1, LineBoundary, "ơi", 9, false},
        {"Vie\xE4t Nam\r\n\xF4i", false, 4, At, -2, CharBoundary, "t", 3, false},
        {"ab c", true, 0, At, 0, WordBoundary, "⠁⠃", 0, false},
        {"ab c", true, 4, After, -2, WordBoundary, "", 4, false},
        {"ab c", true, 0, At, 1, CharBoundary, "⠃", 1, true},
    };
    Reader r;
    for (const auto& c : cases) {
        r.editor.BrailleDisplay = [braille = c.braille] { return braille; };
        r.editor.SetText(c.bytes);
        r.editor.SetSelStart(c.caret);
        const auto ask = [&](bool ours, int* start, int* end) {
            auto* t = r.text;
            if (c.ask == At)
                return ours ? t->textAtOffset(c.offset, c.unit, start, end)
                            : t->QAccessibleTextInterface::textAtOffset(c.offset, c.unit, start,
                                                                        end);
            if (c.ask == Before)
                return ours ? t->textBeforeOffset(c.offset, c.unit, start, end)
                            : t->QAccessibleTextInterface::textBeforeOffset(c.offset, c.unit, start,
                                                                            end);
            return ours
                       ? t->textAfterOffset(c.offset, c.unit, start, end)
                       : t->QAccessibleTextInterface::textAfterOffset(c.offset, c.unit, start, end);
        };
        int start = -1, end = -1;
        const QString got = ask(true, &start, &end);
        EXPECT_EQ(got, Q(c.expected)) << c.bytes << " " << c.offset;
        EXPECT_EQ(std::pair(start, end), std::pair(c.start, c.start + int(got.size()))) << c.offset;
        if (!c.qt) continue;
        int qtStart = -1, qtEnd = -1;
        EXPECT_EQ(ask(false, &qtStart, &qtEnd), got) << c.bytes << " " << c.offset;
        EXPECT_EQ(std::pair(qtStart, qtEnd), std::pair(start, end)) << c.offset;
    }
}

// Lines as the editor wraps them: read line after line, they give the paragraph back.
TEST(EditorAccess, LinesAsTheScreenWrapsThem) {
    Reader r;
    r.editor.SetRightMargin(120);
    r.editor.SetText("Mot hai ba bon nam sau bay tam chin muoi mot hai ba");
    QApplication::processEvents();
    QString read;
    int lines = 0, start = 0, end = 0;
    for (QString line = r.text->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
         !line.isEmpty() && lines < 99; ++lines) {
        EXPECT_EQ(start, read.size());
        read += line;
        line = r.text->textAfterOffset(start, QAccessible::LineBoundary, &start, &end);
    }
    EXPECT_EQ(read, r.All());
    EXPECT_GT(lines, 2);
}

} // namespace

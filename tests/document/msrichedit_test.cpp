// The editor control: bytes, positions, segments, lines, keys, clipboard, search, formatting.
#include "document/msrichedit.h"
#include "support/testdata.h"

#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

using tavi::TMsRichEdit;
using tavitest::Hex;

namespace {

std::string AllBytesButBreaks() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        if (b != '\r' && b != '\n') s += static_cast<char>(b);
    return s;
}

TEST(Editor, HoldsEveryByte) {
    TMsRichEdit e;
    const std::string all = AllBytesButBreaks();
    e.SetText(all);
    EXPECT_EQ(e.Text(), all);
    EXPECT_EQ(e.TextLength(), static_cast<int>(all.size()));
    // Every kind of line break is a paragraph break, which Text writes as CR LF.
    e.SetText("a\rb\nc\r\nd\n\re");
    EXPECT_EQ(e.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne");
    EXPECT_EQ(e.document()->blockCount(), 6);
}

TEST(Editor, PositionsCountTheParagraphBreakAsTwoBytes) {
    TMsRichEdit e;
    e.SetText("ab\r\ncd\r\n\r\nef");
    const struct {
        int set, get;
    } carets[] = {{0, 0}, {2, 2}, {3, 4},   {4, 4},   {6, 6},
                  {7, 8}, {8, 8}, {10, 10}, {12, 12}, {99, 12}};
    for (const auto& c : carets) {
        e.SetSelStart(c.set);
        EXPECT_EQ(e.SelStart(), c.get) << c.set;
        EXPECT_EQ(e.SelLength(), 0);
    }
    const struct {
        int start, length;
        std::string text;
    } selections[] = {{1, 4, "b\r\nc"}, {6, 4, "\r\n\r\n"}, {0, 12, e.Text()}, {10, 50, "ef"}};
    for (const auto& s : selections) {
        e.SetSelStart(s.start);
        e.SetSelLength(s.length);
        EXPECT_EQ(e.SelText(), s.text) << s.start;
        EXPECT_EQ(e.SelLength(), static_cast<int>(s.text.size()));
    }
    for (int t = 0; t <= e.TextLength(); ++t) {
        if (t == 0 || e.Text()[t - 1] != '\r') {
            EXPECT_EQ(e.DocToText(e.TextToDoc(t)), t) << t;
        }
    }
}

// A part of the text, read from its paragraphs alone, as reading on asks for it.
TEST(Editor, TextWindowsAreTheBytesOfTheText) {
    const std::string text = "ab\r\ncd\r\n\r\nef";
    TMsRichEdit e;
    e.SetText(text);
    for (std::size_t pos = 0; pos <= text.size() + 1; ++pos)
        for (std::size_t count : {1, 3, 50})
            EXPECT_EQ(e.TextWindow(pos, count), pos < text.size() ? text.substr(pos, count) : "")
                << pos << " " << count;
}

TEST(Editor, SelTextReplacesTheSelection) {
    TMsRichEdit e;
    e.SetText("Viet Nam");
    e.SetSelStart(2);
    e.SetSelLength(1);
    e.SetSelText("e" + Hex("E4"));
    EXPECT_EQ(e.Text(), "Vie" + Hex("E4") + "t Nam");
    EXPECT_EQ(e.SelStart(), 4);
    e.SetSelText("\r\n");
    EXPECT_EQ(e.Text(), "Vie" + Hex("E4") + "\r\nt Nam");
    EXPECT_EQ(e.SelStart(), 6);
    EXPECT_TRUE(e.CanUndo());
}

TEST(Editor, SegmentsAroundTheCaret) {
    TMsRichEdit e;
    EXPECT_EQ(e.GetSegment(" "), ""); // empty document
    e.SetText("one two.\r\nthree four");
    const struct {
        int caret;
        std::string delims, segment;
        int selStart, selLength;
    } cases[] = {
        {3, " \t\r\n", "one", 0, 3},  // after a word, before a blank
        {0, " \t\r\n", "one", 0, 3},  // at position 0
        {8, " \t\r\n", "two.", 4, 4}, // at the end of a paragraph
        {10, " \t\r\n", "three", 10, 5}, {12, "\r\n", "three four", 10, 10},
        {5, ".\r\n", "one two", 0, 7},   {20, " \t\r\n", "four", 16, 4},
    };
    for (const auto& c : cases) {
        e.SetSelStart(c.caret);
        EXPECT_EQ(e.GetSegment(c.delims), c.segment) << c.caret;
        e.SelectSegment(c.delims);
        EXPECT_EQ(e.SelStart(), c.selStart) << c.caret;
        EXPECT_EQ(e.SelLength(), c.selLength) << c.caret;
    }
}

// The key handlers read only the caret's paragraph (the bytes next to the caret, and segments):
// what they find there must be what the whole text gives, at every caret, at paragraph edges
// and in empty paragraphs.
TEST(Editor, TheCaretParagraphAnswersAsTheWholeTextDoes) {
    TMsRichEdit e;
    e.SetText("\r\nab cd.\r\n\r\n ef\tgh \r\nij");
    const std::string text = e.Text();
    EXPECT_EQ(e.TextLength(), static_cast<int>(text.size()));
    for (int caret = 0; caret <= e.TextLength(); ++caret) {
        e.SetSelStart(caret);
        const auto at = static_cast<std::size_t>(e.SelStart());
        const tavi::TCaretText t = e.CaretText();
        EXPECT_EQ(t.Caret, at);
        EXPECT_EQ(t.Length, text.size());
        for (std::size_t p = at - std::min<std::size_t>(at, 2); p < at + 2; ++p)
            EXPECT_EQ(t.At(p), p < text.size() ? static_cast<unsigned char>(text[p]) : -1) << p;
        for (const char* delims : {" \t\n\r", "\r\t ", "\r\n\t ", ".\n\r", "\r\n", "\n"}) {
            const tavi::TSegment whole = tavi::FindSegment(text, at, delims);
            const tavi::TSegment local = e.FindSegment(delims);
            EXPECT_EQ(local.Start, whole.Start) << caret << " " << Hex(delims);
            EXPECT_EQ(local.End, whole.End) << caret << " " << Hex(delims);
        }
    }
}

TEST(Editor, CaretLineAndColumn) {
    TMsRichEdit e;
    e.resize(600, 300);
    e.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&e));
    e.SetText("first\r\nsecond line");
    e.SetSelStart(10);
    EXPECT_EQ(e.CaretLine(), 1);
    EXPECT_EQ(e.CaretColumn(), 3);
    EXPECT_EQ(e.GetCaretLineText(), "second line");
    e.SetSelStart(2);
    EXPECT_EQ(e.CaretLine(), 0);
    EXPECT_EQ(e.CaretColumn(), 2);
    EXPECT_EQ(e.GetCaretLineText(), "first\r\n");

    // Lines are screen lines: a long paragraph wraps into several.
    std::string words;
    for (int i = 0; i < 40; ++i) words += "word" + std::to_string(i) + " ";
    e.SetRightMargin(150);
    e.SetText("top\r\n" + words);
    e.SetSelStart(e.TextLength());
    const int last = e.CaretLine();
    EXPECT_GT(last, 3);
    const std::string line = e.GetCaretLineText();
    EXPECT_FALSE(line.empty());
    EXPECT_EQ(e.Text().substr(e.TextLength() - line.size()), line);
    EXPECT_EQ(e.CaretColumn(), static_cast<int>(line.size()));
    e.SetSelStart(5);
    EXPECT_EQ(e.CaretLine(), 1);
    EXPECT_EQ(e.CaretColumn(), 0);

    // A screen line gives at most 256 bytes.
    e.SetRightMargin(0);
    e.setLineWrapMode(QTextEdit::NoWrap);
    e.SetText(std::string(300, 'x') + "\r\nnext");
    e.SetSelStart(1);
    EXPECT_EQ(e.GetCaretLineText(), std::string(256, 'x'));
}

// A window that records the keys that reach it.
class TOwner : public QWidget {
public:
    std::vector<int> Keys;

protected:
    void keyPressEvent(QKeyEvent* e) override { Keys.push_back(e->key()); }
    void keyReleaseEvent(QKeyEvent* e) override { Keys.push_back(e->key()); }
};

TEST(Editor, InsertKeyDoesNothing) {
    TOwner owner;
    auto* e = new TMsRichEdit(&owner);
    std::vector<int> downs, ups;
    e->OnKeyDown = [&](int& key, Qt::KeyboardModifiers) { downs.push_back(key); };
    e->OnKeyUp = [&](int& key, Qt::KeyboardModifiers) { ups.push_back(key); };
    e->SetText("abc");
    for (auto mods : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier})
        QTest::keyClick(e, Qt::Key_Insert, mods);
    for (const auto* seen : {&downs, &ups, &owner.Keys})
        EXPECT_EQ(std::count(seen->begin(), seen->end(), Qt::Key_Insert), 0);
    EXPECT_FALSE(e->overwriteMode());
    EXPECT_EQ(e->Text(), "abc");
    QTest::keyClick(e, Qt::Key_X);
    EXPECT_EQ(e->Text(), "xabc"); // still inserting, not overwriting
    // Other keys reach the handlers.
    QTest::keyClick(e, Qt::Key_Right);
    EXPECT_EQ(downs.back(), Qt::Key_Right);
    EXPECT_EQ(ups.back(), Qt::Key_Right);
}

TEST(Editor, KeyHandlersSeeAndChangeBytes) {
    TMsRichEdit e;
    std::string pressed;
    e.OnKeyPress = [&](char& ch) {
        pressed += ch;
        if (ch == 'b') ch = static_cast<char>(0xE2);
        if (ch == 'c') ch = 0;
    };
    e.OnKeyDown = [&](int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Backspace) key = 0;
    };
    QTest::keyClicks(&e, "abc");
    EXPECT_EQ(pressed, "abc");
    EXPECT_EQ(e.Text(), "a" + Hex("E2"));
    // A character key that types nothing (the accent keyboard ate it) is the byte 0.
    QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_1, QString(), Qt::NoModifier);
    EXPECT_EQ(pressed, std::string("abc") + '\0');
    EXPECT_EQ(e.Text(), "a" + Hex("E2"));
    QTest::keyClick(&e, Qt::Key_Backspace); // dropped by the key-down handler
    EXPECT_EQ(e.Text(), "a" + Hex("E2"));
    // A character the document has no byte for types "?".
    QTest::sendKeyEvent(QTest::Click, &e, Qt::Key_unknown, QString::fromUtf8("\xD0\x96"),
                        Qt::NoModifier);
    EXPECT_EQ(e.Text(), "a" + Hex("E2") + "?");
    // Shift+Enter breaks the paragraph like Enter.
    QTest::keyClick(&e, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(&e, Qt::Key_Return);
    EXPECT_EQ(e.Text(), "a" + Hex("E2") + "?\r\n\r\n");
}

TEST(Editor, RefusesTheSystemInputMethod) {
    TMsRichEdit e;
    EXPECT_FALSE(e.testAttribute(Qt::WA_InputMethodEnabled));
    QInputMethodEvent commit;
    commit.setCommitString("x");
    QApplication::sendEvent(&e, &commit);
    EXPECT_EQ(e.Text(), "");
}

TEST(Editor, ClipboardKeepsBytesAndFormatAndTalksUnicode) {
    TMsRichEdit e;
    const std::string viet = "Vie" + Hex("E4") + "t Nam";
    e.SetText(viet);
    e.SelectAllText();
    e.SetSelBold(true);
    e.CopySelection();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text(), QString::fromUtf8("Vi\xE1\xBB\x87t Nam"));
    e.SetSelStart(e.TextLength());
    e.PasteClipboard();
    EXPECT_EQ(e.Text(), viet + viet);
    const tavi::TRtfDocument doc = e.Document();
    ASSERT_EQ(doc.Paragraphs.at(0).Runs.size(), 1u);
    EXPECT_TRUE(doc.Paragraphs[0].Runs[0].Format.Bold);

    // Text from other programs arrives as Unicode, composed or not.
    QApplication::clipboard()->setText(QString::fromUtf8(
        "Tie\xCC\x82\xCC\x81ng \xE2\x80\x9Cx\xE2\x80\x9D \xE2\x80\x94 \xD0\x96\nb"));
    e.SetText("");
    e.PasteClipboard();
    EXPECT_EQ(e.Text(), "Tie" + Hex("E1") + "ng " + Hex("93") + "x" + Hex("94 20 97") + " ?\r\nb");

    // Cut takes the selection to the clipboard; clear only removes it.
    e.SetText("one two");
    e.SetSelStart(4);
    e.SetSelLength(3);
    e.CutSelection();
    EXPECT_EQ(e.Text(), "one ");
    EXPECT_EQ(QApplication::clipboard()->text(), "two");
    e.SetSelStart(0);
    e.SetSelLength(3);
    e.ClearSelection();
    EXPECT_EQ(e.Text(), " ");
    EXPECT_EQ(QApplication::clipboard()->text(), "two");

    // Without a code table the bytes are Windows-1252 characters.
    e.ClipboardTable.clear();
    e.SetText(viet);
    e.SelectAllText();
    e.CopySelection();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("Vie\xC3\xA4t Nam"));
}

TEST(Editor, DroppedFilesAreNotText) {
    struct TProbe : TMsRichEdit {
        using TMsRichEdit::canInsertFromMimeData;
    } e;
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/tmp/a.txt")});
    files.setText("/tmp/a.txt");
    QMimeData text;
    text.setText("x");
    EXPECT_FALSE(e.canInsertFromMimeData(&files));
    EXPECT_TRUE(e.canInsertFromMimeData(&text));
}

TEST(Editor, FindSelectsTheMatch) {
    TMsRichEdit e;
    e.SetText("An an\r\nAn and");
    const int len = e.TextLength();
    const struct {
        std::string what;
        int start, end, options, found;
    } cases[] = {
        {"an", 0, len, 2, 0},  // whole word, case ignored
        {"an", 1, len, 6, 3},  // whole word, case counts
        {"An", 1, len, 6, 7},  // after the paragraph break
        {"an", 4, len, 6, -1}, // "and" is not the word "an"
        {"an", 4, len, 4, 10}, // without whole word it is
        {"An", 0, 1, 0, -1},   // the match must end by end
        {"xyz", 0, len, 0, -1},
    };
    for (const auto& c : cases) {
        e.SetSelStart(1);
        EXPECT_EQ(e.Find(c.what, c.start, c.end, c.options), c.found) << c.what << c.start;
        if (c.found >= 0) {
            EXPECT_EQ(e.SelStart(), c.found);
            EXPECT_EQ(e.SelLength(), static_cast<int>(c.what.size()));
        } else {
            EXPECT_EQ(e.SelStart(), 1); // a failed search leaves the selection
            EXPECT_EQ(e.SelLength(), 0);
        }
    }
}

TEST(Editor, FormattingOfTheSelection) {
    TMsRichEdit e;
    int changes = 0;
    e.OnChange = [&] { ++changes; };
    e.SetText("one two");
    e.SetSelStart(4);
    e.SetSelLength(3);
    const struct {
        std::function<void()> set;
        std::function<bool()> check;
    } steps[] = {
        {[&] { e.SetSelBold(true); }, [&] { return e.SelBold(); }},
        {[&] { e.SetSelItalic(true); }, [&] { return e.SelItalic(); }},
        {[&] { e.SetSelUnderline(true); }, [&] { return e.SelUnderline(); }},
        {[&] { e.SetSelFontName("VBraille"); }, [&] { return e.SelFontName() == "VBraille"; }},
        {[&] { e.SetSelFontSize(20); }, [&] { return e.SelFontSize() == 20; }},
        {[&] { e.SetSelAlignment(tavi::AlignCenter); },
         [&] { return e.SelAlignment() == tavi::AlignCenter; }},
        {[&] { e.SetSelAlignment(tavi::AlignRight); },
         [&] { return e.SelAlignment() == tavi::AlignRight; }},
        {[&] { e.SetSelIndent(35); }, [&] { return e.SelIndent() == 35; }},
        {[&] { e.SetSelRightIndent(21); }, [&] { return e.SelRightIndent() == 21; }},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        changes = 0;
        steps[i].set();
        EXPECT_TRUE(steps[i].check()) << i;
        EXPECT_EQ(changes, 1) << i; // one change notice per command
    }
    const tavi::TRtfDocument doc = e.Document();
    ASSERT_EQ(doc.Paragraphs.size(), 1u);
    ASSERT_EQ(doc.Paragraphs[0].Runs.size(), 2u);
    EXPECT_EQ(doc.Paragraphs[0].Runs[0].Format.FontName, "Vni-Screen");
    EXPECT_EQ(doc.Paragraphs[0].Runs[0].Format.HalfPoints, 28);
    EXPECT_FALSE(doc.Paragraphs[0].Runs[0].Format.Bold);
    const tavi::TRtfCharFormat two = doc.Paragraphs[0].Runs[1].Format;
    EXPECT_EQ(two.FontName, "VBraille");
    EXPECT_EQ(two.HalfPoints, 40);
    EXPECT_TRUE(two.Bold && two.Italic && two.Underline);
    EXPECT_EQ(doc.Paragraphs[0].Format, (tavi::TRtfParaFormat{tavi::AlignRight, 525, 315, 0}));
    e.SetSelStart(1);
    EXPECT_FALSE(e.SelBold());

    // An empty document takes the format for what is typed next, and its empty line shows it.
    e.SetText("");
    e.SelectAllText();
    e.SetSelFontName("VBraille");
    EXPECT_EQ(e.Document().Paragraphs.at(0).MarkFormat.FontName, "VBraille");
    QTest::keyClick(&e, Qt::Key_A);
    EXPECT_EQ(e.Document().Paragraphs.at(0).Runs.at(0).Format.FontName, "VBraille");
}

TEST(Editor, UndoAndNotices) {
    TMsRichEdit e;
    int changes = 0, moves = 0;
    e.OnChange = [&] { ++changes; };
    e.OnSelChange = [&] { ++moves; };
    e.SetText("ab");
    EXPECT_FALSE(e.CanUndo()); // replacing the text is no step to undo
    moves = 0;
    e.SetSelStart(1);
    EXPECT_EQ(moves, 1);
    e.SetSelStart(1);
    EXPECT_EQ(moves, 1); // nothing moved
    changes = 0;
    QTest::keyClick(&e, Qt::Key_X);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e.CanUndo());
    e.Undo();
    EXPECT_EQ(e.Text(), "ab");
    QTest::keyClick(&e, Qt::Key_Y);
    e.EmptyUndoBuffer();
    EXPECT_FALSE(e.CanUndo());
    EXPECT_EQ(e.Text(), "ayb");
}

} // namespace

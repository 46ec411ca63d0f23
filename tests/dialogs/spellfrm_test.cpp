// The spelling window and its worker on real widgets: the selection in a real editor, the
// outcome in the owner's Tag, the gauge, and cancel while the worker runs.
#include "dialogs/spellfrm.h"
#include "platform/qbytechars.h"
#include "support/recordingtalker.h"

#include <QApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

using tavitest::RecordingTalker;

namespace {

// An owner with a real editor, as the main window will plug into the spelling window.
struct Owner {
    QTextEdit Editor;
    int Tag = 0;
    int Calls = 0;
    bool OffUiThread = false;

    explicit Owner(const std::string& text) { Editor.setPlainText(tavi::BytesToQString(text)); }

    void Fill(tavi::TSpellFrm& frm, int start) {
        const std::string text = *tavi::QStringToBytes(Editor.toPlainText());
        frm.Text = text;
        frm.StartPosition = start;
        frm.TextLength = static_cast<int>(text.size());
        frm.Editor.SelectBytes = [this](int from, int length) {
            Note();
            QTextCursor cursor = Editor.textCursor();
            cursor.setPosition(from);
            cursor.setPosition(from + length, QTextCursor::KeepAnchor);
            Editor.setTextCursor(cursor);
        };
        frm.Editor.SetTag = [this](int tag) {
            Note();
            Tag = tag;
        };
    }
    std::string Selected() const {
        return *tavi::QStringToBytes(Editor.textCursor().selectedText());
    }

private:
    void Note() {
        ++Calls;
        if (QThread::currentThread() != qApp->thread()) OffUiThread = true;
    }
};

// Shows the window modally; a check that never ends fails the test instead of hanging it.
int RunModal(tavi::TSpellFrm& frm) {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &frm, [&frm] {
        ADD_FAILURE() << "the check did not end";
        frm.done(tavi::mrNone);
    });
    guard.start(60000);
    return frm.exec();
}

std::string Repeat(const std::string& word, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += word;
    return out;
}

TEST(SpellFrm, SelectsTheSuspectWordAndSetsTheTag) {
    const struct {
        std::string text;
        int start;
        int tag;
        std::string selected;
        int gauge;
    } cases[] = {
        {"ba ca bit, da", 1, 1, "bit,", 53},
        {"ba bit ca", 5, 0, "", 88}, // from inside bit: "it" is a syllable
        {"ba ca f", 1, 1, "f", 100}, // the last one-byte word
        {"ba ca", 6, 0, "", 0},      // the caret at the end: nothing is checked
        {"", 1, 0, "", 0},
    };
    for (const auto& c : cases) {
        RecordingTalker talker;
        Owner owner(c.text);
        tavi::TSpellFrm frm(talker);
        owner.Fill(frm, c.start);
        EXPECT_EQ(RunModal(frm), tavi::mrOk) << c.text;
        EXPECT_EQ(owner.Tag, c.tag) << c.text;
        EXPECT_EQ(owner.Selected(), c.selected) << c.text;
        EXPECT_EQ(frm.Gauge1->value(), c.gauge) << c.text;
        EXPECT_FALSE(owner.OffUiThread);
        ASSERT_NE(frm.Worker(), nullptr);
        EXPECT_TRUE(frm.Worker()->isFinished());
        EXPECT_EQ(frm.Worker()->Found(), c.tag == 1) << c.text;
        EXPECT_TRUE(frm.Worker()->Error().empty());
        EXPECT_TRUE(talker.said.empty()); // the owner announces the outcome
    }
}

TEST(SpellFrm, WorkerKnowsTheWordFound) {
    RecordingTalker talker;
    Owner owner("ba ca zzz ba");
    tavi::TSpellFrm frm(talker);
    owner.Fill(frm, 1);
    EXPECT_EQ(RunModal(frm), tavi::mrOk);
    EXPECT_EQ(frm.Worker()->Position(), 7);
    EXPECT_EQ(frm.Worker()->End(), 10);
    EXPECT_EQ(owner.Selected(), "zzz");
    EXPECT_EQ(owner.Editor.textCursor().selectionStart(), 6);
}

TEST(SpellFrm, CancelButtonHasTheFocusAndEscapeCancels) {
    RecordingTalker talker;
    Owner owner("ba");
    tavi::TSpellFrm frm(talker);
    owner.Fill(frm, 1);
    frm.Text = Repeat("ba ", 2000000) + "bit"; // long enough to be running when cancelled
    frm.TextLength = static_cast<int>(frm.Text.size());
    QTimer::singleShot(0, &frm, [&] {
        EXPECT_EQ(frm.focusWidget(), frm.Btcancel);
        QTest::keyClick(&frm, Qt::Key_Escape);
    });
    EXPECT_EQ(RunModal(frm), tavi::mrCancel);
    EXPECT_TRUE(frm.Worker()->isFinished()); // it was waited for
    EXPECT_FALSE(frm.Worker()->Found());
    EXPECT_EQ(owner.Calls, 0);
}

// Cancel at many moments of a short check, where the worker waits for a gauge update on the
// user interface thread after almost every word: nothing of the worker may arrive after it,
// and the window must never wait for a worker that waits for it.
TEST(SpellFrm, CancelWhileTheWorkerWaitsForTheWindow) {
    const std::string text = Repeat("ba ", 300) + "bit";
    int cancelled = 0;
    for (int round = 0; round < 40; ++round) {
        RecordingTalker talker;
        Owner owner(text);
        auto* frm = new tavi::TSpellFrm(talker);
        owner.Fill(*frm, 1);
        QTimer::singleShot(round % 4, frm,
                           [frm] { QTest::mouseClick(frm->Btcancel, Qt::LeftButton); });
        const int result = RunModal(*frm);
        ASSERT_TRUE(frm->Worker()->isFinished());
        if (result == tavi::mrCancel) {
            ++cancelled;
            const int gauge = frm->Gauge1->value();
            delete frm; // its termination notice is still on its way
            QApplication::processEvents();
            EXPECT_EQ(owner.Calls, 0) << round;
            EXPECT_EQ(owner.Tag, 0) << round;
            EXPECT_LT(gauge, 100);
        } else {
            EXPECT_EQ(result, tavi::mrOk);
            EXPECT_EQ(owner.Tag, 1);
            EXPECT_EQ(owner.Selected(), "bit");
            delete frm;
        }
    }
    EXPECT_GT(cancelled, 0);
}

TEST(SpellFrm, MissingCodeTableEndsTheCheckWithItsError) {
    const char* saved = std::getenv("TAVI_DATA_DIR");
    const std::string keep = saved ? saved : "";
    setenv("TAVI_DATA_DIR", "/nonexistent-tavi-data", 1);
    RecordingTalker talker;
    Owner owner("ba bit");
    tavi::TSpellFrm frm(talker);
    owner.Fill(frm, 1);
    EXPECT_EQ(RunModal(frm), tavi::mrOk);
    if (saved)
        setenv("TAVI_DATA_DIR", keep.c_str(), 1);
    else
        unsetenv("TAVI_DATA_DIR");
    EXPECT_NE(frm.Worker()->Error().find("Cannot open file"), std::string::npos)
        << frm.Worker()->Error();
    EXPECT_FALSE(frm.Worker()->Found());
    EXPECT_EQ(owner.Calls, 0);
}

} // namespace

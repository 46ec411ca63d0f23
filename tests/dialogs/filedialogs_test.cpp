// The save and open dialogs and the file browser on real widgets, over real files: where a
// typed or chosen name goes, and what every part says.
#include "dialogs/confirmfrm.h"
#include "dialogs/filebrowser.h"
#include "dialogs/savefrm.h"
#include "support/keyscript.h"
#include "support/recordingtalker.h"
#include "support/testdata.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <set>

#include <gtest/gtest.h>

using tavitest::RecordingTalker;
using Texts = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

void Activate(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
}

// Answers the modal dialog of that kind that the owner opens, as soon as it is up.
template <class T> void AnswerWhenShown(QObject* owner, std::function<void(T&)> answer) {
    QTimer::singleShot(10, owner, [owner, answer] {
        T* dialog = owner->findChild<T*>();
        if (dialog && dialog->isVisible())
            answer(*dialog);
        else
            AnswerWhenShown(owner, answer);
    });
}

struct NameCase {
    bool open;
    const char* keys;
    int result;
    std::string path; // relative to the documents folder; "~" for the home folder
    Texts said;       // after the field's own name
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << (c.open ? "open " : "save ") << c.keys;
}

class NameDialog : public ::testing::TestWithParam<NameCase> {
protected:
    void SetUp() override { tavitest::WriteFile(docs / "bao-cao_2026.txt", "x"); }
    tavitest::TempDir docs;
    RecordingTalker talker;
};

TEST_P(NameDialog, TypedNamesAndWhatIsSaid) {
    const NameCase& c = GetParam();
    std::unique_ptr<tavi::TFileNameFrm> dialog;
    if (c.open)
        dialog = std::make_unique<tavi::TOpenFrm>(talker, docs.path());
    else
        dialog = std::make_unique<tavi::TSaveFrm>(talker, docs.path());
    Activate(*dialog);
    EXPECT_EQ(talker.Texts().at(0), c.open ? "zzzmesew " : "zzzmesam");
    talker.Clear();
    tavitest::PlayKeys(dialog.get(), c.keys);
    EXPECT_EQ(dialog->result(), c.result);
    std::string expected = c.path;
    if (expected.starts_with("~/"))
        expected = QDir::homePath().toStdString() + expected.substr(1);
    else if (!expected.empty())
        expected = (docs.path() / expected).string();
    EXPECT_EQ(dialog->FileName().string(), expected);
    EXPECT_EQ(talker.Texts(), c.said);
}

INSTANTIATE_TEST_SUITE_P(
    Files, NameDialog,
    ::testing::Values(
        // The save dialog echoes Enter; a refused character beeps only while sound is on.
        NameCase{false, "bai1{Enter}", tavi::mrOk, "bai1.TXT", {"b", "a", "i", "1", "\r"}},
        NameCase{false,
                 "bai-1.rtf{Enter}",
                 tavi::mrOk,
                 "bai-1.rtf",
                 {"b", "a", "i", "-", "1", ".", "r", "t", "f", "\r"}},
        // Any character a file name may hold can be typed.
        NameCase{true,
                 "a_(b)+c,&'{Enter}",
                 tavi::mrOk,
                 "a_(b)+c,&'",
                 {"a", "_", "(", "b", ")", "+", "c", ",", "&", "'"}},
        NameCase{false, "~/bai{Enter}", tavi::mrOk, "~/bai.TXT", {"~", "/", "b", "a", "i", "\r"}},
        NameCase{false, "{Enter}", tavi::mrOk, "", {"\r"}}, // an empty name stays empty
        NameCase{false,
                 "{F1}bai{Esc}",
                 tavi::mrCancel,
                 "bai.TXT",
                 {" zzzmesdx ", "b", "a", "i", "\x1B"}},
        // The open dialog adds no extension and does not echo Enter.
        NameCase{true, "bai1{Enter}", tavi::mrOk, "bai1", {"b", "a", "i", "1"}},
        // Down offers the names that start with what was typed.
        NameCase{true,
                 "ba{Down}{Enter}",
                 tavi::mrOk,
                 "bao-cao_2026.txt",
                 {"b", "a", "bao-cao_2026.txt"}},
        NameCase{true, "{F1}bai{Esc}", tavi::mrCancel, "", {" zzzmesdy ", "b", "a", "i"}}));

TEST(OpenFrm, TheConversionBoxSaysItsStateOnlyWhenClicked) {
    tavitest::TempDir docs;
    RecordingTalker talker;
    tavi::TOpenFrm dialog(talker, docs.path());
    dialog.CheckAutoCnv->setChecked(true); // set by the program: silent
    Activate(dialog);
    talker.Clear();
    dialog.CheckAutoCnv->click();
    dialog.CheckAutoCnv->click();
    ASSERT_EQ(talker.said.size(), 2u);
    EXPECT_EQ(talker.said[0].text, "kh\x93ng Chuy\x8En m\xE1"); // không Chuyển mã
    EXPECT_EQ(talker.said[0].table, "Vni for Dos");
    EXPECT_EQ(talker.said[1].text, "Chuy\x8En m\xE1");
    EXPECT_EQ(dialog.focusWidget(), dialog.EFName);
    // Alt and a letter acts only when no other control has the letter: otherwise it just moves
    // between them, and the box would not be ticked.
    std::set<QChar> keys;
    for (const QWidget* w : dialog.findChildren<QWidget*>()) {
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        const auto* label = qobject_cast<const QLabel*>(w);
        const QString text = button ? button->text() : label ? label->text() : QString();
        const qsizetype amp = text.indexOf('&');
        if (amp >= 0 && amp + 1 < text.size()) {
            EXPECT_TRUE(keys.insert(text[amp + 1].toLower()).second) << text.toStdString();
        }
    }
}

// A folder with a few documents, and the browser over it.
class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"b.TXT", "a.txt", "c.rtf", "d.bra"})
            tavitest::WriteFile(docs / name, "x");
        fs::create_directories(docs / "thu");
        fs::create_directories(docs / "trong");
    }
    std::unique_ptr<tavi::TFileBrowser> Open(bool forOpen = true) {
        auto browser = std::make_unique<tavi::TFileBrowser>(talker, docs.path(), forOpen);
        Activate(*browser);
        return browser;
    }
    tavitest::TempDir docs;
    RecordingTalker talker;
};

TEST_F(BrowserTest, TheFileListSpeaksAndAFileIsChosenWithEnter) {
    auto browser = Open();
    EXPECT_EQ(talker.Texts(), (Texts{"  zzzmesgqa ", "a.txt"}));
    talker.Clear();
    tavitest::PlayKeys(browser.get(), "{Down}{Down}{F8}{F1}{Enter}");
    EXPECT_EQ(talker.Texts(),
              (Texts{"b.TXT", "d.bra", " zzzmesfc " + (docs / "d.bra").string(), " zzzmesdza "}));
    EXPECT_EQ(browser->result(), tavi::mrOk);
    EXPECT_EQ(browser->ChosenPath(), docs / "d.bra");
}

TEST_F(BrowserTest, TypesFoldersAndAnEmptyList) {
    auto browser = Open();
    talker.Clear();
    // The formatted type, then a folder without such files: the list says it is empty and
    // hands the keyboard to the type list.
    browser->FilterComboBox1->setFocus();
    tavitest::PlayKeys(browser.get(), "{Down}");
    EXPECT_EQ(browser->FileListBox1->count(), 1); // c.rtf
    browser->DirectoryListBox1->setFocus();
    tavitest::PlayKeys(browser.get(), "{Down}{Enter}");
    EXPECT_EQ(browser->Folder(), docs / "thu");
    browser->FileListBox1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(talker.Texts(), (Texts{" zzzmesfb ", "zzzmesld", " zzzmesfa ", "thu", "thu",
                                     " zzzmesexa ", " zzzmesfb "}));
    EXPECT_EQ(QApplication::focusWidget(), browser->FilterComboBox1);
    tavitest::PlayKeys(browser.get(), "{Esc}");
    EXPECT_EQ(browser->result(), tavi::mrCancel);
}

TEST_F(BrowserTest, ASingleFileIsSaidAgainAndADeletedFileIsGone) {
    fs::remove(docs / "a.txt");
    fs::remove(docs / "d.bra");
    auto browser = Open();
    talker.Clear();
    tavitest::PlayKeys(browser.get(), "{Up}");
    EXPECT_EQ(talker.Texts(), (Texts{"b.TXT"}));
    talker.Clear();
    AnswerWhenShown<tavi::TConfirmFrm>(
        browser.get(), [](tavi::TConfirmFrm& confirm) { confirm.done(tavi::mrOk); });
    tavitest::PlayKeys(browser.get(), "{Del}");
    EXPECT_FALSE(fs::exists(docs / "b.TXT"));
    EXPECT_EQ(browser->FileListBox1->count(), 0);
    EXPECT_EQ(talker.Texts().back(), "\xF1"
                                     "a\xF5 xo\xF9"
                                     "a xong"); // đã xóa xong
}

TEST_F(BrowserTest, ChoosingInTheBrowserClosesTheDialogToo) {
    RecordingTalker talker;
    tavi::TSaveFrm dialog(talker, docs.path());
    Activate(dialog);
    AnswerWhenShown<tavi::TFileBrowser>(&dialog, [](tavi::TFileBrowser& browser) {
        browser.FileListBox1->setCurrentRow(2); // the standard type shows a, b and d
        browser.done(tavi::mrOk);
    });
    dialog.BrowseBt->click();
    EXPECT_EQ(dialog.result(), tavi::mrOk);
    EXPECT_EQ(dialog.FileName(), docs / "d.bra");
    tavi::TOpenFrm open(talker, docs.path());
    AnswerWhenShown<tavi::TFileBrowser>(
        &open, [](tavi::TFileBrowser& browser) { browser.done(tavi::mrCancel); });
    Activate(open);
    open.BrowseBt->click();
    EXPECT_EQ(open.result(), tavi::mrCancel);
}

} // namespace

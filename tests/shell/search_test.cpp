// The Edit menu on the offscreen main window by its keys: selection, find, find next, replace,
// the suspect word; the Pause key and the spoken shortcut help.
#include "codes/brailleconverter.h"
#include "document/msrichedit.h"
#include "shell/formrig.h"
#include "support/keyscript.h"

#include <QAction>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class Search : public ::testing::Test {
protected:
    void SetUp() override { form = rig.Start(); }
    void TearDown() override {
        form->SetModified(0);
        form->close();
    }
    // The document's bytes with "|" at the caret.
    void Load(std::string text) {
        const std::size_t caret = text.find('|');
        text.erase(caret, 1);
        form->Editor->SetText(text);
        form->Editor->SetSelStart(static_cast<int>(caret));
    }
    void Keys(const char* script) {
        rig.said.clear();
        tavitest::PlayKeys(form->Editor, script);
    }
    std::string Selected() const { return form->Editor->SelText(); }
    tavitest::TFormRig rig;
    std::unique_ptr<tavi::TMainForm> form;
};

TEST_F(Search, SelectingWordsSentencesParagraphsAndAll) {
    const struct {
        const char* text;
        const char* keys;
        std::string selected;
        Lines said;
    } cases[] = {
        {"xin ch|ao ban", "{Ctrl+W}", "chao", {"vi\t zzzmesfg "}},
        {"Mot c|au. Cau hai", "{Ctrl+L}", "Mot cau.", {"vi\t zzzmesfh "}}, // with its end mark
        {"Mot cau. Cau h|ai", "{Ctrl+L}", " Cau hai", {"vi\t zzzmesfh "}}, // the text ends
        {"Mot cau! Cau h|ai?", "{Ctrl+L}", " Cau hai?", {"vi\t zzzmesfh "}},
        {"dong 1\r\ndo|ng 2\r\ndong 3", "{Ctrl+D}", "dong 2", {"vi\t zzzmesfi "}},
        {"ab|c", "{Ctrl+A}", "abc", {"vi\t zzzmesfja "}},
        {"|", "{Ctrl+W}", "", {"vi\tzzzmesgp "}},
    };
    for (const auto& c : cases) {
        Load(c.text);
        Keys(c.keys);
        EXPECT_EQ(Selected(), c.selected) << c.text;
        EXPECT_EQ(rig.said, c.said) << c.text;
    }
}

TEST_F(Search, FindIgnoresLetterCaseAndFindNextDoesNot) {
    Keys("{Ctrl+I}"); // nothing looked for yet
    EXPECT_EQ(rig.said, Lines{"vi\tzzzmesa"});
    Load("|");
    rig.FindText("an");
    Keys("{Ctrl+F}");
    EXPECT_EQ(rig.said, (Lines{"vi\tzzzmesgo ", "vi\tzzzmesa"}));
    Load("|An and An an");
    rig.FindText("an");
    Keys("{Ctrl+F}"); // the match is read with the rest of its line
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesbr An and An an", "vi\tzzzmesa"}));
    EXPECT_EQ(form->Editor->SelStart(), 0);
    Keys("{Ctrl+I}");
    EXPECT_EQ(form->Editor->SelStart(), 10);
    EXPECT_EQ(rig.said, Lines{"vi\t zzzmesbr an"});
    Keys("{Ctrl+I}");
    EXPECT_EQ(rig.said, Lines{"vi\t zzzmesbsa "});
}

TEST_F(Search, ReplaceAsksEachTimeAndReplaceAllEndsAndUndoesInOneStep) {
    Load("|an em an em an");
    rig.ReplaceText("an", "anh", tavi::mrOk);
    rig.Answer(tavi::mrOk); // replace this one? yes
    Keys("{Ctrl+H}");
    EXPECT_EQ(form->Editor->Text(), "anh em an em an");
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesbr an em an em an", "vi\tzzzmesen ", "vi\tzzzmesa"}));
    rig.Answer(tavi::mrCancel); // find next after a replace asks again: no
    rig.Answer(tavi::mrOk);     // and the next: yes
    Keys("{Ctrl+I}{Ctrl+I}");
    EXPECT_EQ(form->Editor->Text(), "anh em an em anh");

    // A replacement holding the searched word: every match once, then the end.
    Load("|an em an, an");
    rig.ReplaceText("an", "an an", tavi::mrAll);
    Keys("{Ctrl+H}");
    EXPECT_EQ(form->Editor->Text(), "an an em an an, an an");
    EXPECT_EQ(rig.said, (Lines{"vi\tzzzmesen ", "vi\tzzzmesa"}));
    Keys("{Ctrl+Z}");
    EXPECT_EQ(form->Editor->Text(), "an em an, an");
    rig.ReplaceText("xyz", "a", tavi::mrAll);
    Keys("{Ctrl+H}");
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmesbsa ", "vi\tzzzmesa"})); // nothing is not done
}

// Each Ctrl+J goes on from the word it found last, and says the word; then the end is said.
TEST_F(Search, TheSuspectWordsAreFoundInTurnAlsoInBraille) {
    const Lines found = {"vi\t zzzmesbr Hoom", "vi\tzzzmesa", "vi\t zzzmesbr ddi", "vi\tzzzmesa"};
    Lines toTheEnd = found;
    toTheEnd.insert(toTheEnd.end(), {"vi\t zzzmesbsa ", "vi\tzzzmesa"});
    for (const auto& [braille, said] : {std::pair{false, toTheEnd}, {true, found}}) {
        Load("|Hoom nay to\xE2i ddi ho\xEF"
             "c.");
        if (braille) form->Action("MGTGrade1")->trigger();
        rig.said.clear();
        for (std::size_t press = 0; press < said.size() / 2; ++press) {
            ASSERT_TRUE(QTest::qWaitForWindowActive(form.get())); // back from the last dialog
            rig.Run(); // the check runs for real, on its worker
            tavitest::PlayKeys(form->Editor, "{Ctrl+J}");
        }
        EXPECT_EQ(rig.said, said) << braille;
        tavi::TCodeConverter cells;
        EXPECT_EQ(braille ? tavi::VniFromBraille(cells, Selected()) : Selected(), "ddi") << braille;
        if (braille) form->Action("MGTVNI2")->trigger();
    }
}

TEST_F(Search, ThePauseKeyPausesAndResumesEitherVoice) {
    using enum tavi::TReaderState;
    const struct {
        tavi::TReaderState reader;
        bool english, enginePaused;
        tavi::TReaderState readerAfter;
        bool enginePausedAfter;
    } cases[] = {{Playing, false, false, Paused, false}, {Paused, false, false, Playing, false},
                 {Idle, false, false, Idle, false},      {Playing, true, false, Paused, false},
                 {Paused, true, false, Playing, false},  {Idle, true, false, Idle, true},
                 {Idle, true, true, Idle, false}};
    for (const auto& c : cases) {
        form->Action(c.english ? "MEnglish" : "MVietNam")->trigger();
        rig.voices->state = c.reader;
        rig.voices->enginePaused = c.enginePaused;
        Keys("{Pause}");
        EXPECT_EQ(rig.voices->state, c.readerAfter) << int(c.reader) << c.english;
        EXPECT_EQ(rig.voices->enginePaused, c.enginePausedAfter) << int(c.reader) << c.english;
        EXPECT_TRUE(rig.said.empty());
    }
    // Also while a dialog has the keyboard.
    std::optional<tavi::TReaderState> inDialog;
    rig.answers.push_back([this, &inDialog](QDialog& d) {
        d.show();
        QApplication::setActiveWindow(&d);
        rig.voices->state = tavi::TReaderState::Playing;
        tavitest::PlayKeys(&d, "{Pause}");
        inDialog = rig.voices->state;
        return int(tavi::mrCancel);
    });
    Keys("{Ctrl+F}");
    EXPECT_EQ(inDialog, tavi::TReaderState::Paused);
}

TEST_F(Search, ShortcutHelpSaysItsKeys) {
    const struct {
        const char* keys;
        const char* said;
    } cases[] = {{"{Ctrl+1}", "vi\tzzzmesde zzzmesdf zzzmesks zzzmesdg zzzmesdh zzzmeslf zzzmesku "
                              "zzzmesjo zzzmesjp zzzmesdi zzzmeskv"},
                 {"{Ctrl+2}", "vi\tzzzmesde"},
                 {"{Ctrl+4}", "vi\tzzzmesks zzzmesdg"},
                 {"{Ctrl+6}", "vi\tzzzmesku zzzmesjo zzzmesjp"},
                 {"{Ctrl+8}", "vi\tzzzmeskv"}};
    for (const auto& c : cases) {
        Keys(c.keys);
        EXPECT_EQ(rig.said, Lines{c.said}) << c.keys;
    }
}

} // namespace

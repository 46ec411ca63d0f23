// The find and replace dialogs on real widgets with the real keyboards: what the fields say as
// letters are composed, passed and deleted, and how the dialogs end.
#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "dialogs/findfrm.h"
#include "platform/paths.h"
#include "support/keyscript.h"
#include "support/recordingtalker.h"

#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using Texts = std::vector<std::string>;

namespace {

struct FieldCase {
    const char* name;
    const char* before; // the field's bytes, "|" at the caret
    const char* keys;
    Texts said;
    const char* after; // the field's bytes afterwards
    bool braille = false;
    bool english = false;
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

const FieldCase Cases[] = {
    {"a then 6 says the letter as the key goes down", "|", "a6", {"a", "a\xE2"}, "a\xE2"},
    {"o then 7 says the letter once it is in the field", "|", "o7", {"o", "\xF4"}, "\xF4"},
    {"a tone key after a vowel names its tone",
     "|",
     "a1",
     {"a", "da\xE1u sa\xE9"
           "c"},
     "a\xF9"},
    {"a tone key after a consonant is a digit", "|", "b1", {"b", "1"}, "b1"},
    {"Backspace takes a two-byte letter whole",
     "Vie\xE4|t",
     "{Backspace}",
     {"zzzmeslg e\xE4"},
     "Vit"},
    {"Delete takes a two-byte letter whole", "Vi|e\xE4t", "{Del}", {"zzzmeslg e\xE4"}, "Vit"},
    {"Delete before a blank names it", "a| b", "{Del}", {"zzzmeslg zzzmesev"}, "ab"},
    {"Delete of a selection says the selection", "ab|", "{Shift+Home}{Del}", {"zzzmeslg  ab"}, ""},
    {"Right passes a two-byte letter whole",
     "Vi|e\xE4t",
     "{Right}{Right}",
     {"e\xE4", "t"},
     "Vie\xE4t"},
    {"Left passes a two-byte letter whole",
     "Vie\xE4t|",
     "{Left}{Left}",
     {"t", "e\xE4"},
     "Vie\xE4t"},
    {"Left at the start beeps, twice in an empty field", "|", "{Left}", {"<beep>", "<beep>"}, ""},
    {"F1 and F8", "ab|", "{F1}{F8}", {"zzzmesbo ", "ab"}, "ab"},
    {"the English voice and its delete word",
     "a| b",
     "{Del}x",
     {"delete space", "x"},
     "axb",
     false,
     true},
    {"Braille cells typed with the six keys",
     "|",
     "[fd][f]{Backspace}",
     {"b", "a", "zzzmeslg a"},
     "b",
     true},
};

class FindField : public ::testing::TestWithParam<FieldCase> {
protected:
    FindField() : accent(nullptr, vnEngine), sixKeys(nullptr, brailEngine) {
        accent.SetCodeTable(tavi::TKeyboard::VniAnsi);
        sixKeys.LoadCharacters(tavi::ProgramFolder() / tavi::SixKeyTableName);
    }
    tavi::TVnKey vnEngine;
    tavi::TBrailKey brailEngine;
    tavi::TKeyboard accent;
    tavi::TSixKeyKbd sixKeys;
    tavitest::RecordingTalker talker;
};

TEST_P(FindField, SaysWhatIsComposedPassedAndDeleted) {
    const FieldCase& c = GetParam();
    accent.SetEnabled(!c.braille);
    sixKeys.SetEnabled(c.braille);
    tavi::TFindFrm dialog(talker, {c.braille, c.english});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    std::string before = c.before;
    const std::size_t caret = before.find('|');
    before.erase(caret, 1);
    tavi::TTalkingDialog::SetFieldBytes(dialog.FindText, before);
    dialog.FindText->setCursorPosition(static_cast<int>(caret));
    talker.Clear();
    tavitest::PlayKeys(&dialog, c.keys);
    Texts said = talker.Texts();
    said.insert(said.end(), static_cast<std::size_t>(talker.beeps), "<beep>");
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(dialog.Text(), c.after);
    for (const auto& s : talker.said) {
        EXPECT_EQ(s.english, c.english) << s.text;
        if (c.braille && s.text.size() == 1) {
            EXPECT_EQ(s.table, "Braille"); // cells are read as cells
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, FindField, ::testing::ValuesIn(Cases));

TEST(FindFrm, EnterFindsEscapeCancelsAndOkWaitsForText) {
    tavitest::RecordingTalker talker;
    for (const auto& [keys, result] :
         {std::pair{"ab{Enter}", tavi::mrOk}, {"ab{Esc}", tavi::mrCancel}}) {
        tavi::TFindFrm dialog(talker, {});
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QApplication::processEvents();
        EXPECT_FALSE(dialog.BtOK->isEnabled());
        tavitest::PlayKeys(&dialog, keys);
        EXPECT_EQ(dialog.result(), result) << keys;
        EXPECT_EQ(dialog.Text(), "ab");
    }
}

TEST(ReplaceFrm, EnterGoesOnToTheReplacementAndButtonsWaitForBoth) {
    tavitest::RecordingTalker talker;
    tavi::TReplaceFrm dialog(talker, {false, true});
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QApplication::processEvents();
    EXPECT_EQ(talker.Texts().at(0), " zzzmesaqa ");
    tavitest::PlayKeys(&dialog, "an{Enter}");
    EXPECT_EQ(QApplication::focusWidget(), dialog.ByText);
    EXPECT_FALSE(dialog.BtAll->isEnabled());
    talker.Clear();
    tavitest::PlayKeys(&dialog, "em{F8}{F1}");
    EXPECT_TRUE(dialog.BtOK->isEnabled() && dialog.BtAll->isEnabled());
    ASSERT_EQ(talker.said.size(), 4u);
    EXPECT_EQ(talker.said[2].text, "em");
    EXPECT_FALSE(talker.said[2].english); // F8 here speaks with the Vietnamese voice
    EXPECT_EQ(talker.said[3].text, " zzzmesbv ");
    // Replace all says its whole caption.
    talker.Clear();
    dialog.BtAll->setFocus();
    EXPECT_EQ(talker.Texts(), Texts{"thay ta\xE1t ca\xFB"});
    EXPECT_EQ(dialog.BtAll->text(), QString::fromUtf8("Thay &tất cả"));
    dialog.ByText->setFocus();
    tavitest::PlayKeys(&dialog, "{Enter}");
    EXPECT_EQ(dialog.result(), tavi::mrOk);
    EXPECT_EQ(dialog.Find(), "an");
    EXPECT_EQ(dialog.ReplaceBy(), "em");
}

} // namespace

// Speaking while editing: real key events on the offscreen main window, and what reached the
// voices as the speech log writes it (UTF-8, without the time).
#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "document/doctext.h"
#include "document/msrichedit.h"
#include "shell/formrig.h"
#include "shell/menudefs.h"
#include "support/keyscript.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using Lines = std::vector<std::string>;

struct EchoCase {
    const char* name;
    const char* before; // the document with "|" at the caret: UTF-8, or Braille bytes
    // A key script (support/keyscript.h); <Item> chooses a menu item, ~ lets the voice reading
    // on go on to its next word.
    const char* keys;
    Lines said;        // "vi\t…", "en\t…" or "beep\tBeep.wav"
    const char* after; // the document afterwards, or nullptr
    // braille, english, nocontrols, none, word, sentence, paragraph; quiet: changes not said
    const char* settings = "";
    double rate = 1.0;        // the speed of the voice of the row's language afterwards
    bool englishWords = true; // English words read by the English voice afterwards
};

void PrintTo(const EchoCase& c, std::ostream* os) {
    *os << c.name;
}

bool Has(const EchoCase& c, const std::string& word) {
    std::istringstream words(c.settings);
    for (std::string w; words >> w;)
        if (w == word) return true;
    return false;
}

const EchoCase Cases[] = {
    // Accent keys and tone keys in VNI display with character echo.
    {"a then 6 says the new letter as the key goes down", "|", "a6", {"vi\ta", "vi\tâ"}, "â|"},
    {"o then 7 says the new letter once it stands in the text",
     "|",
     "o7",
     {"vi\to", "vi\tơ"},
     "ơ|"},
    {"d then 9 says đ", "|", "d9", {"vi\td", "vi\tđ"}, "đ|"},
    {"a tone key after a vowel names its tone", "|", "a1", {"vi\ta", "vi\tdấu sắc"}, "á|"},
    {"a tone key after a consonant is a digit", "|", "b1", {"vi\tb", "vi\t1"}, "b1|"},
    {"marks and tones on a marked letter", "|", "a81", {"vi\ta", "vi\tă", "vi\tdấu sắc"}, "ắ|"},
    {"a horn on ô says the letter it becomes", "|", "o67", {"vi\to", "vi\tô", "vi\tơ"}, "ơ|"},
    {"a capital letter is said with hoa", "|", "A", {"vi\tA hoa"}, "A|"},
    {"a space says the word it ends", "|", "nam ", {"vi\tn", "vi\ta", "vi\tm", "vi\tnam"}, "nam |"},
    {"a second space says the space's name", "nam |", " ", {"vi\tzzzmesev"}, "nam  |"},
    {"a space at the start of a line says the space's name",
     "ab\r\n|",
     " ",
     {"vi\tzzzmesev"},
     nullptr},
    {"control characters typed with Ctrl say nothing", "ab|", "{Ctrl+B}{Ctrl+K}", {}, "ab|"},
    // Deleting.
    {"Backspace takes a two-byte letter whole", "Việ|t", "{Backspace}", {"vi\tzzzmeslg ệ"}, "Vi|t"},
    {"Delete takes a two-byte letter whole", "Vi|ệt", "{Del}", {"vi\tzzzmeslg ệ"}, "Vi|t"},
    {"a deleted space is named", "a| b", "{Del}", {"vi\tzzzmeslg zzzmesev"}, "a|b"},
    {"Delete at the end beeps", "ab|", "{Del}", {"beep\tBeep.wav"}, "ab|"},
    {"Delete of a selection says only that it deletes",
     "ab|",
     "{Shift+Left}{Del}",
     {"vi\tzzzmeslg "},
     "a|",
     "quiet"},
    {"Ctrl+Delete says the word it deletes", "|ab cd", "{Ctrl+Del}", {"vi\tzzzmeslg ab "}, "|cd"},
    {"Ctrl+Backspace says the selection it deletes",
     "ab cd|",
     "{Shift+Left}{Ctrl+Backspace}",
     {"vi\td", "vi\tzzzmeslg d, 1 zzzmeswd"},
     nullptr},
    {"Ctrl+Backspace says the word it deletes",
     "xin chào|",
     "{Ctrl+Backspace}",
     {"vi\tzzzmeslg chào"},
     "xin |"},
    {"Ctrl+Backspace at the start beeps", "|ab", "{Ctrl+Backspace}", {"beep\tBeep.wav"}, "|ab"},
    {"Shift+Delete beeps", "a|b", "{Shift+Del}", {"beep\tBeep.wav"}, nullptr},
    {"Backspace at the start beeps", "|ab", "{Backspace}", {"beep\tBeep.wav"}, "|ab"},
    // Moving.
    {"Left at the start beeps", "|ab", "{Left}", {"beep\tBeep.wav"}, "|ab"},
    {"Left in an empty text beeps once", "|", "{Left}", {"beep\tBeep.wav"}, "|"},
    {"a held key at the edge does not beep at every repeat",
     "|ab",
     "{Left*4}",
     {"beep\tBeep.wav"},
     "|ab"},
    {"Left passes a two-byte letter whole", "Việ|t", "{Left}", {"vi\tệ"}, "Vi|ệt"},
    {"Right passes a two-byte letter whole", "Vi|ệt", "{Right}", {"vi\tệ"}, "Việ|t"},
    {"Right at the end beeps", "ab|", "{Right}", {"beep\tBeep.wav"}, "ab|"},
    {"Ctrl+Right says the word it leaves", "|xin chào", "{Ctrl+Right}", {"vi\txin"}, nullptr},
    {"Ctrl+Left says the word it reaches", "xin chào|", "{Ctrl+Left}", {"vi\tchào"}, "xin |chào"},
    {"Up on the first line beeps", "ab|c\r\nde", "{Up}", {"beep\tBeep.wav"}, nullptr},
    {"Down says the next line", "ab|c\r\nde", "{Down}", {"vi\tde"}, nullptr},
    {"Down onto an empty line", "ab|c\r\n\r\nde", "{Down}", {"vi\tzzzmeseu"}, nullptr},
    {"Left onto an empty line names the line break",
     "ab\r\n\r\n|cd",
     "{Left}",
     {"vi\tzzzmesgm "},
     "ab\r\n|\r\ncd"},
    {"a line break read as it is without control characters",
     "ab|\r\ncd",
     "{Right}",
     {"vi\t\\r"},
     nullptr,
     "nocontrols"},
    {"End, Home, Ctrl+End and Ctrl+Home",
     "a|b",
     "{End}{Home}{Ctrl+End}{Ctrl+Home}",
     {"vi\t zzzmesfsa ", "vi\t zzzmesfr ", "vi\t zzzmesfqa ", "vi\t zzzmesfp "},
     "|ab"},
    {"Home in an empty text beeps", "|", "{Home}", {"beep\tBeep.wav"}, nullptr},
    {"Alt+F1 says line and column", "abc\r\nde|f", "{Alt+F1}", {"vi\tdòng 2 cột 3"}, nullptr},
    {"Alt+F1 counts the column in letters",
     "một hai ba bốn năm|",
     "{Alt+F1}",
     {"vi\tdòng 1 cột 19"},
     nullptr},
    {"Ctrl+F1 says the lock keys", "|", "{Ctrl+F1}", {"vi\tNUMLOCK tắt CAPSLOCK tắt "}, nullptr},
    // Ctrl and Ctrl+Alt.
    {"Ctrl+Alt+A types its character and says it", "|", "{Ctrl+Alt+A}", {"vi\t¤"}, "¤|"},
    {"Ctrl+Alt+8 types nothing", "|", "{Ctrl+Alt+8}", {}, "|"},
    {"Ctrl with function and keypad keys announces nothing",
     "ab|",
     "{Shift+Home}{Ctrl+F7}{Ctrl+F11}{Ctrl+Pad+9}{Ctrl+Pad+0}",
     {},
     nullptr,
     "quiet"},
    {"Ctrl+C says copy once when something is selected",
     "ab|",
     "{Shift+Home}{Ctrl+C}",
     {"vi\t zzzmesfl "},
     nullptr,
     "quiet"},
    {"Ctrl+C with nothing selected says nothing", "ab|", "{Ctrl+C}", {}, nullptr},
    // Echo modes, reading the selection, speech off, the English voice.
    {"word echo at a space", "|", "xin ", {"vi\txin"}, nullptr, "word"},
    {"word echo at a full stop", "|", "xin.", {"vi\txin"}, nullptr, "word"},
    {"word echo at a full stop after a letter with a tone",
     "|",
     "ca1o.",
     {"vi\tcáo"},
     "cáo.|",
     "word"},
    {"word echo at a space after a comma", "|", "Nam, ", {"vi\tNam,"}, "Nam, |", "word"},
    {"sentence echo at the full stop",
     "|",
     "Xin cha2o.",
     {"vi\tXin chào"},
     "Xin chào.|",
     "sentence"},
    {"a digit 4 ends no sentence", "|", "b4", {}, "b4|", "sentence"},
    {"paragraph echo at Enter", "|", "xin cha2o{Enter}", {"vi\txin chào"}, nullptr, "paragraph"},
    {"with no echo a deletion is still said",
     "ab|",
     "c{Backspace}",
     {"vi\tzzzmeslg c"},
     "ab|",
     "none"},
    {"the echo modes are chosen by their keys and say so",
     "|",
     "{F9}a{Ctrl+F9}{Alt+F9}{Ctrl+Alt+F9}{Shift+F9}b",
     {"vi\t zzzmesca ", "vi\t zzzmesce ", "vi\t zzzmescg ", "vi\t zzzmesci ", "vi\t zzzmescc ",
      "vi\tb"},
     "ab|"},
    {"Shift+F7 speeds the voice up and says the new step at the new speed",
     "|",
     "{Shift+F7}{Shift+F7}",
     {"vi\t zzzmesrt 4", "vi\t zzzmesrt 5"},
     "|",
     "",
     1.5},
    {"Shift+F6 slows it down to the slowest step and then beeps",
     "|",
     "{Shift+F6}{Shift+F6}{Shift+F6}",
     {"vi\t zzzmesrt 2", "vi\t zzzmesrt 1", "beep\tBeep.wav"},
     "|",
     "",
     0.5},
    {"the rate keys move the English voice when it speaks",
     "|",
     "{Shift+F7}",
     {"en\tspeed 4"},
     "|",
     "english",
     1.25},
    {"English words can be spelt again",
     "|",
     "<MREnglishWords>",
     {"vi\tzzzmesrv"},
     "|",
     "",
     1.0,
     false},
    {"Alt+F8 reads on from the start of the word the caret is in",
     "xin ch|ào bạn. Tôi là Tavi.",
     "{Alt+F8}",
     {"vi\tchào bạn."},
     "xin |chào bạn. Tôi là Tavi."},
    {"a key stops reading on at the word being heard and does nothing else",
     "|Xin chào. Tôi là Tavi.",
     "{Alt+F8}~~~x",
     {"vi\tXin chào.", "vi\tTôi là Tavi."},
     "Xin chào. Tôi |là Tavi."},
    {"a click stops reading on and puts the caret where it was clicked",
     "|Xin chào. Tôi là Tavi.",
     "{Alt+F8}~~~{Click}x",
     {"vi\tXin chào.", "vi\tTôi là Tavi.", "vi\tx"},
     "x|Xin chào. Tôi là Tavi."},
    {"reading on again goes on from there",
     "|Xin chào. Tôi",
     "{Alt+F8}~{Esc}{Alt+F8}",
     {"vi\tXin chào.", "vi\tchào."},
     "Xin |chào. Tôi"},
    {"Alt+F8 again stops reading on",
     "|Xin chào.",
     "{Alt+F8}~{Alt+F8}",
     {"vi\tXin chào."},
     "Xin |chào."},
    {"once the voice has read to the end keys act again",
     "|Xin chào.",
     "{Alt+F8}~~x",
     {"vi\tXin chào.", "vi\tx"},
     "x|Xin chào."},
    {"Alt+F8 at the end of the document says so", "abc|", "{Alt+F8}", {"vi\t zzzmesfqa "}, "abc|"},
    {"the English voice reads on in English",
     "|Hello there. Bye.",
     "{Alt+F8}",
     {"en\tHello there."},
     "|Hello there. Bye.",
     "english"},
    {"F8 with nothing selected", "ab|", "{F8}", {"vi\tzzzmesgn "}, nullptr},
    {"F8 reads the selection", "xin chào|", "{Shift+Home}{F8}", {"vi\txin chào"}, nullptr, "quiet"},
    {"with speech off only the farewell and the beeps are heard",
     "ab|",
     "{F5}c{Left}{Left}{Left}{Left}",
     {"vi\tzzzmesaf", "beep\tBeep.wav"},
     "|abc"},
    {"the English voice echoes and names a deleted space",
     "a| b",
     "c{Del}",
     {"en\tc", "en\tdelete space"},
     "ac|b",
     "english"},
    // Braille display: the six keys type cells, which are read as words.
    {"a chord types its cell and says it", "|", "[fd]", {"vi\tb"}, "b|", "braille"},
    {"a tone cell is said by its name", "|", "[dl]", {"vi\tdấu hỏi"}, "\xDA|", "braille"},
    {"word echo reads Braille as words", "|", "[fd][f] ", {"vi\tba"}, "ba |", "braille word"},
    {"sentence echo ends at the full-stop cell",
     "|",
     "[fd][f][dkl]",
     {"vi\tba"},
     "ba.|",
     "braille sentence"},
    {"Right says the cell it passes", "|ba", "{Right}", {"vi\tb"}, "b|a", "braille"},
    {"Backspace takes one cell", "ba|", "{Backspace}", {"vi\tzzzmeslg a"}, "b|", "braille"},
    {"Braille is read on as the text of its cells",
     "|ba.",
     "{Alt+F8}",
     {"vi\tba."},
     "|ba.",
     "braille"},
    // Changes said: the selection, the clipboard, undo, typing over a selection.
    {"Shift with the arrows says what the selection gains and loses, letters whole",
     "|việt nam",
     "{Shift+Right*2}{Shift+Left}{Shift+Right*6}",
     {"vi\tv", "vi\ti", "vi\tệ", "vi\tzzzmeswc ệ", "vi\tệ", "vi\tt", "vi\tzzzmesev", "vi\tn",
      "vi\ta", "vi\tm", "beep\tBeep.wav"},
     nullptr},
    {"Shift+Home past the anchor gains one side and loses the other",
     "ab|c",
     "{Shift+Right}{Shift+Home}",
     {"vi\tc", "vi\tab, zzzmeswc c"},
     nullptr},
    {"copy, cut and paste say the start of their text",
     "một hai ba bốn năm sáu bảy|",
     "{Shift+Home}{Ctrl+C}{Ctrl+X}{Ctrl+V}",
     {"vi\tmột hai ba bốn năm sáu bảy", "vi\t zzzmesfl một hai ba bốn năm, 26 zzzmeswd",
      "vi\t zzzmesfk một hai ba bốn năm, 26 zzzmeswd",
      "vi\t zzzmesfm một hai ba bốn năm, 26 zzzmeswd"},
     "một hai ba bốn năm sáu bảy|"},
    {"undo says the start of what it took back: the letters since the tone key",
     "ab |",
     "xin cha2o{Ctrl+Z}",
     {"vi\tx", "vi\ti", "vi\tn", "vi\txin", "vi\tc", "vi\th", "vi\ta", "vi\tdấu huyền", "vi\to",
      "vi\t zzzmesfn ào, 2 zzzmeswd"},
     "ab xin cha|"},
    {"a letter typed over a selection says first what it replaces",
     "xin chào|",
     "{Shift+Ctrl+Left}b",
     {"vi\tchào", "vi\tzzzmeslg chào, 4 zzzmeswd, b"},
     "xin b|"},
    {"the English voice says them in English",
     "ab|c",
     "{Shift+Home}{Shift+Right}{Del}",
     {"en\tab", "en\tunselected a", "en\tdelete b, 1 letter"},
     "a|c",
     "english"},
    {"the option can be turned off", "|", "<MRSayChanges>", {"vi\tzzzmeswb"}, "|"},
};

class EditEcho : public ::testing::TestWithParam<EchoCase> {
protected:
    void SetUp() override {
        form = rig.Start();
        ASSERT_TRUE(form->isVisible());
        form->Editor->setFocus();
    }
    void TearDown() override {
        form->SetModified(0);
        form->close();
    }

    void Apply(const EchoCase& c) {
        const char* modes[] = {"none", "", "word", "sentence", "paragraph"};
        for (std::size_t m = 0; m < tavi::EchoModeItems.size(); ++m)
            if (m > 0 ? Has(c, modes[m]) : Has(c, "none"))
                form->Action(tavi::EchoModeItems[m])->trigger();
        if (Has(c, "english")) form->Action("MEnglish")->trigger();
        if (Has(c, "nocontrols")) form->Action("MRCharCtrl")->trigger(); // on at first
        if (Has(c, "braille")) form->Action("MGTGrade1")->trigger();     // F11, the document empty
        if (Has(c, "quiet")) form->Action("MRSayChanges")->trigger();    // on at first
    }
    // The document in the editor's bytes, with the caret where "|" is.
    void Load(const EchoCase& c) {
        std::string text = c.before;
        const std::size_t caret = text.find('|');
        text.erase(caret, 1);
        const std::string bytes = Bytes(c, text);
        form->Editor->SetText(bytes);
        form->Editor->SetSelStart(static_cast<int>(Bytes(c, text.substr(0, caret)).size()));
    }
    void Play(std::string_view script) {
        for (std::size_t at; (at = script.find_first_of("<~")) != std::string_view::npos;) {
            tavitest::PlayKeys(form->Editor, script.substr(0, at));
            const std::size_t close = script[at] == '<' ? script.find('>', at) : at;
            if (close == at)
                rig.voices->HearNextWord();
            else
                form->Action(std::string(script.substr(at + 1, close - at - 1)))->trigger();
            script.remove_prefix(close + 1);
        }
        tavitest::PlayKeys(form->Editor, script);
    }
    std::string Bytes(const EchoCase& c, const std::string& text) const {
        return Has(c, "braille") ? text : tavi::UnicodeToTable(text, "Vni for Win");
    }
    std::string Document(const EchoCase& c) const {
        const std::string text = form->Editor->Text();
        const auto caret = static_cast<std::size_t>(form->Editor->SelStart());
        if (Has(c, "braille")) return text.substr(0, caret) + "|" + text.substr(caret);
        return tavi::TableToUnicode(text.substr(0, caret), "Vni for Win") + "|" +
               tavi::TableToUnicode(text.substr(caret), "Vni for Win");
    }

    tavitest::TFormRig rig;
    Lines& said = rig.said;
    std::unique_ptr<tavi::TMainForm> form;
};

TEST_P(EditEcho, SaysWhatTheKeysDo) {
    const EchoCase& c = GetParam();
    Apply(c);
    Load(c);
    said.clear();
    Play(c.keys);
    EXPECT_EQ(said, c.said);
    EXPECT_EQ(Has(c, "english") ? rig.voices->engineRate : rig.voices->readerRate, c.rate);
    EXPECT_EQ(rig.voices->englishWords, c.englishWords);
    if (c.after) {
        EXPECT_EQ(Document(c), c.after);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, EditEcho, ::testing::ValuesIn(Cases));

// Coming back to the editor from another control says so; coming back from a menu, a dialog or
// another program does not.
TEST_F(EditEcho, EnteringTheEditorSaysSo) {
    said.clear();
    form->Editor->clearFocus();
    form->Editor->setFocus(Qt::TabFocusReason);
    form->Editor->clearFocus();
    form->Editor->setFocus(Qt::PopupFocusReason);
    EXPECT_EQ(said, Lines{"vi\tzzzmesa"});
}

} // namespace

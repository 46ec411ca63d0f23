// The layout commands on the offscreen main window, by their keys: the document shown in
// Braille and back, zoom, alignment, styles, symbol mode and volume.
#include "codes/brailleconverter.h"
#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "document/msrichedit.h"
#include "shell/formrig.h"
#include "support/keyscript.h"

#include <QAction>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class Layout : public ::testing::Test {
protected:
    void SetUp() override { form = rig.Start(); }
    void TearDown() override {
        form->SetModified(0);
        form->close();
    }
    void Keys(const char* script) {
        rig.said.clear();
        tavitest::PlayKeys(form->Editor, script);
    }
    tavitest::TFormRig rig;
    std::unique_ptr<tavi::TMainForm> form;
};

TEST_F(Layout, BrailleAndBackWithoutEditingGivesTheTextBackExactly) {
    // A byte that is the capital sign in Braille: the two conversions alone would lose it.
    const std::string text = "Vie\xE4t Nam 2024 \xDE.";
    tavi::TCodeConverter braille;
    ASSERT_NE(tavi::VniFromBraille(braille, tavi::BrailleFromVni(braille, text)), text);
    form->Editor->SetText(text);
    form->SetModified(0);
    Keys("{F11}");
    EXPECT_EQ(form->Editor->Text(), tavi::BrailleFromVni(braille, text));
    EXPECT_EQ(rig.said, Lines{"vi\t zzzmescw "});
    EXPECT_TRUE(form->Checked("MGTGrade1"));
    EXPECT_TRUE(form->SixKeyKbd1->Enabled());
    EXPECT_FALSE(form->Keyboard1->Enabled());
    EXPECT_TRUE(form->Action("MTuongHinh")->isEnabled());
    EXPECT_EQ(form->Editor->SelFontName(), "VBraille");
    EXPECT_EQ(form->Document().Modified, 0); // a change of form is no edit
    Keys("{F10}");
    EXPECT_EQ(form->Editor->Text(), text);
    EXPECT_EQ(rig.said, Lines{"vi\t zzzmescu "});
    EXPECT_TRUE(form->Keyboard1->Enabled());
    EXPECT_FALSE(form->Action("MTuongHinh")->isEnabled());
    EXPECT_EQ(form->Editor->SelFontName(), "Vni-Screen");
    EXPECT_EQ(form->Document().Modified, 0);
}

TEST_F(Layout, AnEditMakesTheNextSwitchTranslateAfresh) {
    tavi::TCodeConverter braille;
    form->Editor->SetText("Vie\xE4t Nam");
    Keys("{F11}");
    form->Editor->SetSelStart(form->Editor->TextLength());
    form->Editor->SetSelText(" ba"); // any edit: typing, a paste, an undo
    const std::string cells = form->Editor->Text();
    Keys("{F10}");
    EXPECT_EQ(form->Editor->Text(), tavi::VniFromBraille(braille, cells));
    EXPECT_EQ(form->Document().Modified, 1);
}

TEST_F(Layout, TheFormAlreadyShownOnlySpeaksAndAnEmptyDocumentKeepsNoText) {
    form->Editor->SetText("abc");
    Keys("{F10}");
    EXPECT_EQ(form->Editor->Text(), "abc");
    EXPECT_EQ(rig.said, Lines{"vi\t zzzmescu "});
    EXPECT_EQ(form->Document().Modified, 1);
    form->SetModified(0);
    form->Action("MFNew")->trigger();
    Keys("{F11}{F10}");
    EXPECT_EQ(form->Editor->Text(), "");
    EXPECT_TRUE(form->Document().TextBeforeTranslation.empty());
}

TEST_F(Layout, ZoomNeverSpeaksAndStopsAtItsLimits) {
    form->Editor->SetText("abc");
    form->SetModified(0);
    Keys("{Shift+F3}{Shift+F3}");
    EXPECT_EQ(form->Editor->SelFontSize(), 22);
    for (int i = 0; i < 40; ++i) Keys("{Shift+F3}");
    EXPECT_FALSE(form->Action("MZoomIn")->isEnabled());
    EXPECT_GE(form->Editor->SelFontSize(), 140);
    EXPECT_LT(form->Editor->SelFontSize(), 144);
    Keys("{F3}");
    EXPECT_EQ(form->Editor->SelFontSize(), 14);
    Keys("{Alt+Shift+F3}{Alt+Shift+F3}");
    EXPECT_EQ(form->Editor->SelFontSize(), 6);
    EXPECT_FALSE(form->Action("MZoomOut")->isEnabled());
    EXPECT_TRUE(rig.said.empty());
    EXPECT_EQ(form->Document().Modified, 0);
}

TEST_F(Layout, AlignmentStylesSymbolModeAndVolume) {
    form->Editor->SetText("abc");
    Keys("{F4}");
    EXPECT_EQ(form->Editor->SelAlignment(), tavi::AlignCenter);
    EXPECT_TRUE(form->Checked("TLCenter"));
    Keys("{Alt+Shift+F4}{Shift+F4}");
    EXPECT_EQ(form->Editor->SelAlignment(), tavi::AlignLeft);
    EXPECT_EQ(rig.said, (Lines{"vi\tzzzmesep ", "vi\tzzzmeseo "}));

    form->Editor->SelectAllText();
    form->Action("TFontBold")->trigger();
    EXPECT_TRUE(form->Editor->SelBold());

    Keys("{Shift+F8}"); // symbol mode: not in VNI display
    EXPECT_FALSE(form->Checked("MTuongHinh"));
    Keys("{F11}{Shift+F8}");
    EXPECT_TRUE(form->Checked("MTuongHinh"));

    form->VolBar->setValue(9);
    Keys("{F7}{F7}{F7}");
    EXPECT_EQ(form->VolBar->value(), 10);
    EXPECT_EQ(rig.voices->volume, 65535);
    EXPECT_EQ(form->VolBar->toolTip(), QString::fromUtf8("Âm Lượng: 10/10"));
    for (int i = 0; i < 12; ++i) Keys("{F6}");
    EXPECT_EQ(form->VolBar->value(), 0);
    EXPECT_EQ(rig.voices->volume, 0);
    EXPECT_TRUE(rig.said.empty());
}

TEST_F(Layout, ABrailleDocumentSavedAsRichTextIsItsText) {
    form->Editor->SetText("Vie\xE4t Nam");
    Keys("{F11}");
    const std::string cells = form->Editor->Text();
    rig.TypeName((rig.dir / "bai.rtf").string());
    form->Action("MFSaveAs")->trigger();
    tavi::TMsRichEdit saved;
    ASSERT_TRUE(saved.LoadFromFile(QString::fromStdString((rig.dir / "bai.rtf").string())));
    EXPECT_EQ(saved.Text(), "Vie\xE4t Nam");
    EXPECT_EQ(saved.SelFontName(), "Vni-Screen");
    EXPECT_EQ(form->Editor->Text(), cells);
    EXPECT_EQ(form->Document().Modified, 0);
}

} // namespace

// The confirmation, information, manual, about and printer dialogs on real widgets.
#include "dialogs/aboutbox.h"
#include "dialogs/confirmfrm.h"
#include "dialogs/finfofrm.h"
#include "dialogs/manualfrm.h"
#include "dialogs/prtsetupfrm.h"
#include "dialogs/vntext.h"
#include "support/recordingtalker.h"
#include "support/testdata.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using tavitest::RecordingTalker;
using Texts = std::vector<std::string>;

namespace {

void Activate(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
}

TEST(ConfirmFrm, PromptThenButtonNameAndResults) {
    const struct {
        int button;
        int result;
    } cases[] = {{0, tavi::mrOk}, {1, tavi::mrNo}, {2, tavi::mrCancel}};
    for (const auto& c : cases) {
        RecordingTalker talker;
        tavi::TConfirmFrm dialog(talker);
        dialog.Prompt = "zzzmesp ";
        dialog.SetQuestion("Ba\xEFn ch\xF6"
                           "a l\xF6u?");
        Activate(dialog);
        EXPECT_EQ(talker.Texts(), (Texts{"zzzmesp ", "cho\xEFn"}));
        EXPECT_EQ(dialog.Label1->text(), QString::fromUtf8("Bạn chưa lưu?"));
        QPushButton* buttons[] = {dialog.BtOK, dialog.BtNo, dialog.BtCancel};
        QTest::mouseClick(buttons[c.button], Qt::LeftButton);
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_GE(talker.stops, 1); // closing stops the voice
    }
}

TEST(ConfirmFrm, MovingToAButtonWaitsThenNamesIt) {
    RecordingTalker talker;
    tavi::TConfirmFrm dialog(talker);
    Activate(dialog);
    talker.Clear();
    talker.playing = true;
    dialog.BtNo->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(talker.playing); // it waited for the voice
    EXPECT_EQ(talker.Texts(), (Texts{"kho\xE2ng"}));
    QTest::keyClick(dialog.BtNo, Qt::Key_F1);
    EXPECT_EQ(talker.Texts().back(), " zzzmesdk ");
}

TEST(FInfoFrm, SaysEverythingAndClosesOnAnyOtherKey) {
    const struct {
        Qt::Key key;
        bool closes;
    } cases[] = {{Qt::Key_Up, true},     {Qt::Key_Down, true},   {Qt::Key_A, true},
                 {Qt::Key_Home, false},  {Qt::Key_End, false},   {Qt::Key_Left, false},
                 {Qt::Key_Right, false}, {Qt::Key_Shift, false}, {Qt::Key_F1, false}};
    for (const auto& c : cases) {
        RecordingTalker talker;
        tavi::TFInfoFrm dialog(talker);
        dialog.SetValues({"/d/a.txt", "C", "A", "M", "5 Byte ", "3 T\xF6\xF8 "});
        Activate(dialog);
        ASSERT_FALSE(talker.said.empty());
        EXPECT_EQ(talker.said[0].text,
                  " zzzmesba /d/a.txt zzzmesbb C zzzmesbc M zzzmesbd A zzzmesbe 5 Byte  "
                  "zzzmesbf 3 T\xF6\xF8 ");
        dialog.LFName->setFocus();
        QTest::keyClick(dialog.LFName, c.key);
        EXPECT_EQ(dialog.isVisible(), !c.closes) << c.key;
    }
}

class ManualFrmTest : public ::testing::Test {
protected:
    void SetUp() override {
        tavitest::WriteFile(dir / "Hdsd.TXT",
                            "0\r\nMu\xEF" "c lu\xEF" "c\r\n1\r\nMo\xE4t\r\ndo\xF8ng hai\r\n1.2\r\n"
                            "Mo\xE4t hai\r\n12\r\nM\xF6\xF4\xF8i hai\r\n");
        dialog.FileName = (dir / "Hdsd.TXT").string();
        Activate(dialog);
    }
    tavitest::TempDir dir;
    RecordingTalker talker;
    tavi::TManualFrm dialog{talker};
};

TEST_F(ManualFrmTest, OpensOnSectionZeroAndReadsIt) {
    EXPECT_EQ(dialog.ShownLines(), (Texts{"Mu\xEF" "c lu\xEF" "c"}));
    EXPECT_EQ(talker.Texts(), (Texts{"Mu\xEF" "c lu\xEF" "c"}));
    EXPECT_EQ(dialog.Manual->toPlainText(), QString::fromUtf8("Mục lục"));
    EXPECT_TRUE(dialog.Manual->isReadOnly());
}

TEST_F(ManualFrmTest, DigitsChooseSectionsAndArrowsReadLines) {
    QTest::keyClick(dialog.Manual, Qt::Key_1);
    QTest::keyClick(dialog.Manual, Qt::Key_2);
    EXPECT_EQ(dialog.ShownLines(), (Texts{"M\xF6\xF4\xF8i hai"}));
    QTest::qWait(1100);
    QTest::keyClick(dialog.Manual, Qt::Key_9); // 12.9 does not exist: the start, number cleared
    EXPECT_EQ(dialog.ShownLines(), (Texts{}));
    QTest::keyClick(dialog.Manual, Qt::Key_1);
    EXPECT_EQ(dialog.ShownLines(), (Texts{"Mo\xE4t", "do\xF8ng hai"}));
    talker.Clear();
    QTest::keyClick(dialog.Manual, Qt::Key_Down);
    QTest::keyClick(dialog.Manual, Qt::Key_F1);
    EXPECT_EQ(talker.Texts(), (Texts{"do\xF8ng hai", "Mo\xE4t\r\ndo\xF8ng hai"}));
    QTest::keyClick(dialog.Manual, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(AboutBox, MemoryTextsAndGreeting) {
    EXPECT_EQ(tavi::PhysMemText(1024ull * 1234567), "1,234,567 KB");
    EXPECT_EQ(tavi::PhysMemText(1024ull * 512), "512 KB");
    EXPECT_EQ(tavi::MemoryLoadText(45), "45 %");
    EXPECT_EQ(tavi::SpokenPhysMem(1024ull * 1234567), QString::fromUtf8("1.234.567 ki lô bai"));
    EXPECT_EQ(tavi::SpokenMemoryLoad(45), QString::fromUtf8("45 phần trăm"));
    const auto status = tavi::ReadMemoryStatus();
    EXPECT_GT(status.TotalBytes, 0u);
    EXPECT_GE(status.LoadPercent, 0);
    EXPECT_LE(status.LoadPercent, 100);
    RecordingTalker talker;
    tavi::TAboutBox box(talker);
    Activate(box);
    // Its title, then what it shows: the version, the memory and the share in use.
    const std::string content = box.Content();
    EXPECT_EQ(talker.Texts(), (Texts{" zzzmesgsa " + content}));
    EXPECT_EQ(content.rfind(tavi::Vni("Phiên bản "), 0), 0u) << content;
    // The release of the F1 that opened it asks nothing; F1 in the box reads it again.
    talker.Clear();
    QTest::keyRelease(&box, Qt::Key_F1);
    EXPECT_EQ(talker.Texts(), Texts{});
    QTest::keyClick(&box, Qt::Key_F1);
    EXPECT_EQ(talker.Texts(), (Texts{" zzzmesgsa " + content}));
    QTest::mouseClick(box.OKButton, Qt::LeftButton);
    EXPECT_EQ(box.result(), tavi::mrCancel);
}

TEST(PrtSetUpFrm, EmbosserSwitchShowsTheRightFields) {
    RecordingTalker talker;
    tavi::TPrtSetUpFrm dialog(talker, {"Laser", "Embosser"});
    EXPECT_EQ(talker.Texts(), (Texts{"zzzmesjw "}));
    Activate(dialog);
    EXPECT_FALSE(dialog.CbChars->isVisible());
    EXPECT_TRUE(dialog.UdLeft->isVisible());
    talker.Clear();
    dialog.CheckEmbosser->setChecked(true);
    EXPECT_EQ(talker.Texts(), (Texts{"zzzmesjx "}));
    EXPECT_TRUE(dialog.CbChars->isVisible());
    EXPECT_FALSE(dialog.UdLeft->isVisible());
    EXPECT_FALSE(dialog.LRight->isVisible());
    EXPECT_EQ(dialog.UdLeft->maximum(), 200);
    talker.Clear();
    QTest::keyRelease(&dialog, Qt::Key_F1);
    EXPECT_EQ(talker.Texts(), (Texts{" zzzmesjt "}));
    QTest::keyRelease(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), tavi::mrCancel);
}

} // namespace

// The start-up dialog on real widgets: what it says, what it refuses, how it ends.
#include "dialogs/initfrm.h"
#include "support/recordingtalker.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using tavi::TInitFrm;
using tavitest::RecordingTalker;

namespace {

class InitFrmTest : public ::testing::Test {
protected:
    void SetUp() override {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.EdUserName->setFocus();
        QApplication::processEvents();
        talker.Clear();
    }
    void Type(const std::string& text) {
        QTest::keyClicks(dialog.EdUserName, QString::fromLatin1(text.c_str()));
    }
    RecordingTalker talker;
    TInitFrm dialog{talker};
};

TEST_F(InitFrmTest, EchoesEachCharacterAndEnablesOk) {
    EXPECT_FALSE(dialog.BtOK->isEnabled());
    Type("an");
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{"a", "n"}));
    EXPECT_EQ(talker.said[0].table, "Vni for Win");
    EXPECT_TRUE(talker.said[0].controls); // echo reads punctuation
    EXPECT_TRUE(dialog.BtOK->isEnabled());
    EXPECT_EQ(dialog.UserName(), "an");
}

TEST_F(InitFrmTest, RefusesTheNameSetWithABeepEvenWhenSilent) {
    talker.soundOn = false;
    Type("a:b\\c-d_e");
    EXPECT_EQ(dialog.UserName(), "abc-d_e");
    EXPECT_EQ(talker.beeps, 2);
}

TEST_F(InitFrmTest, TheSixtyFifthCharacterBeepsAndIsNotEchoed) {
    Type(std::string(64, 'x'));
    talker.Clear();
    Type("y");
    EXPECT_EQ(dialog.UserName(), std::string(64, 'x'));
    EXPECT_EQ(talker.beeps, 1);
    EXPECT_TRUE(talker.said.empty());
}

TEST_F(InitFrmTest, EnterOnAnEmptyNameAsksAgain) {
    QTest::keyClick(dialog.EdUserName, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{" zzzmesdo "}));
    Type("b");
    QTest::keyClick(dialog.EdUserName, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), tavi::mrOk);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(InitFrmTest, EscapeIsEchoedAndDoesNotClose) {
    QTest::keyClick(dialog.EdUserName, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{"\x1B"}));
    QTest::mouseClick(dialog.BtCancel, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), tavi::mrCancel);
}

TEST_F(InitFrmTest, ArrowsSayTheCharacterPassedOverAndBeepAtTheEnds) {
    Type("ab");
    talker.Clear();
    QTest::keyClick(dialog.EdUserName, Qt::Key_Right); // at the end
    QTest::keyClick(dialog.EdUserName, Qt::Key_Left);
    QTest::keyClick(dialog.EdUserName, Qt::Key_Left);
    QTest::keyClick(dialog.EdUserName, Qt::Key_Left); // at the start
    QTest::keyClick(dialog.EdUserName, Qt::Key_Right);
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{"b", "a", "a"}));
    EXPECT_EQ(talker.beeps, 2);
}

TEST_F(InitFrmTest, F8ReadsTheNameAndF1TheHelp) {
    QTest::keyClick(dialog.EdUserName, Qt::Key_F8); // empty: nothing
    EXPECT_TRUE(talker.said.empty());
    Type("an");
    talker.Clear();
    QTest::keyClick(dialog.EdUserName, Qt::Key_F8);
    QTest::keyClick(dialog.EdUserName, Qt::Key_F1);
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{"an", " zzzmesdr "}));
}

TEST_F(InitFrmTest, FocusAnnouncesTheSpokenName) {
    dialog.BtCancel->setFocus();
    QApplication::processEvents();
    dialog.EdUserName->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(talker.Texts(), (std::vector<std::string>{"hu\xFBy bo\xFB", " zzzmesdn "}));
}

TEST_F(InitFrmTest, NoSelectAllAndNoContextMenu) {
    Type("abc");
    QTest::keyClick(dialog.EdUserName, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(dialog.EdUserName->hasSelectedText());
    EXPECT_EQ(dialog.EdUserName->contextMenuPolicy(), Qt::NoContextMenu);
}

} // namespace

// The main window on real widgets, with a recording speech port: start-up, settings, the speak
// operation, the error handler, closing.
#include "dialogs/confirmfrm.h"
#include "dialogs/initfrm.h"
#include "dialogs/savefrm.h"
#include "document/msrichedit.h"
#include "mail/mailsetup.h"
#include "platform/errors.h"
#include "shell/mainform.h"
#include "shell/usersettings.h"
#include "support/recordingspeech.h"
#include "support/testdata.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

#include <gtest/gtest.h>

using tavi::TMainForm;
using tavitest::SpeechLog;
using Texts = std::vector<std::string>;

namespace {

class MainFormTest : public ::testing::Test {
protected:
    std::unique_ptr<TMainForm> Start(const std::string& user = "anna") {
        tavi::TMainFormSetup setup;
        setup.Speech = std::make_unique<tavitest::RecordingSpeech>(log);
        setup.RegistryFile = dir / "registry.reg";
        setup.DocumentsRoot = dir / "data";
        setup.StateFolder = dir / "state";
        setup.RunDialog = [this, user](QDialog& d) -> int {
            if (auto* init = dynamic_cast<tavi::TInitFrm*>(&d)) {
                if (user.empty()) return tavi::mrCancel;
                tavi::TTalkingDialog::SetFieldBytes(init->EdUserName, user);
                return tavi::mrOk;
            }
            if (dynamic_cast<tavi::TConfirmFrm*>(&d)) return answers.empty() ? tavi::mrOk : Next();
            if (auto* box = dynamic_cast<QMessageBox*>(&d)) {
                boxes.push_back(box->text().toStdString());
                return tavi::mrOk;
            }
            if (auto* mail = dynamic_cast<tavi::TMailSetup*>(&d)) {
                tavi::TTalkingDialog::SetFieldBytes(mail->EdPassword, password);
                return tavi::mrOk;
            }
            if (auto* save = dynamic_cast<tavi::TSaveFrm*>(&d); save && !saveAs.empty()) {
                tavi::TTalkingDialog::SetFieldBytes(save->EFName, saveAs);
                save->done(tavi::mrOk);
                return tavi::mrOk;
            }
            return tavi::mrCancel;
        };
        auto form = std::make_unique<TMainForm>(std::move(setup));
        return form;
    }
    int Next() {
        const int a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    tavi::TUserSettings Stored(const std::string& user) {
        tavi::TRegistry reg(dir / "registry.reg");
        tavi::TUserSettings s;
        tavi::ReadUserSettings(reg, user, s);
        return s;
    }
    tavitest::TempDir dir;
    std::shared_ptr<SpeechLog> log = std::make_shared<SpeechLog>();
    std::vector<int> answers;
    std::string saveAs;
    std::string password;           // typed in the mail account dialog
    std::vector<std::string> boxes; // the texts of the message boxes shown
};

TEST_F(MainFormTest, FirstRunOfANewUser) {
    auto form = Start("anna");
    EXPECT_EQ(form->windowTitle(), QString::fromUtf8("Soạn Thảo Tavi - Khong Ten"));
    ASSERT_TRUE(form->FormShow());
    EXPECT_EQ(form->UserName(), "ANNA");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "data/ANNA"));
    EXPECT_TRUE(form->Checked("MGToolBar"));
    EXPECT_TRUE(form->Checked("MROption"));
    EXPECT_TRUE(form->Checked("MREChar"));
    EXPECT_TRUE(form->Checked("MVietNam"));
    EXPECT_TRUE(form->Checked("MRCharCtrl"));
    EXPECT_FALSE(form->Checked("MTuongHinh"));
    EXPECT_TRUE(form->Checked("MGTVNI2"));
    EXPECT_TRUE(form->Options().AutoConvert);
    EXPECT_EQ(form->Document().FileName, "Khong Ten");
    EXPECT_EQ(form->Document().Modified, 0);
    EXPECT_GT(form->MenuSpeech().Count(), 50u);
    EXPECT_GT(form->DotNames().Count(), 60u);
    form->close();
    tavi::TRegistry reg(dir / "registry.reg");
    EXPECT_TRUE(reg.KeyExists(std::string(tavi::SettingsKey) + "\\ANNA"));
    EXPECT_EQ(Stored("ANNA").Options.SoundEdit, 1);
}

TEST_F(MainFormTest, CancelledStartUpEndsWithoutWriting) {
    auto form = Start("");
    EXPECT_FALSE(form->FormShow());
    form.reset();
    EXPECT_FALSE(std::filesystem::exists(dir / "registry.reg"));
}

TEST_F(MainFormTest, SettingsSurviveARestartAndUsersAreIndependent) {
    {
        auto form = Start("anna");
        ASSERT_TRUE(form->FormShow());
        form->Action("MGToolBar")->trigger(); // hide the tool bar
        form->Action("MRESen")->trigger();
        form->Action("MEnglish")->trigger();
        form->Action("MRSlower")->trigger(); // the English voice, the language's
        form->Action("MREnglishWords")->trigger();
        const tavi::TUserSettings written = Stored("ANNA"); // at once, before any close
        EXPECT_FALSE(written.Options.ToolBar);
        EXPECT_EQ(written.Options.SoundEdit, 3);
        EXPECT_FALSE(written.Options.Vietnamese);
        password = "Keep this password secret";
        form->Action("MSetupMail")->trigger();
        form->close();
    }
    {
        auto form = Start("anna");
        ASSERT_TRUE(form->FormShow());
        EXPECT_FALSE(form->Checked("MGToolBar"));
        EXPECT_FALSE(form->ToolBar1->isVisibleTo(form.get()));
        EXPECT_TRUE(form->Checked("MRESen"));
        EXPECT_TRUE(form->Checked("MEnglish"));
        EXPECT_TRUE(log->engineActive);
        EXPECT_EQ(log->engineRate, 0.75);
        EXPECT_EQ(log->readerRate, 1.0);
        EXPECT_FALSE(form->Checked("MREnglishWords"));
        EXPECT_FALSE(log->englishWords);
        EXPECT_EQ(form->Settings().Mail.MailPassword, "Keep this password secret");
        form->close();
    }
    auto other = Start("bob");
    ASSERT_TRUE(other->FormShow());
    EXPECT_TRUE(other->Checked("MGToolBar"));
    EXPECT_TRUE(other->Checked("MREChar"));
    EXPECT_EQ(other->Settings().Mail.MailPassword, "");
    other->close();
}

TEST_F(MainFormTest, SoundEditMissingOrOutOfRange) {
    {
        tavi::TRegistry reg(dir / "registry.reg");
        reg.OpenKey(std::string(tavi::SettingsKey) + "\\ANNA", true);
        reg.WriteBool("ToolBar", false);
        reg.WriteBool("SoundMode", true);
        reg.WriteBool("SoundSymbolMode", true);
        reg.WriteBool("SoundCtrlChar", false);
        reg.WriteBool("AutoCnv", false);
        reg.CloseKey();
    }
    auto form = Start("anna");
    ASSERT_TRUE(form->FormShow());
    EXPECT_FALSE(form->Checked("MGToolBar"));
    EXPECT_TRUE(form->Checked("MTuongHinh"));
    EXPECT_FALSE(form->Checked("MRCharCtrl"));
    EXPECT_TRUE(form->Checked("MREChar")); // from SoundEdit on: defaults
    EXPECT_TRUE(form->Options().AutoConvert);
    form->close();

    {
        tavi::TRegistry reg(dir / "registry.reg");
        reg.OpenKey(std::string(tavi::SettingsKey) + "\\ANNA", true);
        reg.WriteInteger("SoundEdit", 7);
        reg.WriteInteger("RateVietnamese", 99);
        reg.CloseKey();
    }
    form = Start("anna");
    ASSERT_TRUE(form->FormShow());
    EXPECT_TRUE(form->Checked("MREChar")); // 7 changes nothing
    EXPECT_EQ(log->readerRate, 5.0);       // the fastest step there is
    form->close();
    EXPECT_EQ(Stored("ANNA").Options.SoundEdit, 1);
}

TEST_F(MainFormTest, SpeakTextRules) {
    auto form = Start();
    ASSERT_TRUE(form->FormShow());
    log->Clear();
    form->SpeakText("A", "Vni for Win", false, false);
    form->SpeakText("\xDA", "Braille", false, false);
    EXPECT_EQ(log->Texts(), (Texts{"A hoa", "da\xE1u ho\xFBi"}));
    EXPECT_EQ(log->spoken[1].table, "Vni for Win");
    log->Clear();
    form->Action("MROption")->trigger(); // speech off: the farewell goes to the reader itself
    EXPECT_EQ(log->Texts(), (Texts{"zzzmesaf"}));
    form->SpeakText("zzzmesa", "Vni for Win", false, false);
    EXPECT_EQ(log->spoken.size(), 1u);
    EXPECT_TRUE(form->statusBar()->findChildren<QLabel*>().at(5)->text().isEmpty());
    form->close();
}

TEST_F(MainFormTest, ErrorHandlerTellsEveryError) {
    const tavi::EInOutError disk("no medium");
    const tavi::EFOpenError other("x");
    const tavi::EPrinterError printer("queue stopped");
    const std::string failed = "Có lỗi, Tavi không làm được việc này.";
    struct Row {
        const std::exception* error;
        Texts said;
        std::string box; // with speech off
    };
    const Row rows[] = {
        {&disk, {" zzzmesey ", "zzzmesa"}, "Không có đĩa trong ổ đĩa!"},
        {&other, {" zzzmeseyb ", "Cannot open file x", "zzzmesa"}, failed + "\nCannot open file x"},
        {&printer, {" zzzmesfo ", "zzzmesa"}, "Lỗi máy in!"},
        {nullptr, {" zzzmeseyb ", "zzzmesa"}, failed},
    };
    auto form = Start();
    ASSERT_TRUE(form->FormShow());
    for (const Row& row : rows) {
        log->Clear();
        form->ApplicationException(row.error);
        EXPECT_EQ(log->Texts(), row.said);
    }
    form->Action("MROption")->trigger();
    for (const Row& row : rows) {
        boxes.clear();
        form->ApplicationException(row.error);
        EXPECT_EQ(boxes, std::vector<std::string>{row.box});
    }
    form->close();
}

TEST_F(MainFormTest, ClosingAnUnsavedDocumentNeverLosesIt) {
    auto form = Start();
    ASSERT_TRUE(form->FormShow());
    form->Editor->SetText("Vie\xE4t Nam");
    EXPECT_EQ(form->Document().Modified, 1);
    answers = {tavi::mrOk}; // "save?" yes: the untitled document needs a name; the save dialog is
                            // cancelled
    EXPECT_FALSE(form->close());
    answers = {tavi::mrCancel}; // put off: the close is refused
    EXPECT_FALSE(form->close());
    answers = {tavi::mrNo, tavi::mrOk}; // no, then yes to closing
    EXPECT_TRUE(form->close());
}

TEST_F(MainFormTest, SaveAsNamesTheDocumentAndClosesCleanly) {
    auto form = Start();
    ASSERT_TRUE(form->FormShow());
    form->Editor->SetText("Vie\xE4t Nam");
    saveAs = "bai1";
    answers = {tavi::mrOk, tavi::mrOk}; // save? yes; close? yes
    log->Clear();
    EXPECT_TRUE(form->close());
    const auto file = dir / "data/ANNA/bai1.TXT";
    EXPECT_EQ(tavitest::ReadFile(file), "Vie\xE4t Nam");
    const Texts said = log->Texts();
    EXPECT_NE(std::find(said.begin(), said.end(), "zzzmeser "), said.end());
}

TEST_F(MainFormTest, MenuEntriesSpeakAsTheyAreHighlighted) {
    auto form = Start();
    ASSERT_TRUE(form->FormShow());
    auto* read = form->findChild<QMenu*>("MRead");
    auto* echo = form->findChild<QMenu*>("MREcho");
    ASSERT_TRUE(read && echo);
    log->Clear();
    emit read->hovered(form->Action("MRVolUp"));
    emit echo->hovered(form->Action("MREChar")); // checked: the entry says so
    emit read->hovered(echo->menuAction());      // a submenu
    // A disabled entry is passed over in silence: the highlight moves on to an entry that
    // can be chosen, which speaks for itself.
    emit read->hovered(form->Action("MTuongHinh"));
    ASSERT_EQ(log->spoken.size(), 4u);
    for (const auto& t : log->Texts()) EXPECT_EQ(t.find("Shift F8."), std::string::npos) << t;
    EXPECT_EQ(log->spoken[0].text, "Ta\xEAng a\xE2m l\xF6\xF4\xEFng, F7.");
    EXPECT_EQ(log->spoken[1].text, "\xD1o\xEF"
                                   "c t\xF6\xF8ng ky\xF9 t\xF6\xEF, Shift F9. . zzzmeslh");
    EXPECT_EQ(log->spoken[2].text, " zzzmesha \xD1o\xEF"
                                   "c khi go\xF5.");
    form->close();
}

} // namespace

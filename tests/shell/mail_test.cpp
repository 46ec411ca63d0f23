// The Mail menu on the offscreen main window against scripted servers on loopback: an account
// set up on first use, the document sent as UTF-8, letters fetched and copied into the text.
#include "document/msrichedit.h"
#include "mail/lettertext.h"
#include "mail/mailcharset.h"
#include "mail/mailfrm.h"
#include "mail/mailsetup.h"
#include "mail/scriptedserver.h"
#include "mail/sendmfrm.h"
#include "mail/viewmailfrm.h"
#include "shell/formrig.h"

#include <QAction>
#include <QComboBox>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class Mail : public ::testing::Test {
protected:
    void SetUp() override {
        rig.user = "nguye\xE3n an"; // nguyễn an, typed in VNI
        form = rig.Start();
    }
    void TearDown() override {
        form->SetModified(0);
        form->close();
    }
    // The next dialog is the account, filled in for servers on this machine.
    void SetUpAccount(const std::string& smtp, const std::string& pop3) {
        rig.answers.push_back([=](QDialog& d) {
            auto& setup = dynamic_cast<tavi::TMailSetup&>(d);
            const std::pair<QLineEdit*, std::string> fields[] = {{setup.EdUserName, "ann"},
                                                                 {setup.EdPassword, "secret"},
                                                                 {setup.EdMailAdd, "ann@x.vn"},
                                                                 {setup.EdInMail, pop3},
                                                                 {setup.EdOutMail, smtp}};
            for (const auto& [edit, text] : fields) tavi::TTalkingDialog::SetFieldBytes(edit, text);
            setup.SetSecurity("none"); // plain, as the scripted servers speak
            EXPECT_GT(setup.CbRas->count(), 0);
            return int(tavi::mrOk);
        });
    }
    tavitest::TFormRig rig;
    std::unique_ptr<tavi::TMainForm> form;
};

// A document in Braille goes as its VNI text; the letter says it is UTF-8, subject and body.
TEST_F(Mail, TheDocumentIsSentAsUnicodeAfterTheAccountIsSetUp) {
    tavitest::TScriptedServer smtp(
        "S 220 ready\nC EHLO \nS 250 hi\nC MAIL FROM:<ann@x.vn>\nS 250 ok\nC RCPT TO:<bo@y.org>\n"
        "S 250 ok\nC DATA\nS 354 go\nDATA\nS 250 kept\nC QUIT\nS 221 bye\n");
    smtp.Start();
    form->Editor->SetText("Vie\xE4t Nam");
    form->Action("MGTGrade1")->trigger();
    SetUpAccount(smtp.Address(), "127.0.0.1:1");
    rig.answers.push_back([](QDialog& d) {
        auto& send = dynamic_cast<tavi::TSendMfrm&>(d);
        tavi::TTalkingDialog::SetFieldBytes(send.EdRecip, "bo@y.org");
        tavi::TTalkingDialog::SetFieldBytes(send.EdSubject, "Cha\xF8o");
        return int(tavi::mrOk);
    });
    rig.Run(); // the transfer window
    rig.said.clear();
    form->Action("MEmailsend")->trigger();
    EXPECT_EQ(smtp.Mismatches(), Lines{});
    ASSERT_EQ(smtp.Data().size(), 1u);
    const std::string& letter = smtp.Data()[0];
    // The sender by the name given at start-up, with capitals.
    for (const char* part : {"From: =?UTF-8?B?Tmd1eeG7hW4gQW4=?= <ann@x.vn>\r\n",
                             "Subject: =?UTF-8?B?Q2jDoG8=?=", "charset=\"utf-8\"",
                             "quoted-printable", "Vi=E1=BB=87t Nam"})
        EXPECT_NE(letter.find(part), std::string::npos) << part << "\n" << letter;
    // The display is now VNI; the account was set up; one beep per tenth of the letter.
    EXPECT_EQ(rig.said, (Lines{"vi\t zzzmescu ", "vi\tzzzmesa", "vi\tzzzmesgh ", "beep\tBeep.wav",
                               "vi\tzzzmesgd ", "vi\tzzzmesa"}));
    EXPECT_EQ(form->Editor->Text(), "Vie\xE4t Nam"); // shown in VNI now, unchanged
}

TEST_F(Mail, ALetterFetchedIsCopiedIntoTheDocument) {
    tavitest::TScriptedServer pop3(
        "S +OK ready\nC USER ann\nS +OK\nC PASS secret\nS +OK\nC STAT\nS +OK 1 50\nC LIST 1\n"
        "S +OK 1 50\nC RETR 1\nS +OK\nS From: =?windows-1258?Q?B=F4?= <bo@y.org>\n"
        "S Subject: =?utf-8?Q?Ch=C3=A0o?=\nS MIME-Version: 1.0\n"
        "S Content-Type: text/plain; charset=windows-1258\nS \nS Vi\xEA\xF2t Nam\nS .\n"
        "C QUIT\nS +OK bye\n");
    pop3.Start();
    form->Editor->SetText("Xin cha\xF8o.");
    form->Editor->SetSelStart(form->Editor->TextLength());
    SetUpAccount("127.0.0.1:1", pop3.Address());
    rig.Run(); // the transfer window
    rig.answers.push_back([](QDialog& d) {
        auto& viewer = dynamic_cast<tavi::TViewMailFrm&>(d);
        EXPECT_EQ(viewer.Count(), 1u);
        viewer.show(); // as the program runs it
        viewer.CopyCommand();
        viewer.reject();
        return viewer.result();
    });
    form->Action("MEmailView")->trigger();
    EXPECT_EQ(pop3.Mismatches(), Lines{});
    const std::string text = form->Editor->Text();
    for (const char* part : {"Bo\xE2", "Cha\xF8o", "Vie\xE4t Nam"})
        EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_EQ(text.rfind("Xin cha\xF8o.\r\nNg\xF6\xF4\xF8i G\xF4\xFBi \t ", 0), 0u) << text;
}

// Ctrl+R in the viewer: the send window addressed to the sender with "Re: " and the subject,
// the answer sent through the transfer window with the letter quoted under it; the fetch's wait
// window is gone while the letters are read.
TEST_F(Mail, ALetterIsAnsweredToItsSender) {
    tavitest::TScriptedServer pop3(
        "S +OK ready\nC USER ann\nS +OK\nC PASS secret\nS +OK\nC STAT\nS +OK 1 50\nC LIST 1\n"
        "S +OK 1 50\nC RETR 1\nS +OK\nS From: =?windows-1258?Q?B=F4?= <bo@y.org>\n"
        "S Subject: =?utf-8?Q?Ch=C3=A0o?=\nS Message-ID: <m1@y.org>\n"
        "S Date: Mon, 7 Dec 2026 09:05:00 +0700\nS \nS Viet Nam\nS .\nC QUIT\nS +OK bye\n");
    tavitest::TScriptedServer smtp(
        "S 220 ready\nC EHLO \nS 250 hi\nC MAIL FROM:<ann@x.vn>\nS 250 ok\nC RCPT TO:<bo@y.org>\n"
        "S 250 ok\nC DATA\nS 354 go\nDATA\nS 250 kept\nC QUIT\nS 221 bye\n");
    pop3.Start();
    smtp.Start();
    SetUpAccount(smtp.Address(), pop3.Address());
    rig.Run(); // the transfer window that fetches
    rig.answers.push_back([this](QDialog& d) {
        auto& viewer = dynamic_cast<tavi::TViewMailFrm&>(d);
        viewer.show();
        EXPECT_FALSE(viewer.parentWidget()->isVisible()) << "the wait window stayed";
        rig.answers.push_back([](QDialog& d) {
            auto& send = dynamic_cast<tavi::TSendMfrm&>(d);
            EXPECT_EQ(tavi::TTalkingDialog::FieldBytes(send.EdRecip), "bo@y.org");
            EXPECT_EQ(tavi::TTalkingDialog::FieldBytes(send.EdSubject), "Re: Cha\xF8o");
            tavi::TTalkingDialog::SetFieldBytes(send.EdAnswer, "Ca\xFBm \xF4n"); // cảm ơn
            return int(tavi::mrOk);
        });
        rig.Run(); // the transfer window that sends
        viewer.Answer1->trigger();
        viewer.reject();
        return viewer.result();
    });
    form->Action("MEmailView")->trigger();
    EXPECT_EQ(pop3.Mismatches(), Lines{});
    EXPECT_EQ(smtp.Mismatches(), Lines{});
    ASSERT_EQ(smtp.Data().size(), 1u);
    tavi::TmsMessage answer;
    answer.LoadFromString(smtp.Data()[0], false);
    EXPECT_EQ(tavi::HeaderTextIn(tavi::RawHeaderValue(answer.Headers, "Subject"), "Vni for Win"),
              "Re: Cha\xF8o");
    EXPECT_EQ(tavi::RawHeaderValue(answer.Headers, "In-Reply-To"), "<m1@y.org>");
    EXPECT_EQ(tavi::MessageTextIn(answer, "Vni for Win"),
              "Ca\xFBm \xF4n\r\n\r\nNga\xF8y 7/12/26 9 gi\xF4\xF8 05 phu\xF9t, Bo\xE2 <bo@y.org> "
              "\xF1"
              "a\xF5 vie\xE1t:\r\n> Viet Nam\r\n");
}

} // namespace

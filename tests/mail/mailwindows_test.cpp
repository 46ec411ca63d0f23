// The mail windows on real widgets with a recording host: the account dialog, the send
// dialog, the viewer, and the transfer window against scripted servers on loopback.
#include "codes/keyboard.h"
#include "dialogs/confirmfrm.h"
#include "dialogs/vntext.h"
#include "mail/lettertext.h"
#include "mail/mailfrm.h"
#include "mail/mailhost.h"
#include "mail/mailsetup.h"
#include "mail/mimecoding.h"
#include "mail/scriptedserver.h"
#include "mail/sendmfrm.h"
#include "mail/tlsmode.h"
#include "mail/viewmailfrm.h"
#include "support/keyscript.h"
#include "support/recordingtalker.h"
#include "support/testdata.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <deque>

namespace {

using Texts = std::vector<std::string>;

class RecordingMailHost : public tavitest::RecordingTalkerT<tavi::IMailHost> {
public:
    bool english = false;
    std::deque<std::function<int(QDialog&)>> answers; // a dialog with none left: Cancel
    std::string saveName;
    std::string inserted;
    std::vector<tavi::TLetterAnswer> answered;

    bool EnglishSpeech() const override { return english; }
    bool ReadControlChars() const override { return true; }
    int ShowModal(QDialog& d) override {
        if (answers.empty()) return tavi::mrCancel;
        const auto answer = std::move(answers.front());
        answers.pop_front();
        return answer(d);
    }
    std::string AskSaveName() override { return saveName; }
    void InsertIntoDocument(const std::string& text) override { inserted += text; }
    void PauseKey() override {}
    void MenuEntryHovered(QAction*) override {}
    void AnswerLetter(const tavi::TLetterAnswer& a) override { answered.push_back(a); }
    // As the main window: a box, through the dialogs.
    void ShowMessage(const std::string& text, bool) override {
        QMessageBox box(QMessageBox::Warning, {}, QString::fromStdString(text));
        ShowModal(box);
    }
};

void Activate(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    QApplication::processEvents();
}

TEST(MailSetup, OkNeedsEveryFieldAndThePasswordIsNeverSaid) {
    RecordingMailHost host;
    tavi::TMailSetup dialog(host);
    Activate(dialog);
    EXPECT_FALSE(dialog.agRas1.Entries().empty()); // the network that is up, at least
    EXPECT_EQ(host.Texts(), Texts{"zzzmeski"});
    EXPECT_TRUE(host.said[0].controls); // a field's name is read with its punctuation
    const QLineEdit* fields[] = {dialog.EdUserName, dialog.EdPassword, dialog.EdMailAdd,
                                 dialog.EdInMail, dialog.EdOutMail};
    const char* const nextNames[] = {"zzzmeskj", "zzzmeskk", "zzzmeskl", "zzzmeskm",
                                     "zzzmeskn  zzzmeskzj "}; // the list with its choice
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        const QLineEdit* field = fields[i];
        EXPECT_FALSE(dialog.BtOK->isEnabled());
        const_cast<QLineEdit*>(field)->setFocus();
        host.Clear();
        tavitest::PlayKeys(const_cast<QLineEdit*>(field), "ab{F8}");
        if (field == dialog.EdPassword) {
            EXPECT_EQ(host.Texts(), Texts{}) << "the password was said";
            EXPECT_EQ(host.beeps, 3); // every key, F8 too
        } else {
            EXPECT_EQ(host.Texts(), (Texts{"a", "b", "ab"}));
        }
        host.Clear();
        tavitest::PlayKeys(const_cast<QLineEdit*>(field), "{Tab}"); // only the next field's name
        EXPECT_EQ(host.Texts(), Texts{nextNames[i]});
        EXPECT_EQ(host.beeps, 0);
    }
    EXPECT_TRUE(dialog.BtOK->isEnabled());
    // The lists: Tab says name and choice, F8 the choice, an arrow the new choice.
    const struct {
        QWidget* from;
        const char* keys;
        Texts said;
    } lists[] = {
        {dialog.CbRas, "{F8}", {" zzzmeskzj "}},
        {dialog.CbRas, "{Tab}", {" zzzmeskze   zzzmeskzf "}},
        {dialog.CbSecurity, "{Down}", {" zzzmeskzg "}},
        {dialog.CbSecurity, "{End}{F8}", {" zzzmeskzi ", " zzzmeskzi "}},
    };
    for (const auto& l : lists) {
        l.from->setFocus();
        host.Clear();
        tavitest::PlayKeys(l.from, l.keys);
        EXPECT_EQ(host.Texts(), l.said) << l.keys;
    }
    EXPECT_EQ(dialog.Security(), "none");
    host.Clear();
    tavitest::PlayKeys(dialog.EdOutMail, "{Shift+F1}");
    EXPECT_EQ(host.Texts(), Texts{"zzzmeskz"});
    dialog.BtOK->setFocus();
    EXPECT_FALSE(host.said.back().controls); // a button's name is said
    for (const std::string& choice : tavi::TMailSetup::SecurityChoices()) {
        dialog.SetSecurity(choice);
        EXPECT_EQ(dialog.Security(), choice);
    }
    dialog.SetSecurity("nonsense");
    EXPECT_EQ(dialog.Security(), "");
}

TEST(SendMfrm, EnterMovesOnThenSendsAndLettersAreSaidWhole) {
    RecordingMailHost host;
    tavi::TSendMfrm dialog(host);
    std::vector<bool> plain;
    dialog.PlainKeys = [&plain](bool p) { plain.push_back(p); };
    Activate(dialog);
    dialog.EdRecip->setFocus();
    ASSERT_FALSE(plain.empty());
    EXPECT_TRUE(plain.back()); // plain keys for the address
    host.Clear();
    tavitest::PlayKeys(dialog.EdRecip, "An");
    EXPECT_EQ(host.Texts(), (Texts{"A hoa", "n"}));
    EXPECT_TRUE(dialog.BtOK->isEnabled());
    tavitest::PlayKeys(dialog.EdRecip, "{Enter}");
    EXPECT_TRUE(dialog.EdSubject->hasFocus());
    EXPECT_FALSE(plain.back()); // the subject is typed in Vietnamese

    // As in the find field: a tone key names its tone, a letter the keyboard makes is said.
    tavi::TVnKey engine;
    tavi::TKeyboard accent(nullptr, engine);
    accent.SetCodeTable(tavi::TKeyboard::VniAnsi);
    accent.SetEnabled(true);
    host.Clear();
    tavitest::PlayKeys(dialog.EdSubject, "ca1o7");
    EXPECT_EQ(host.Texts(), (Texts{"c", "a",
                                   "da\xE1u sa\xE9"
                                   "c",
                                   "o", "\xF4"}));
    EXPECT_EQ(tavi::TTalkingDialog::FieldBytes(dialog.EdSubject), "ca\xF9\xF4");
    accent.SetEnabled(false);

    // A letter with its mark byte is passed, and said, whole.
    tavi::TTalkingDialog::SetFieldBytes(dialog.EdSubject, "ba\xF9n");
    dialog.EdSubject->setCursorPosition(1);
    host.Clear();
    tavitest::PlayKeys(dialog.EdSubject, "{Right}");
    EXPECT_EQ(host.Texts(), Texts{"a\xF9"});
    EXPECT_EQ(dialog.EdSubject->cursorPosition(), 3);
    host.Clear();
    tavitest::PlayKeys(dialog.EdSubject, "{Left}");
    EXPECT_EQ(host.Texts(), Texts{"a\xF9"});
    EXPECT_EQ(dialog.EdSubject->cursorPosition(), 1);

    dialog.EdRecip->clear();
    dialog.EdSubject->setFocus();
    tavitest::PlayKeys(dialog.EdSubject, "{Enter}"); // nowhere to send it: back to the address
    EXPECT_TRUE(dialog.EdRecip->hasFocus());
    EXPECT_EQ(host.beeps, 1);
    tavitest::PlayKeys(dialog.EdRecip, "b{Enter}{Enter}");
    EXPECT_EQ(dialog.result(), tavi::mrOk);
}

// Two letters as a POP3 server hands them over; the second has a file attached.
void Retrieved(tavi::TmsMessageList& list) {
    const std::string letters[] = {
        "From: =?UTF-8?B?TmfGsOG7nWkgZ+G7rWk=?= <a@x.vn>\r\n"
        "Date: Mon, 7 Dec 2026 09:05:00 +0700\r\n"
        "Subject: =?UTF-8?Q?Ch=C3=A0o?=\r\n"
        "Content-Type: text/plain; charset=UTF-8\r\n"
        "Content-Transfer-Encoding: 8bit\r\n\r\n"
        "Vi\xE1\xBB\x87t Nam\r\n.\r\n",
        "From: b@y.org\r\nDate: someday\r\nSubject: Hi\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n--b\r\n"
        "Content-Type: text/plain\r\n\r\nHello\r\n--b\r\n"
        "Content-Type: application/pdf; name=\"=?UTF-8?Q?b=C3=A1o_c=C3=A1o.pdf?=\"\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
            tavi::Base64Encode(std::string(1234, 'x')) + "\r\n--b--\r\n.\r\n"};
    for (const std::string& letter : letters) list.Add().LoadFromString(letter);
}

TEST(ViewMailFrm, LettersAreShownSpokenSavedCopiedAndDeleted) {
    const struct {
        bool english;
        const char* first; // the memo of letter 1
        const char* second;
    } cases[] = {
        {false,
         "Ng\xF6\xF4\xF8i G\xF4\xFBi \t Ng\xF6\xF4\xF8i g\xF6\xFBi <a@x.vn>\r\nNga\xF8y G\xF4\xFBi "
         "\t "
         "7/12/26 9 gi\xF4\xF8 05 phu\xF9t \r\nChu\xFB \xD1"
         "e\xE0 \t Cha\xF8o\r\nNo\xE4i Dung\r\nVie\xE4t Nam\r\n",
         "Ng\xF6\xF4\xF8i G\xF4\xFBi \t b@y.org\r\nNga\xF8y G\xF4\xFBi \t Kho\xE2ng ro\xF5\r\n"
         "Chu\xFB \xD1"
         "e\xE0 \t Hi\r\n\xD1\xEDnh Ke\xF8m \t ba\xF9o ca\xF9o.pdf, 1.234 byte\r\n" // đính kèm
         "No\xE4i Dung\r\nHello\r\n"},
        {true,
         "Sender \t Ng\xF6\xF4\xF8i g\xF6\xFBi <a@x.vn>\r\nDate \t 7/12/26 9:05 \r\nSubject \t "
         "Cha\xF8o\r\nContent\r\nVie\xE4t Nam\r\n",
         "Sender \t b@y.org\r\nDate \t Unknown\r\nSubject \t Hi\r\n"
         "Attachment \t ba\xF9o ca\xF9o.pdf, 1,234 bytes\r\nContent\r\nHello\r\n"},
    };
    for (const auto& c : cases) {
        RecordingMailHost host;
        host.english = c.english;
        tavi::TmsMessageList letters;
        Retrieved(letters);
        tavi::TViewMailFrm viewer(host, letters);
        Activate(viewer);
        EXPECT_EQ(viewer.MemoText(), c.first);
        EXPECT_EQ(host.said.back(),
                  (RecordingMailHost::Said{c.first, "Vni for Win", c.english, true}));
        tavitest::PlayKeys(viewer.Edit1, "{Backspace}9"); // past the last: the last
        EXPECT_EQ(viewer.Position(), 2);
        EXPECT_EQ(viewer.MemoText(), c.second);
        host.Clear();
        tavitest::PlayKeys(viewer.Edit1, "{F2}");
        EXPECT_EQ(host.Texts(), Texts{"ba\xEFn co\xF9 2 th\xF6"});
        // Past either end: a beep, nothing read again.
        host.Clear();
        tavitest::PlayKeys(viewer.Edit1, "{Up}{Down}{Down}{Up}");
        EXPECT_EQ(host.beeps, 2);
        EXPECT_EQ(host.Texts(), (Texts{c.first, c.second}));
        // Tab goes round the fields, each said with its value.
        host.Clear();
        tavitest::PlayKeys(viewer.Edit1, "{Tab}");
        tavitest::PlayKeys(viewer.CheckCodeCnv, "{Tab}");
        tavitest::PlayKeys(viewer.Button1, "{Tab}");
        EXPECT_EQ(host.Texts(),
                  (Texts{tavi::VnBytes(QString::fromUtf8("không Chuyển mã"), "Vni for Dos"),
                         "tr\xF4\xFB ve\xE0", " zzzmeskzb 2"}));
        EXPECT_TRUE(viewer.Edit1->hasFocus());
        // The answer: to the sender, "Re: " once, the letter quoted under who wrote it.
        tavitest::PlayKeys(viewer.Edit1, "{Ctrl+R}");
        ASSERT_EQ(host.answered.size(), 1u);
        EXPECT_EQ(host.answered[0].Recipient, "b@y.org");
        EXPECT_EQ(host.answered[0].Subject, "Re: Hi");
        EXPECT_EQ(host.answered[0].Quote,
                  std::string(c.english ? "On Unknown, b@y.org wrote:"
                                        : "Nga\xF8y Kho\xE2ng ro\xF5, b@y.org \xF1"
                                          "a\xF5 vie\xE1t:") +
                      "\r\n> Hello\r\n");

        tavitest::TempDir dir;
        host.saveName = (dir / "thu.txt").string();
        tavitest::PlayKeys(viewer.Edit1, "{Ctrl+S}"); // the menu's keys, from the number field
        EXPECT_EQ(tavitest::ReadFile(dir / "thu.txt"), c.second);
        tavitest::PlayKeys(viewer.Edit1, "{Ctrl+C}");
        EXPECT_EQ(host.inserted, c.second);

        host.answers = {[](QDialog&) { return int(tavi::mrCancel); },
                        [](QDialog&) { return int(tavi::mrOk); },
                        [](QDialog&) { return int(tavi::mrOk); }};
        host.Clear();
        tavitest::PlayKeys(viewer.Edit1, "{Del}"); // not confirmed
        EXPECT_EQ(letters.Count(), 2u);
        EXPECT_EQ(host.Texts(), Texts{" zzzmeskza "});
        tavitest::PlayKeys(viewer.Edit1, "{Del}");
        EXPECT_EQ(letters.Count(), 1u);
        EXPECT_EQ(viewer.MemoText(), c.first);     // the letter now at its place
        tavitest::PlayKeys(viewer.Edit1, "{Del}"); // the last one: the viewer closes
        EXPECT_EQ(letters.Count(), 0u);
        EXPECT_EQ(viewer.result(), tavi::mrCancel);
        EXPECT_FALSE(viewer.isVisible());
    }
}

// The transfer window through whole conversations: what the user hears, and how it ends.
TEST(MailFrm, SendsAndReceivesSayingHowItWent) {
    const std::string smtpLogin = "S 220 ready\nC EHLO \nS 250 hi\n";
    const std::string pop3Login = "S +OK ready\nC USER ann\nS +OK\nC PASS secret\nS +OK\n";
    const std::string letter = "S From: b@y.org\nS Subject: Hi\nS \nS Hello\nS .\n";
    const struct {
        const char* name;
        tavi::TMailFrm::TMode mode;
        std::string script;
        int result;
        Texts said;
        std::size_t viewerLetters; // letters the viewer was shown with
        int timeout = 60;
        const char* box = nullptr; // with speech off, what the message box says
    } cases[] = {
        {"sent", tavi::TMailFrm::Send,
         smtpLogin + "C MAIL FROM:<ann@x.vn>\nS 250 ok\nC RCPT TO:<bo@y.org>\nS 250 ok\n"
                     "C DATA\nS 354 go\nDATA\nS 250 kept\nC QUIT\nS 221 bye\n",
         tavi::mrOk, Texts{"zzzmesgh ", "zzzmesgd "}, 0},
        {"recipient refused", tavi::TMailFrm::Send,
         smtpLogin + "C MAIL FROM\nS 250 ok\nC RCPT\nS 550 no such user\nC QUIT\nS 221 bye\n",
         tavi::mrCancel, Texts{"zzzmesgh ", "zzzmesge "}, 0},
        {"connection lost", tavi::TMailFrm::Send, smtpLogin + "C MAIL FROM\nRESET\n",
         tavi::mrCancel, Texts{"zzzmesgh ", "zzzmeskp "}, 0},
        {"no letters", tavi::TMailFrm::Receive,
         pop3Login + "C STAT\nS +OK 0 0\nC QUIT\nS +OK bye\n", tavi::mrOk,
         Texts{"zzzmesgh ", "zzzmesgg "}, 0},
        {"two letters", tavi::TMailFrm::Receive,
         pop3Login + "C STAT\nS +OK 2 100\nC LIST 1\nS +OK 1 50\nC RETR 1\nS +OK\n" + letter +
             "C LIST 2\nS +OK 2 50\nC RETR 2\nS +OK\n" + letter + "C QUIT\nS +OK bye\n",
         tavi::mrOk, Texts{"zzzmesgh "}, 2},
        {"login required", tavi::TMailFrm::Send,
         smtpLogin + "C MAIL FROM\nS 530 5.7.0 Authentication required\nC QUIT\nS 221 bye\n",
         tavi::mrCancel, Texts{"zzzmesgh ", "zzzmesgi", "zzzmesgz"}, 0},
        {"login required, speech off", tavi::TMailFrm::Send,
         smtpLogin + "C MAIL FROM\nS 530 5.7.0 Authentication required\nC QUIT\nS 221 bye\n",
         tavi::mrCancel, Texts{}, 0, 60,
         "Máy chủ đòi đăng nhập. Thư chưa được gửi.\n\n530 5.7.0 Authentication required"},
        {"password refused", tavi::TMailFrm::Receive,
         "S +OK ready\nC USER ann\nS +OK\nC PASS secret\nS -ERR [AUTH] Authentication failed.\n"
         "C QUIT\nS +OK bye\n",
         tavi::mrCancel, Texts{"zzzmesgh ", "zzzmesgj", "zzzmeskq"}, 0},
        {"a letter dripped", tavi::TMailFrm::Receive,
         pop3Login + "C STAT\nS +OK 1 50\nC LIST 1\nS +OK 1 50\nC RETR 1\nS +OK\n"
                     "DRIP 150 From: b@y.org\nDRIP 150 \nDRIP 150 Hello, a byte at a time\n"
                     "DRIP 150 .\nS +OK bye\n", // the goodbye ready for a QUIT
         tavi::mrCancel, Texts{"zzzmesgh ", "zzzmeskp "}, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tavitest::TScriptedServer server(c.script);
        server.Start();
        RecordingMailHost host;
        host.soundOn = !c.box;
        std::size_t shown = 0;
        QString box;
        host.answers = {[&shown, &box](QDialog& d) {
            if (auto* viewer = dynamic_cast<tavi::TViewMailFrm*>(&d)) shown = viewer->Count();
            if (auto* message = dynamic_cast<QMessageBox*>(&d)) box = message->text();
            return int(tavi::mrCancel);
        }};
        tavi::TMailFrm transfer(host);
        transfer.Mode = c.mode;
        for (tavi::TagSocket* client : {static_cast<tavi::TagSocket*>(&transfer.msSMTP1),
                                        static_cast<tavi::TagSocket*>(&transfer.msPOP1)}) {
            client->Server = server.Address();
            client->Tls = tavi::TTlsMode::None;
            client->SetTimeOut(c.timeout);
        }
        transfer.msPOP1.UserName = "ann";
        transfer.msPOP1.Password = "secret";
        transfer.msMessage1.Sender = tavi::ParseAddress("ann@x.vn");
        transfer.msMessage1.Recipients.Add("bo@y.org");
        transfer.msMessage1.SetUnicodeBody("Vi\xE1\xBB\x87t Nam");
        const int result = transfer.exec();
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(server.Mismatches(), Texts{});
        EXPECT_EQ(host.Texts(), c.said);
        EXPECT_EQ(shown, c.viewerLetters);
        EXPECT_EQ(box, QString::fromUtf8(c.box ? c.box : ""));
        if (c.mode == tavi::TMailFrm::Send && c.result == tavi::mrOk) {
            ASSERT_EQ(server.Data().size(), 1u);
            EXPECT_NE(server.Data()[0].find("charset=\"utf-8\""), std::string::npos);
            EXPECT_NE(server.Data()[0].find("Vi=E1=BB=87t Nam"), std::string::npos);
        }
    }
}

TEST(LetterText, DatesAndSubjects) {
    const struct {
        const char* header;
        bool english;
        const char* date;
    } dates[] = {{"Mon, 7 Dec 2026 09:05:00 +0700", false, "7/12/26 9 gi\xF4\xF8 05 phu\xF9t "},
                 {"1 Dec 2026 10:00 +0700", true, "1/12/26 10:00 "},
                 {"7 Jan 2005 23:59 GMT", true, "7/1/05 23:59 "},
                 {"tomorrow", true, "Unknown"},
                 {"", false, "Kho\xE2ng ro\xF5"}};
    for (const auto& d : dates) EXPECT_EQ(tavi::LetterDate(d.header, d.english), d.date);

    const std::string vietnamese = "Th\xC6\xB0 g\xE1\xBB\xADi t\xE1\xBB\xAB Vi\xE1\xBB\x87t Nam";
    const std::string subjects[] = {"Hello", vietnamese,
                                    [&] {
                                        std::string s;
                                        for (int i = 0; i < 10; ++i) s += vietnamese + " ";
                                        return s;
                                    }(),
                                    std::string(100, '\x80')}; // not UTF-8: still ends
    for (const std::string& s : subjects) {
        const std::string header = tavi::SubjectHeader(s);
        EXPECT_EQ(tavi::DecodeEncodedWords(header), s);
        std::size_t longest = 0;
        for (std::size_t at = 0, end; at < header.size(); at = end + 1) {
            end = std::min(header.find(' ', at), header.size());
            longest = std::max(longest, end - at);
        }
        EXPECT_LE(longest, 75u) << header; // an encoded word's longest
    }
}

// Sizes as the voices read numbers in words; answers with "Re: " once and the letter quoted.
TEST(LetterText, SizesAndAnswers) {
    const std::pair<std::uint64_t, const char*> sizes[] = {
        {0, "0"}, {999, "999"}, {1000, "1.000"}, {1234567, "1.234.567"}};
    for (const auto& [n, text] : sizes) EXPECT_EQ(tavi::GroupedNumber(n, false), text);
    EXPECT_EQ(tavi::GroupedNumber(1234567, true), "1,234,567");

    const struct {
        const char* letter;
        tavi::TLetterAnswer answer;
    } cases[] = {
        {"From: \"An\" <an@x.vn>\r\nReply-To: list@x.vn\r\nSubject: RE: Hi\r\n"
         "Message-ID: <1@x.vn>\r\nDate: 1 Dec 2026 10:00 +0700\r\n\r\nOne\r\n\r\n> two\r\n\r\n",
         {"list@x.vn", "RE: Hi", "<1@x.vn>",
          "Nga\xF8y 1/12/26 10 gi\xF4\xF8 00 phu\xF9t, An <an@x.vn> \xF1"
          "a\xF5 vie\xE1t:\r\n"
          "> One\r\n>\r\n> > two\r\n"}},
        {"From: an@x.vn\r\n\r\n", // no subject, no date, no body
         {"an@x.vn", "Re: ", "",
          "Nga\xF8y Kho\xE2ng ro\xF5, an@x.vn \xF1"
          "a\xF5 vie\xE1t:\r\n"}},
    };
    for (const auto& c : cases) {
        tavi::TmsMessage letter;
        letter.LoadFromString(c.letter, false);
        EXPECT_EQ(tavi::AnswerTo(letter, false, false), c.answer) << c.letter;
    }
}

// A letter copied into a document stands as paragraphs of its own.
TEST(LetterText, CopiedAsParagraphsOfItsOwn) {
    const struct {
        const char* text;
        char before, after;
        const char* put;
    } cases[] = {
        {"Letter\r\n", '.', '\0', "\r\nLetter\r\n"}, // after the last full stop
        {"Letter", 'a', 'b', "\r\nLetter\r\n"},      // inside a word
        {"Letter", '\0', '\0', "Letter"},            // an empty document
        {"Letter", '\n', '\r', "Letter"},            // between two paragraphs
    };
    for (const auto& c : cases)
        EXPECT_EQ(tavi::AsOwnParagraphs(c.text, c.before, c.after), c.put) << c.text << c.before;
}

} // namespace

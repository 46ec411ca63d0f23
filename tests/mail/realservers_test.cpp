// Letters through real mail servers: OpenSMTPD takes them for the domain tavi.test and delivers
// them into a Maildir that Dovecot serves over POP3. mailservers.sh starts both before these
// tests and names their ports in the file $TAVI_MAILSERVERS.
#include "mail/mailerrors.h"
#include "mail/popclient.h"
#include "mail/smtpclient.h"
#include "support/testdata.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sys/wait.h>

namespace tavi {
namespace {

namespace fs = std::filesystem;

class RealServers : public ::testing::Test {
protected:
    void SetUp() override {
        const char* file = std::getenv("TAVI_MAILSERVERS");
        ASSERT_TRUE(file && fs::exists(file))
            << "the mail servers are not running: run the tests through ctest, whose fixture "
               "starts them with tests/mail/mailservers.sh";
        std::ifstream in(file);
        for (std::string line; std::getline(in, line);) {
            const std::size_t eq = line.find('=');
            if (eq != std::string::npos) Env[line.substr(0, eq)] = line.substr(eq + 1);
        }
        Smtp = "127.0.0.1:" + Env["smtp_port"];
        Pop3 = "127.0.0.1:" + Env["pop3_port"];
        // Each test starts with an empty mailbox.
        Fetch(false);
        ASSERT_EQ(Delivered(), 0u);
    }

    // Letters delivered into the Maildir and not yet deleted.
    std::size_t Delivered() {
        std::size_t n = 0;
        for (const char* sub : {"new", "cur"})
            for (const auto& e : fs::directory_iterator(fs::path(Env["maildir"]) / sub)) {
                (void)e;
                ++n;
            }
        return n;
    }
    // Waits for the server to deliver (it does so after the send has ended).
    void AwaitDelivery(std::size_t letters) {
        QElapsedTimer clock;
        clock.start();
        while (Delivered() < letters && clock.elapsed() < 30000) QThread::msleep(50);
        ASSERT_EQ(Delivered(), letters) << "OpenSMTPD delivered nothing; see " << Env["dir"];
    }

    TmsMessage Letter(const std::string& subject) {
        TmsMessage m;
        m.Sender = {"Ann Tester", "ann@sender.example"};
        m.Recipients.Add("bob@" + Env["domain"], "Bob");
        m.Subject = subject;
        return m;
    }
    void Send(TmsMessage& m) {
        TmsSMTP smtp;
        smtp.Server = Smtp;
        smtp.SetTimeOut(20);
        smtp.MailMessage = &m;
        smtp.SendMail();
    }
    std::unique_ptr<TmsPOP> Fetch(bool keep) {
        auto pop = std::make_unique<TmsPOP>();
        pop->Server = Pop3;
        pop->UserName = Env["user"];
        pop->Password = Env["password"];
        pop->SetTimeOut(20);
        pop->RetrieveAll(keep);
        return pop;
    }

    std::map<std::string, std::string> Env;
    std::string Smtp;
    std::string Pop3;
};

TEST_F(RealServers, LetterGoesThereAndBack) {
    TmsMessage sent = Letter("Round trip");
    sent.Headers.Add("Date: Tue, 2 Jan 2024 08:09:10 +0700");
    sent.SetBodyText("Dear Bob,\r\n.\r\n..two dots\r\n\r\nA line of " + std::string(300, 'x') +
                     "\r\nBye\r\n");
    Send(sent);
    AwaitDelivery(1);

    auto pop = Fetch(true);
    ASSERT_EQ(pop->MessageCount(), 1);
    ASSERT_EQ(pop->MessageList.Count(), 1u);
    const TmsListMessage& got = pop->MessageList.Items(0);
    EXPECT_EQ(got.Sender, sent.Sender);
    EXPECT_EQ(got.Subject, "Round trip");
    EXPECT_EQ(ParseMailDate(got.Headers.GetValue("Date")), (TMailDateTime{2024, 1, 2, 8, 9, 10}));
    EXPECT_EQ(got.Body, sent.Body);
    EXPECT_EQ(Delivered(), 1u); // kept on the server
}

TEST_F(RealServers, VietnameseTextArrivesByteForByte) {
    TmsMessage sent = Letter("Th\xf6 Vi\xe6t");
    sent.CharSet = csISO8859;
    // "Xin chào" and "tiếng Việt" in VNI for Windows: letters with mark bytes above 127.
    sent.SetBodyText("Xin cha\xf8o\r\nTie\xe1ng Vie\xe4t = \xd1\xea\r\n");
    Send(sent);
    AwaitDelivery(1);
    auto pop = Fetch(false);
    ASSERT_EQ(pop->MessageList.Count(), 1u);
    EXPECT_EQ(pop->MessageList.Items(0).Body, sent.Body);
    EXPECT_EQ(Delivered(), 0u); // deleted on the server
}

TEST_F(RealServers, UndatedLetterGetsTodaysDate) {
    TmsMessage sent = Letter("Undated");
    sent.SetBodyText("No date given.\r\n");
    Send(sent);
    AwaitDelivery(1);
    auto pop = Fetch(false);
    ASSERT_EQ(pop->MessageList.Count(), 1u);
    const TmsListMessage& got = pop->MessageList.Items(0);
    EXPECT_EQ(std::count_if(got.Headers.Lines.begin(), got.Headers.Lines.end(),
                            [](const std::string& l) { return StartsWithNoCase(l, "Date:"); }),
              1);
    EXPECT_GE(ParseMailDate(got.Headers.GetValue("Date")).Year, 2024);
}

TEST_F(RealServers, RecipientOfAnotherDomainIsRefused) {
    TmsMessage sent = Letter("Nowhere");
    sent.Recipients.Clear();
    sent.Recipients.Add("someone@elsewhere.example");
    sent.SetBodyText("x\r\n");
    TmsSMTP smtp;
    smtp.Server = Smtp;
    smtp.SetTimeOut(20);
    smtp.MailMessage = &sent;
    std::string rejected;
    smtp.OnAddressRejected = [&](const std::string& address, bool&, const std::string&) {
        rejected = address;
    };
    try {
        smtp.SendMail();
        ADD_FAILURE() << "sent";
    } catch (const EServerError& e) {
        EXPECT_EQ(std::string(e.what()).substr(0, 4), "550 ") << e.what();
    }
    EXPECT_EQ(rejected, "someone@elsewhere.example");
    EXPECT_FALSE(smtp.Connected());
}

TEST_F(RealServers, WrongPasswordIsRefused) {
    TmsPOP pop;
    pop.Server = Pop3;
    pop.UserName = Env["user"];
    pop.Password = "wrong";
    pop.SetTimeOut(20);
    try {
        pop.RetrieveAll(true);
        ADD_FAILURE() << "logged in";
    } catch (const EServerError& e) {
        EXPECT_EQ(std::string(e.what()).substr(0, 4), "-ERR") << e.what();
    }
    EXPECT_FALSE(pop.Connected());
}

TEST_F(RealServers, TavitoolSendsAndFetches) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "body.txt", "Sent by tavitool.\n");
    const std::string tool = (tavitest::BinaryDir() / "bin/tavitool").string();
    int status = -1;
    std::string out = tavitest::RunCommand(
        tool + " mail-send --server " + Smtp +
            " --from 'Ann Tester <ann@sender.example>' --to bob@" + Env["domain"] +
            " --subject 'From the tool' " + (dir / "body.txt").string(),
        status);
    ASSERT_EQ(status, 0) << out;
    AwaitDelivery(1);
    const std::string fetch = tool + " mail-fetch --server " + Pop3 + " --user " + Env["user"] +
                              " --password " + Env["password"];
    out = tavitest::RunCommand(fetch + " --delete", status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.substr(0, out.find("Date: ")), "Letter: 1\n"
                                                 "From-Name: Ann Tester\n"
                                                 "From-Address: ann@sender.example\n");
    EXPECT_NE(out.find("\nSubject: From the tool\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Date: none"), std::string::npos) << out;
    EXPECT_EQ(tavitest::RunCommand(fetch, status), "");
    EXPECT_EQ(status, 0);
    out = tavitest::RunCommand(fetch + "x", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("-ERR"), std::string::npos) << out;
}

} // namespace
} // namespace tavi

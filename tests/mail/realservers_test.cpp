// Letters through real mail servers: OpenSMTPD takes them for the domain tavi.test and delivers
// them into a Maildir that Dovecot serves over POP3; Dovecot also takes them for sending over
// TLS with a login, as providers do. mailservers.sh starts both before these tests, with a
// certificate of a test authority, and names their ports in the file $TAVI_MAILSERVERS.
#include "mail/mailerrors.h"
#include "mail/popclient.h"
#include "mail/smtpclient.h"
#include "support/testdata.h"

#include <QElapsedTimer>
#include <QSslError>
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
        for (const char* key : {"smtp_starttls_port", "smtps_port", "pop3_stls_port", "pop3s_port"})
            ASSERT_FALSE(Env[key].empty()) << key << " missing from " << file;
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
    // A TLS listener on the host given ("tls_host", "misnamed_host"), its port named by key.
    std::string At(const std::string& host, const std::string& portKey) {
        return Env[host] + ":" + Env[portKey];
    }
    // A client of server in the mode given, trusting the test authority, logging in with the
    // account.
    template <class Client>
    void Prepare(Client& client, const std::string& server, TTlsMode mode, bool trusted = true) {
        client.Server = server;
        client.Tls = mode;
        if (trusted) client.CaFile = Env["ca_file"];
        client.UserName = Env["user"];
        client.Password = Env["password"];
        client.SetTimeOut(20);
    }
    // Through the plain listener of OpenSMTPD, without a login.
    void Send(TmsMessage& m) {
        TmsSMTP smtp;
        Prepare(smtp, Smtp, TTlsMode::None);
        smtp.UserName.clear();
        smtp.MailMessage = &m;
        smtp.SendMail();
    }
    std::unique_ptr<TmsPOP> Fetch(bool keep) {
        auto pop = std::make_unique<TmsPOP>();
        Prepare(*pop, Pop3, TTlsMode::None);
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
    Prepare(smtp, Smtp, TTlsMode::None);
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

// Sending with STARTTLS or TLS from the first byte and a login, and fetching the same ways: the
// letter arrives whole, and both connections were encrypted while they carried it.
TEST_F(RealServers, LetterGoesThereAndBackOverTls) {
    struct Case {
        const char* name;
        const char* smtpPort;
        const char* pop3Port;
        TTlsMode mode;
    };
    for (const Case& c : std::vector<Case>{
             {"STARTTLS and STLS", "smtp_starttls_port", "pop3_stls_port", TTlsMode::StartTls},
             {"TLS from the first byte", "smtps_port", "pop3s_port", TTlsMode::Implicit},
         }) {
        TmsMessage sent = Letter(c.name);
        sent.SetBodyText("Dear Bob,\r\n.\r\nsent over TLS\r\n");
        TmsSMTP smtp;
        Prepare(smtp, At("tls_host", c.smtpPort), c.mode);
        smtp.MailMessage = &sent;
        std::vector<std::string> said;
        smtp.OnSentLine = [&](const std::string& line) { said.push_back(line); };
        bool sentEncrypted = false;
        smtp.OnMailSent = [&] { sentEncrypted = smtp.Encrypted(); };
        ASSERT_NO_THROW(smtp.SendMail()) << c.name;
        EXPECT_TRUE(sentEncrypted) << c.name;
        // The server offers PLAIN and LOGIN: PLAIN is taken.
        EXPECT_NE(std::find(said.begin(), said.end(), "AUTH PLAIN ****"), said.end()) << c.name;
        AwaitDelivery(1);

        TmsPOP pop;
        Prepare(pop, At("tls_host", c.pop3Port), c.mode);
        bool fetchedEncrypted = false;
        pop.OnRetrieved = [&](int) { fetchedEncrypted = pop.Encrypted(); };
        ASSERT_NO_THROW(pop.RetrieveAll(false)) << c.name;
        EXPECT_TRUE(fetchedEncrypted) << c.name;
        ASSERT_EQ(pop.MessageList.Count(), 1u) << c.name;
        EXPECT_EQ(pop.MessageList.Items(0).Subject, c.name);
        EXPECT_EQ(pop.MessageList.Items(0).Body, sent.Body) << c.name;
        EXPECT_EQ(Delivered(), 0u) << c.name;
    }
}

// A certificate that is not trusted, or not for the server's name, and a server that does not
// offer STARTTLS when it was asked for: the connection ends before the login and the letter,
// with the reason named.
TEST_F(RealServers, RefusedBeforeAnythingIsSent) {
    const auto problem = [](QSslError::SslError e) {
        return QSslError(e).errorString().toStdString();
    };
    const std::string untrusted = problem(QSslError::UnableToGetLocalIssuerCertificate);
    const std::string misnamed = problem(QSslError::HostNameMismatch);
    struct Case {
        const char* name;
        bool smtp;
        std::string server;
        TTlsMode mode;
        bool trusted;
        int code;
        std::string reason;
    };
    const std::string noOffer = MailResourceString(mailcode::NoEncryptionOffered);
    for (const Case& c : std::vector<Case>{
             {"SMTP STARTTLS, authority not trusted", true, At("tls_host", "smtp_starttls_port"),
              TTlsMode::StartTls, false, mailcode::CertificateRefused, untrusted},
             {"SMTP TLS, authority not trusted", true, At("tls_host", "smtps_port"),
              TTlsMode::Implicit, false, mailcode::CertificateRefused, untrusted},
             {"SMTP TLS, another name", true, At("misnamed_host", "smtps_port"), TTlsMode::Implicit,
              true, mailcode::CertificateRefused, misnamed},
             {"SMTP, no STARTTLS offered", true, Smtp, TTlsMode::StartTls, true,
              mailcode::NoEncryptionOffered, noOffer},
             {"POP3 TLS, authority not trusted", false, At("tls_host", "pop3s_port"),
              TTlsMode::Implicit, false, mailcode::CertificateRefused, untrusted},
             {"POP3 STLS, another name", false, At("misnamed_host", "pop3_stls_port"),
              TTlsMode::StartTls, true, mailcode::CertificateRefused, misnamed},
         }) {
        TmsMessage letter = Letter(c.name);
        letter.SetBodyText("must not arrive\r\n");
        TmsSMTP smtp;
        TmsPOP pop;
        TmsMailBase& client = c.smtp ? static_cast<TmsMailBase&>(smtp) : pop;
        c.smtp ? Prepare(smtp, c.server, c.mode, c.trusted)
               : Prepare(pop, c.server, c.mode, c.trusted);
        smtp.MailMessage = &letter;
        std::vector<std::string> said;
        client.OnSentLine = [&](const std::string& line) { said.push_back(line); };
        try {
            c.smtp ? smtp.SendMail() : pop.RetrieveAll(true);
            ADD_FAILURE() << c.name << ": went through";
        } catch (const ESocketError& e) {
            EXPECT_EQ(e.Code, c.code) << c.name << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos)
                << c.name << ": " << e.what();
        }
        EXPECT_FALSE(client.Connected()) << c.name;
        for (const std::string& line : said)
            EXPECT_TRUE(line.rfind("EHLO ", 0) == 0 || line == "STARTTLS" || line == "STLS" ||
                        line == "QUIT")
                << c.name << ": " << line;
        EXPECT_EQ(pop.MessageList.Count(), 0u) << c.name;
    }
    // None of those letters is on its way: the next one to arrive is the one sent now.
    TmsMessage last = Letter("After the refusals");
    last.SetBodyText("x\r\n");
    Send(last);
    AwaitDelivery(1);
    auto pop = Fetch(false);
    ASSERT_EQ(pop->MessageList.Count(), 1u);
    EXPECT_EQ(pop->MessageList.Items(0).Subject, "After the refusals");
}

// What the servers refuse: a wrong password, a POP3 login before TLS, a letter without a login.
TEST_F(RealServers, ServersRefuseWithTheirWords) {
    struct Case {
        const char* name;
        bool smtp;
        std::string server;
        TTlsMode mode;
        std::string user;
        std::string password;
        std::string reply; // how the server's reply starts
    };
    const std::string user = Env["user"];
    const std::string password = Env["password"];
    for (const Case& c : std::vector<Case>{
             {"POP3 plain, wrong password", false, Pop3, TTlsMode::None, user, "wrong", "-ERR"},
             {"POP3 TLS, wrong password", false, At("tls_host", "pop3s_port"), TTlsMode::Implicit,
              user, "wrong", "-ERR"},
             {"SMTP STARTTLS, wrong password", true, At("tls_host", "smtp_starttls_port"),
              TTlsMode::StartTls, user, "wrong", "535 "},
             // Dovecot takes the client on its own address for a secure one: this one comes
             // from another.
             {"POP3 login before TLS", false, At("tls_host", "pop3_stls_port"), TTlsMode::None,
              user, password, "-ERR [AUTH] Plaintext authentication disallowed"},
             {"SMTP letter without a login", true, At("tls_host", "smtps_port"), TTlsMode::Implicit,
              "", "", "530 "},
         }) {
        TmsMessage letter = Letter(c.name);
        letter.SetBodyText("must not arrive\r\n");
        TmsSMTP smtp;
        TmsPOP pop;
        c.smtp ? Prepare(smtp, c.server, c.mode) : Prepare(pop, c.server, c.mode);
        smtp.UserName = pop.UserName = c.user;
        smtp.Password = pop.Password = c.password;
        smtp.MailMessage = &letter;
        try {
            c.smtp ? smtp.SendMail() : pop.RetrieveAll(true);
            ADD_FAILURE() << c.name << ": went through";
        } catch (const EServerError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, c.reply.size()), c.reply)
                << c.name << ": " << e.what();
        }
        EXPECT_FALSE(smtp.Connected() || pop.Connected()) << c.name;
    }
    EXPECT_EQ(Delivered(), 0u);
}

// tavitool sends a Vietnamese letter (its body in VNI, told by detection) over STARTTLS with
// a password from a file, and fetches it over TLS with the password from the environment.
TEST_F(RealServers, TavitoolSendsAndFetches) {
    tavitest::TempDir dir;
    // "Xin chào" and "tiếng Việt" in VNI for Windows.
    tavitest::WriteFile(dir / "body.txt", "Xin cha\xf8o,\r\ntie\xe1ng Vie\xe4t.\r\n");
    tavitest::WriteFile(dir / "password", Env["password"] + "\n");
    const std::string tool = (tavitest::BinaryDir() / "bin/tavitool").string();
    const std::string tls = " --ca-file " + Env["ca_file"] + " --user " + Env["user"];
    int status = -1;
    std::string out = tavitest::RunCommand(
        tool + " mail-send --server " + At("tls_host", "smtp_starttls_port") + tls +
            " --password-file " + (dir / "password").string() +
            " --from 'Ann Tester <ann@sender.example>' --to bob@" + Env["domain"] +
            " --subject 'Thư Việt' " + (dir / "body.txt").string(),
        status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out, "");
    AwaitDelivery(1);
    std::string stored;
    for (const auto& e : fs::directory_iterator(fs::path(Env["maildir"]) / "new"))
        stored += tavitest::ReadFile(e.path());
    EXPECT_NE(stored.find("charset=\"utf-8\""), std::string::npos) << stored;
    // The Maildir keeps lines with LF alone.
    EXPECT_NE(stored.find("\nXin ch=C3=A0o,\nti=E1=BA=BFng Vi=E1=BB=87t.\n"), std::string::npos)
        << stored;

    const std::string fetch = "TAVI_MAIL_PASSWORD='" + Env["password"] + "' " + tool +
                              " mail-fetch --tls implicit --server " +
                              At("tls_host", "pop3s_port") + tls;
    out = tavitest::RunCommand(fetch + " --delete", status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.substr(0, out.find("Date: ")), "Letter: 1\n"
                                                 "From-Name: Ann Tester\n"
                                                 "From-Address: ann@sender.example\n");
    EXPECT_NE(out.find("\nSubject: Thư Việt\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("Date: none"), std::string::npos) << out;
    EXPECT_EQ(tavitest::RunCommand(fetch, status), "");
    EXPECT_EQ(status, 0);

    // A password on the command line works, with a warning; a plain connection is chosen.
    const std::string plain = tool + " mail-fetch --tls none --server " + Pop3 + " --user " +
                              Env["user"] + " --password ";
    out = tavitest::RunCommand(plain + Env["password"], status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("warning: a password given with --password is visible"), std::string::npos)
        << out;
    out = tavitest::RunCommand(plain + "wrong", status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("-ERR"), std::string::npos) << out;
}

} // namespace
} // namespace tavi

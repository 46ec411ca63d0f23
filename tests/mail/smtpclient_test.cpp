// The SMTP client against scripted servers: every step of a send, EHLO and the fall-back HELO,
// the login the server offers, STARTTLS refused or abused, a password kept from a plain
// connection, the recipients in order, refused recipients, unwelcome replies, and the closing
// that always comes.
#include "mail/mailerrors.h"
#include "mail/scriptedserver.h"
#include "mail/smtpclient.h"

#include <QTimer>

#include <gtest/gtest.h>

namespace tavi {
namespace {

using tavitest::TScriptedServer;

TmsMessage Letter() {
    TmsMessage m;
    m.Sender = {"Ann", "ann@x.org"};
    m.Recipients.Add("bob@y.org");
    m.Subject = "Hello";
    m.SetBodyText("First line\r\n.\r\nLast line\r\n");
    return m;
}

// The server's part of a send that goes well, from the sender to the goodbye, and from the
// greeting on.
const std::string AfterLogin = "C MAIL FROM:<ann@x.org>\n"
                               "S 250 ok\n"
                               "C RCPT TO:<bob@y.org>\n"
                               "S 250 ok\n"
                               "C DATA\n"
                               "S 354 go ahead\n"
                               "DATA\n"
                               "S 250 queued\n"
                               "C QUIT\n"
                               "S 221 bye\n";
const std::string Accepting = "S 220 mail.y.org ready\nC EHLO \nS 250 hello\n" + AfterLogin;

struct TSend {
    TmsSMTP smtp;
    TmsMessage message = Letter();
    std::vector<std::string> events;

    explicit TSend(const TScriptedServer& server) {
        smtp.Server = server.Address();
        smtp.Tls = TTlsMode::None;
        smtp.SetTimeOut(5);
        smtp.MailMessage = &message;
        smtp.OnOpen = [this] { events.push_back("open"); };
        smtp.OnPrepare = [this] { events.push_back("prepare"); };
        smtp.OnSending = [this] { events.push_back("sending"); };
        smtp.OnMailSent = [this] { events.push_back("sent"); };
        smtp.OnClosing = [this] { events.push_back("closing"); };
        smtp.OnClosed = [this] { events.push_back("closed"); };
        smtp.OnError = [this](const std::string& m) { events.push_back("error:" + m); };
    }
    // The message of the failure SendMail raised; empty when it succeeded.
    template <class E = EMailError> std::string Failure() {
        try {
            smtp.SendMail();
        } catch (const E& e) {
            return e.what();
        }
        return {};
    }
};

TEST(SmtpSend, WholeConversation) {
    TScriptedServer server(Accepting);
    server.Start();
    TSend send(server);
    int lastPercent = -2;
    send.smtp.OnProgress = [&](int p, std::uint64_t) {
        if (p > 0) lastPercent = p;
    };
    EXPECT_EQ(send.Failure(), "");
    EXPECT_FALSE(send.smtp.Connected());
    EXPECT_EQ(send.events, (std::vector<std::string>{"open", "prepare", "sending", "sent",
                                                     "closing", "closed"}));
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(server.Mismatches(), std::vector<std::string>{});
    ASSERT_EQ(server.Data().size(), 1u);
    const std::string& data = server.Data()[0];
    // Dated, dot-stuffed, and ended by the dot line alone: no blank line added at the end.
    EXPECT_EQ(data.rfind("Date: ", 0), 0u) << data;
    EXPECT_NE(data.find("\r\nFrom:     Ann <ann@x.org>\r\n"), std::string::npos) << data;
    EXPECT_NE(data.find("\r\n..\r\n"), std::string::npos) << data;
    EXPECT_EQ(data.substr(data.size() - 13), "\r\nLast line\r\n") << data;
    EXPECT_EQ(server.Lines().front().rfind("EHLO ", 0), 0u);
}

TEST(SmtpSend, OwnDateIsKept) {
    TScriptedServer server(Accepting);
    server.Start();
    TSend send(server);
    send.message.Headers.Add("Date: Tue, 2 Jan 2024 08:09:10 +0700");
    EXPECT_EQ(send.Failure(), "");
    ASSERT_EQ(server.Data().size(), 1u);
    const std::string& data = server.Data()[0];
    EXPECT_EQ(data.find("Date: "), data.rfind("Date: "));
    EXPECT_NE(data.find("Date: Tue, 2 Jan 2024 08:09:10 +0700\r\n"), std::string::npos);
}

TEST(SmtpLogin, EhloThenHeloThenABareHelo) {
    struct Case {
        const char* name;
        std::string hello;
        std::vector<std::string> said; // the client's lines up to the sender, its name as NAME
        std::string failure;
    };
    for (const Case& c : std::vector<Case>{
             {"EHLO taken", "C EHLO \nS 250 hi\n" + AfterLogin, {"EHLO NAME"}, ""},
             {"EHLO refused",
              "C EHLO \nS 500 what\nC HELO \nS 250 hi\n" + AfterLogin,
              {"EHLO NAME", "HELO NAME"},
              ""},
             {"both refused",
              "C EHLO \nS 500 what\nC HELO \nS 501 bad host name\nC HELO\nS 250 hi anyway\n" +
                  AfterLogin,
              {"EHLO NAME", "HELO NAME", "HELO"},
              ""},
             {"all three refused",
              "C EHLO \nS 500 what\nC HELO \nS 501 no\nC HELO\nS 502 still no\nC QUIT\n"
              "S 221 bye\n",
              {"EHLO NAME", "HELO NAME", "HELO", "QUIT"},
              "502 still no"},
         }) {
        TScriptedServer server("S 220 ready\n" + c.hello);
        server.Start();
        TSend send(server);
        EXPECT_EQ(send.Failure<EServerError>(), c.failure) << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
        std::vector<std::string> said;
        for (const std::string& l : server.Lines()) {
            if (l.rfind("MAIL", 0) == 0) break;
            const std::size_t blank = l.find(' ');
            said.push_back(blank == std::string::npos ? l : l.substr(0, blank) + " NAME");
        }
        EXPECT_EQ(said, c.said) << c.name;
        EXPECT_FALSE(send.smtp.Connected()) << c.name;
    }
}

TEST(SmtpLogin, LoginTheServerOffers) {
    struct Case {
        const char* name;
        const char* offer;
        std::string login; // the conversation from AUTH on
        std::string failure;
        std::vector<std::string> logged; // the client's lines after EHLO as OnSentLine heard them
    };
    for (const Case& c : std::vector<Case>{
             {"PLAIN first",
              "250 AUTH LOGIN PLAIN",
              "C AUTH PLAIN AHRlc3RlcgBzM2NyZXQ=\nS 235 2.7.0 ok\n" + AfterLogin,
              "",
              {"AUTH PLAIN ****", "MAIL FROM:<ann@x.org>"}},
             {"LOGIN when alone",
              "250 AUTH LOGIN",
              "C AUTH LOGIN\nS 334 VXNlcm5hbWU6\nC dGVzdGVy\nS 334 UGFzc3dvcmQ6\nC czNjcmV0\n"
              "S 235 ok\n" +
                  AfterLogin,
              "",
              {"AUTH LOGIN", "dGVzdGVy", "****", "MAIL FROM:<ann@x.org>"}},
             {"no login asked for", "250 SIZE 1000", AfterLogin, "", {"MAIL FROM:<ann@x.org>"}},
             {"password refused",
              "250 AUTH PLAIN",
              "C AUTH PLAIN AHRlc3RlcgBzM2NyZXQ=\nS 535 5.7.8 bad credentials\nC QUIT\n"
              "S 221 bye\n",
              "535 5.7.8 bad credentials",
              {"AUTH PLAIN ****", "QUIT"}},
             {"no mechanism known",
              "250 AUTH CRAM-MD5",
              "C QUIT\nS 221 bye\n",
              "The server offers no login this program knows (AUTH PLAIN or LOGIN)",
              {"QUIT"}},
         }) {
        TScriptedServer server(std::string("S 220 ready\nC EHLO \nS 250-mail.y.org\nS ") + c.offer +
                               "\n" + c.login);
        server.Start();
        TSend send(server);
        send.smtp.UserName = "tester";
        send.smtp.Password = "s3cret";
        std::vector<std::string> logged;
        send.smtp.OnSentLine = [&](const std::string& line) {
            if (line.rfind("EHLO", 0) != 0) logged.push_back(line);
        };
        EXPECT_EQ(send.Failure(), c.failure) << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
        logged.resize(std::min(logged.size(), c.logged.size()));
        EXPECT_EQ(logged, c.logged) << c.name;
        EXPECT_EQ(server.Data().size(), c.failure.empty() ? 1u : 0u) << c.name;
    }
}

// What a client that asked for STARTTLS does when the server does not encrypt as it should:
// it stops before the login and the letter.
TEST(SmtpLogin, StartTlsRefusedOrAbused) {
    struct Case {
        const char* name;
        std::string script;
        std::string raw; // sent as it is after the script
        int code;
    };
    const std::string offer = "S 220 ready\nC EHLO \nS 250-mail.y.org\n";
    for (const Case& c : std::vector<Case>{
             {"not offered", offer + "S 250 AUTH PLAIN LOGIN\nC QUIT\nS 221 bye\n", "",
              mailcode::NoEncryptionOffered},
             {"an old server without EHLO",
              "S 220 ready\nC EHLO \nS 500 what\nC HELO \nS 250 hi\nC QUIT\nS 221 bye\n", "",
              mailcode::NoEncryptionOffered},
             // What follows the go-ahead in the clear would pass for encrypted later.
             {"plain bytes after the go-ahead",
              offer + "S 250-STARTTLS\nS 250 AUTH PLAIN\nC STARTTLS\n",
              "220 go ahead\r\n250 AUTH PLAIN\r\n", mailcode::PlainBeforeTls},
             {"closed instead of the handshake",
              offer + "S 250-STARTTLS\nS 250 AUTH PLAIN\nC STARTTLS\nS 220 go ahead\nCLOSE\n", "",
              mailcode::TlsFailed},
         }) {
        TScriptedServer server(c.script);
        server.Raw(c.raw).Script("STALL").Start();
        TSend send(server);
        send.smtp.Tls = TTlsMode::StartTls;
        send.smtp.UserName = "tester";
        send.smtp.Password = "s3cret";
        try {
            send.smtp.SendMail();
            ADD_FAILURE() << c.name << ": sent";
        } catch (const ESocketError& e) {
            EXPECT_EQ(e.Code, c.code) << c.name << ": " << e.what();
        }
        EXPECT_FALSE(send.smtp.Connected()) << c.name;
        for (const std::string& l : server.Lines())
            EXPECT_TRUE(l.rfind("EHLO", 0) == 0 || l.rfind("HELO", 0) == 0 || l == "STARTTLS" ||
                        l == "QUIT")
                << c.name << ": " << l;
    }
}

// A server that is not on this machine never sees the password over a plain connection, not
// even when it asks for it.
TEST(SmtpLogin, NoPasswordOverAPlainConnectionToAnotherMachine) {
    const std::string outward = tavitest::OutwardAddress();
    if (outward.empty()) GTEST_SKIP() << "this machine has no address but loopback";
    TScriptedServer server("S 220 ready\nC EHLO \nS 250-mail.y.org\nS 250 AUTH PLAIN LOGIN\n"
                           "C QUIT\nS 221 bye\n");
    server.Start(outward);
    TSend send(server);
    send.smtp.UserName = "tester";
    send.smtp.Password = "s3cret";
    try {
        send.smtp.SendMail();
        ADD_FAILURE() << "sent";
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Code, mailcode::PlainPassword) << e.what();
    }
    EXPECT_EQ(server.Mismatches(), std::vector<std::string>{});
    ASSERT_EQ(server.Lines().size(), 2u);
    EXPECT_EQ(server.Lines()[1], "QUIT");
}

TEST(SmtpLogin, GreetingOfManyLinesIsReadBeforeEhlo) {
    TScriptedServer server("S 220-mail.y.org\n"
                           "S 220-welcome\n"
                           "PAUSE 300\n"
                           "QUIET\n"
                           "S 220 ready\n"
                           "C EHLO \n"
                           "S 250 hello\n" +
                           AfterLogin);
    server.Start();
    TSend send(server);
    EXPECT_EQ(send.Failure(), "");
    EXPECT_EQ(server.Mismatches(), std::vector<std::string>{});
}

TEST(SmtpEnvelope, RecipientsInOrder) {
    struct Case {
        const char* name;
        std::vector<std::string> envelope;
        std::vector<std::string> rcpts;
    };
    for (const Case& c : std::vector<Case>{
             {"to, cc, bcc", {}, {"a@y.org", "b@y.org", "c@y.org", "d@y.org", "e@y.org"}},
             {"envelope list", {"z@y.org", "w@y.org"}, {"z@y.org", "w@y.org"}},
         }) {
        std::string script = "S 220 ready\nC EHLO\nS 250 hi\nC MAIL FROM:<ann@x.org>\nS 250 ok\n";
        for (const std::string& r : c.rcpts) script += "C RCPT TO:<" + r + ">\nS 250 ok\n";
        script += "C DATA\nS 354 go\nDATA\nS 250 ok\nC QUIT\nS 221 bye\n";
        TScriptedServer server(script);
        server.Start();
        TSend send(server);
        send.message.Recipients.Clear();
        for (const char* a : {"a@y.org", "b@y.org", "c@y.org"}) send.message.Recipients.Add(a);
        send.message.CC.Add("d@y.org");
        send.message.BCC.Add("e@y.org");
        send.smtp.EnvelopeRecipients = c.envelope;
        EXPECT_EQ(send.Failure(), "") << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
        const auto lines = server.Lines();
        std::vector<std::string> rcpts;
        for (const std::string& l : lines)
            if (l.rfind("RCPT TO:<", 0) == 0) rcpts.push_back(l.substr(9, l.size() - 10));
        EXPECT_EQ(rcpts, c.rcpts) << c.name;
        // Blind copies stay blind.
        EXPECT_EQ(server.Data().at(0).find("e@y.org"), std::string::npos) << c.name;
    }
}

TEST(SmtpEnvelope, RefusedRecipient) {
    for (bool proceed : {false, true}) {
        std::string script = "S 220 ready\nC EHLO\nS 250 hi\nC MAIL FROM\nS 250 ok\n"
                             "C RCPT TO:<bob@y.org>\nS 550 no such user\n";
        script += proceed ? "C RCPT TO:<cy@y.org>\nS 250 ok\nC DATA\nS 354 go\nDATA\nS 250 ok\n"
                            "C QUIT\nS 221 bye\n"
                          : "C QUIT\nS 221 bye\n";
        TScriptedServer server(script);
        server.Start();
        TSend send(server);
        send.message.Recipients.Add("cy@y.org");
        std::vector<std::string> rejected;
        send.smtp.OnAddressRejected = [&](const std::string& address, bool& go,
                                          const std::string& reply) {
            rejected.push_back(address + " " + reply);
            go = proceed;
        };
        EXPECT_EQ(send.Failure(), proceed ? "" : "550 no such user");
        EXPECT_EQ(rejected, std::vector<std::string>{"bob@y.org 550 no such user"});
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << proceed;
        EXPECT_EQ(server.Data().size(), proceed ? 1u : 0u);
        EXPECT_FALSE(send.smtp.Connected());
    }
}

TEST(SmtpSend, UnwelcomeRepliesFailWithTheServersWords) {
    struct Case {
        const char* name;
        std::string script;
        std::string failure;
    };
    const std::string login = "S 220 ready\nC EHLO\nS 250 hi\n";
    for (const Case& c : std::vector<Case>{
             {"greeting refused", "S 554 go away\nC QUIT\nS 221 bye\n", "554 go away"},
             {"sender refused", login + "C MAIL\nS 553 not you\nC QUIT\nS 221 bye\n",
              "553 not you"},
             {"DATA answered 250",
              login + "C MAIL\nS 250 ok\nC RCPT\nS 250 ok\nC DATA\n"
                      "S 250 fine\nC QUIT\nS 221 bye\n",
              "250 fine"},
             {"message refused",
              login + "C MAIL\nS 250 ok\nC RCPT\nS 250 ok\nC DATA\n"
                      "S 354 go\nDATA\nS 552 too big\nC QUIT\nS 221 bye\n",
              "552 too big"},
             // The closing step fails too, but the first failure is what the user hears of.
             {"goodbye refused after a failure",
              login + "C MAIL\nS 553 not you\nC QUIT\nS 500 what\n", "553 not you"},
             // After a successful transfer a refused goodbye is still a failure.
             {"goodbye refused",
              login + "C MAIL\nS 250 ok\nC RCPT\nS 250 ok\nC DATA\n"
                      "S 354 go\nDATA\nS 250 ok\nC QUIT\nS 500 what\n",
              "500 what"},
         }) {
        TScriptedServer server(c.script);
        server.Start();
        TSend send(server);
        EXPECT_EQ(send.Failure<EServerError>(), c.failure) << c.name;
        EXPECT_FALSE(send.smtp.Connected()) << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
        EXPECT_EQ(server.Lines().back(), "QUIT") << c.name;
        EXPECT_NE(std::find(send.events.begin(), send.events.end(), "error:" + c.failure),
                  send.events.end())
            << c.name;
    }
}

TEST(SmtpSend, MessageChecksBeforeTheEnvelope) {
    struct Case {
        const char* name;
        bool assigned;
        bool sender;
        bool recipient;
        const char* failure;
    };
    for (const Case& c : std::vector<Case>{
             {"no message", false, true, true, "MailMessage property must be assigned"},
             {"no sender", true, false, true, "The address of sender is required"},
             {"no recipient", true, true, false,
              "At least one Recipient, CC or BCC must be entered"},
         }) {
        TScriptedServer server("S 220 ready\nC EHLO\nS 250 hi\nC QUIT\nS 221 bye\n");
        server.Start();
        TSend send(server);
        if (!c.assigned) send.smtp.MailMessage = nullptr;
        if (!c.sender) send.message.Sender = {};
        if (!c.recipient) send.message.Recipients.Clear();
        EXPECT_EQ(send.Failure(), c.failure) << c.name;
        EXPECT_EQ(send.events.back(), "closed") << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
    }
}

TEST(SmtpSend, ServerRequired) {
    TmsSMTP smtp;
    TmsMessage m = Letter();
    smtp.MailMessage = &m;
    try {
        smtp.SendMail();
        ADD_FAILURE();
    } catch (const ESocketError& e) {
        EXPECT_EQ(e.Code, 57002);
    }
}

TEST(SmtpSend, CancelEndsTheTransferWithoutAGoodbye) {
    TScriptedServer server("S 220 ready\nC EHLO\nS 250 hi\nC MAIL\nS 250 ok\nC RCPT\nS 250 ok\n"
                           "C DATA\nSTALL\n");
    server.Start();
    TSend send(server);
    send.smtp.SetTimeOut(30);
    send.smtp.OnSending = [&] { QTimer::singleShot(100, [&] { send.smtp.Cancel(); }); };
    EXPECT_EQ(send.Failure<ECanceledError>(), "Operation has been canceled");
    EXPECT_FALSE(send.smtp.Connected());
    EXPECT_EQ(server.Lines().back(), "DATA");
    EXPECT_TRUE(server.ClientClosed());
}

TEST(SmtpSend, HostileServersEndInAnError) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* ending;
    };
    for (const Case& c : std::vector<Case>{
             {"silence", "", "STALL"},
             {"binary junk", std::string("\x01\xff\x00garbage\r\n\x7f\x80", 14), "STALL"},
             {"endless greeting", "220 " + std::string(2000000, 'g'), "STALL"},
             {"hang up at once", "", "RESET"},
             {"close inside a reply", "220-a\r\n220-b\r\n", "CLOSE"},
         }) {
        TScriptedServer server;
        server.Raw(c.bytes).Script(c.ending).Start();
        TSend send(server);
        send.smtp.SetTimeOut(1);
        EXPECT_THROW(send.smtp.SendMail(), EMailError) << c.name;
        EXPECT_FALSE(send.smtp.Connected()) << c.name;
        EXPECT_LE(send.smtp.LastReply().size(), 1024u) << c.name;
    }
}

} // namespace
} // namespace tavi

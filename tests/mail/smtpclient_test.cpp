// The SMTP client against scripted servers: every step of a send, the fall-back HELO, the
// recipients in order, refused recipients, unwelcome replies, and the closing that always comes.
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
const std::string Accepting = "S 220 mail.y.org ready\nC HELO \nS 250 hello\n" + AfterLogin;

struct TSend {
    TmsSMTP smtp;
    TmsMessage message = Letter();
    std::vector<std::string> events;

    explicit TSend(const TScriptedServer& server) {
        smtp.Server = server.Address();
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
    EXPECT_EQ(server.Lines().front().rfind("HELO ", 0), 0u);
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

TEST(SmtpLogin, HeloRefusedThenBareHelo) {
    TScriptedServer server(
        "S 220 ready\nC HELO \nS 501 bad host name\nC HELO\nS 250 hello anyway\n" + AfterLogin);
    server.Start();
    TSend send(server);
    EXPECT_EQ(send.Failure(), "");
    const auto lines = server.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines[0], "HELO");
    EXPECT_EQ(lines[1], "HELO");
    EXPECT_EQ(server.Mismatches(), std::vector<std::string>{});
}

TEST(SmtpLogin, BothHelosRefused) {
    TScriptedServer server("S 220 ready\nC HELO \nS 501 no\nC HELO\nS 502 still no\nC QUIT\n"
                           "S 221 bye\n");
    server.Start();
    TSend send(server);
    EXPECT_EQ(send.Failure<EServerError>(), "502 still no");
    EXPECT_FALSE(send.smtp.Connected());
}

TEST(SmtpLogin, GreetingOfManyLinesIsReadBeforeHelo) {
    TScriptedServer server("S 220-mail.y.org\n"
                           "S 220-welcome\n"
                           "PAUSE 300\n"
                           "QUIET\n"
                           "S 220 ready\n"
                           "C HELO \n"
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
        std::string script = "S 220 ready\nC HELO\nS 250 hi\nC MAIL FROM:<ann@x.org>\nS 250 ok\n";
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
        std::string script = "S 220 ready\nC HELO\nS 250 hi\nC MAIL FROM\nS 250 ok\n"
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
    const std::string login = "S 220 ready\nC HELO\nS 250 hi\n";
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
        TScriptedServer server("S 220 ready\nC HELO\nS 250 hi\nC QUIT\nS 221 bye\n");
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
    TScriptedServer server("S 220 ready\nC HELO\nS 250 hi\nC MAIL\nS 250 ok\nC RCPT\nS 250 ok\n"
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

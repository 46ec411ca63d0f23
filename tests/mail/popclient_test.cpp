// The POP3 client against scripted servers: login, STLS refused or abused, the password kept
// from a plain connection, STAT, retrieving with and without deleting, failures part way, and
// servers that misbehave.
#include "mail/mailerrors.h"
#include "mail/popclient.h"
#include "mail/scriptedserver.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

using tavitest::TScriptedServer;

const std::string Login = "S +OK ready\n"
                          "C USER tester\n"
                          "S +OK\n"
                          "C PASS s3cret\n"
                          "S +OK logged in\n"
                          "C STAT\n";

// The server's answers to LIST and RETR of message n, which has the subject "Letter n".
std::string Retrieve(int n) {
    const std::string num = std::to_string(n);
    return "C LIST " + num + "\nS +OK " + num + " 60\nC RETR " + num + "\nS +OK 60 octets\n" +
           "S From: Ann <ann@x.org>\nS Subject: Letter " + num + "\nS \nS Body of letter " + num +
           "\nS ..dotted\nS .\n";
}

struct TFetch {
    TmsPOP pop;
    std::vector<std::string> events;

    explicit TFetch(const TScriptedServer& server) {
        pop.Server = server.Address();
        pop.Tls = TTlsMode::None;
        pop.UserName = "tester";
        pop.Password = "s3cret";
        pop.SetTimeOut(5);
        pop.OnRetrieving = [this](int i) { events.push_back("retrieving " + std::to_string(i)); };
        pop.OnRetrieved = [this](int i) { events.push_back("retrieved " + std::to_string(i)); };
        pop.OnDeleting = [this](int i) { events.push_back("deleting " + std::to_string(i)); };
        pop.OnClosed = [this] { events.push_back("closed"); };
    }
    template <class E = EMailError> std::string Failure(bool keep) {
        try {
            pop.RetrieveAll(keep);
        } catch (const E& e) {
            return e.what();
        }
        return {};
    }
};

// What the client said, with the password left out.
std::vector<std::string> Commands(TScriptedServer& server) {
    std::vector<std::string> lines;
    for (const std::string& l : server.Lines())
        if (l.rfind("USER", 0) != 0 && l.rfind("PASS", 0) != 0 && l != "STAT") lines.push_back(l);
    return lines;
}

TEST(PopRetrieve, EmptyMailbox) {
    TScriptedServer server(Login + "S +OK 0 0\nC QUIT\nS +OK bye\n");
    server.Start();
    TFetch fetch(server);
    EXPECT_EQ(fetch.Failure(false), "");
    EXPECT_EQ(fetch.pop.MessageCount(), 0);
    EXPECT_EQ(fetch.pop.MessageList.Count(), 0u);
    EXPECT_EQ(server.Lines(),
              (std::vector<std::string>{"USER tester", "PASS s3cret", "STAT", "QUIT"}));
    EXPECT_EQ(fetch.events, std::vector<std::string>{"closed"});
}

TEST(PopRetrieve, KeepOnServerOrDeleteRightAfter) {
    for (bool keep : {true, false}) {
        std::string script = Login + "S +OK 2 120\n";
        for (int n = 1; n <= 2; ++n)
            script += Retrieve(n) + (keep ? "" : "C DELE " + std::to_string(n) + "\nS +OK\n");
        script += "C QUIT\nS +OK bye\n";
        TScriptedServer server(script);
        server.Start();
        TFetch fetch(server);
        EXPECT_EQ(fetch.Failure(keep), "") << keep;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << keep;
        const std::vector<std::string> kept = {"LIST 1", "RETR 1", "LIST 2", "RETR 2", "QUIT"};
        const std::vector<std::string> deleted = {"LIST 1", "RETR 1", "DELE 1", "LIST 2",
                                                  "RETR 2", "DELE 2", "QUIT"};
        EXPECT_EQ(Commands(server), keep ? kept : deleted);
        const std::vector<std::string> keptEvents = {"retrieving 0", "retrieved 0", "retrieving 1",
                                                     "retrieved 1", "closed"};
        const std::vector<std::string> deletedEvents = {"retrieving 0", "retrieved 0", "deleting 0",
                                                        "retrieving 1", "retrieved 1", "deleting 1",
                                                        "closed"};
        EXPECT_EQ(fetch.events, keep ? keptEvents : deletedEvents);
        ASSERT_EQ(fetch.pop.MessageList.Count(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            const TmsListMessage& m = fetch.pop.MessageList.Items(i);
            EXPECT_EQ(m.Subject, "Letter " + std::to_string(i + 1));
            EXPECT_EQ(m.Sender.Address, "ann@x.org");
            EXPECT_EQ(m.Body, (std::vector<std::string>{"Body of letter " + std::to_string(i + 1),
                                                        ".dotted"}));
        }
    }
}

TEST(PopRetrieve, FailureInTheThirdLeavesTheFirstTwoDeleted) {
    TScriptedServer server(Login + "S +OK 3 180\n" + Retrieve(1) + "C DELE 1\nS +OK\n" +
                           Retrieve(2) + "C DELE 2\nS +OK\n" +
                           "C LIST 3\nS +OK 3 60\nC RETR 3\nS -ERR message vanished\n"
                           "C QUIT\nS +OK bye\n");
    server.Start();
    TFetch fetch(server);
    EXPECT_EQ(fetch.Failure<EServerError>(false), "-ERR message vanished");
    EXPECT_EQ(Commands(server),
              (std::vector<std::string>{"LIST 1", "RETR 1", "DELE 1", "LIST 2", "RETR 2", "DELE 2",
                                        "LIST 3", "RETR 3", "QUIT"}));
    EXPECT_EQ(fetch.pop.MessageList.Count(), 2u);
    EXPECT_FALSE(fetch.pop.Connected());
}

TEST(PopLogin, RefusedPasswordClosesTheConnection) {
    TScriptedServer server("S +OK ready\nC USER tester\nS +OK\nC PASS\n"
                           "S -ERR [AUTH] Authentication failed.\nC QUIT\nS +OK bye\n");
    server.Start();
    TFetch fetch(server);
    EXPECT_EQ(fetch.Failure<EServerError>(true), "-ERR [AUTH] Authentication failed.");
    EXPECT_FALSE(fetch.pop.Connected());
    EXPECT_EQ(fetch.pop.MessageCount(), -1);
    EXPECT_EQ(server.Mismatches(), std::vector<std::string>{});
    EXPECT_TRUE(server.ClientClosed());
}

// A client that asked for STLS stops before the user name when the server does not encrypt as
// it should; so does a plain connection to a server on another machine.
TEST(PopLogin, NoLoginWithoutEncryption) {
    struct Case {
        const char* name;
        std::string script;
        std::string raw; // sent as it is after the script
        TTlsMode mode;
        bool outward; // the server listens on an address that is not loopback
        int code;
    };
    for (const Case& c : std::vector<Case>{
             {"STLS refused", "S +OK ready\nC STLS\nS -ERR unknown command\n", "",
              TTlsMode::StartTls, false, mailcode::NoEncryptionOffered},
             {"plain bytes after the go-ahead", "S +OK ready\nC STLS\n",
              "+OK begin TLS\r\n+OK injected\r\n", TTlsMode::StartTls, false,
              mailcode::PlainBeforeTls},
             {"closed instead of the handshake", "S +OK ready\nC STLS\nS +OK go\nCLOSE\n", "",
              TTlsMode::StartTls, false, mailcode::TlsFailed},
             {"plain to another machine", "S +OK ready\n", "", TTlsMode::None, true,
              mailcode::PlainPassword},
         }) {
        const std::string outward = tavitest::OutwardAddress();
        if (c.outward && outward.empty()) continue; // no address but loopback here
        TScriptedServer server(c.script);
        server.Raw(c.raw).Script("STALL");
        c.outward ? server.Start(outward) : server.Start();
        TFetch fetch(server);
        fetch.pop.Tls = c.mode;
        try {
            fetch.pop.RetrieveAll(true);
            ADD_FAILURE() << c.name << ": logged in";
        } catch (const ESocketError& e) {
            EXPECT_EQ(e.Code, c.code) << c.name << ": " << e.what();
        }
        EXPECT_FALSE(fetch.pop.Connected()) << c.name;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << c.name;
        for (const std::string& l : server.Lines()) EXPECT_EQ(l, "STLS") << c.name;
    }
}

TEST(PopLogin, StatWithGarbageNumbers) {
    for (const char* stat : {"+OK abc def", "+OK 99999999999999999999 1", "+OK -1 5", "+OK",
                             "+OK 3000000000 1", "+OK 2"}) {
        TScriptedServer server(Login + "S " + stat + "\nC QUIT\nS +OK bye\n");
        server.Start();
        TFetch fetch(server);
        EXPECT_EQ(fetch.Failure<EServerError>(true), stat);
        EXPECT_EQ(fetch.pop.MessageList.Count(), 0u) << stat;
        EXPECT_EQ(server.Mismatches(), std::vector<std::string>{}) << stat;
    }
}

TEST(PopLogin, AccountRequired) {
    struct Case {
        const char* user;
        const char* password;
        int code;
    };
    for (const Case& c : std::vector<Case>{{"", "x", 57103}, {"u", "", 57104}}) {
        TmsPOP pop;
        pop.Server = "127.0.0.1:1";
        pop.UserName = c.user;
        pop.Password = c.password;
        try {
            pop.RetrieveAll(true);
            ADD_FAILURE() << c.code;
        } catch (const ESocketError& e) {
            EXPECT_EQ(e.Code, c.code);
        }
    }
}

TEST(PopRetrieve, HostileServersEndInAnError) {
    struct Case {
        const char* name;
        std::string script;
        std::string raw;
        const char* ending;
    };
    const std::string toRetr = Login + "S +OK 1 10\nC LIST 1\nS +OK 1 10\nC RETR 1\nS +OK\n";
    for (const Case& c : std::vector<Case>{
             {"message without its dot, then closed", toRetr, "Subject: x\r\n\r\nbody\r\n",
              "CLOSE"},
             {"message without its dot, then silence", toRetr, "Subject: x\r\n\r\nbody\r\n",
              "STALL"},
             {"greeting never comes", "", "", "STALL"},
             {"junk for a greeting", "", std::string("\0\0\xff\r\n", 5), "STALL"},
             {"endless LIST answer", Login + "S +OK 1 10\nC LIST 1\n",
              "+OK " + std::string(3000000, '9'), "STALL"},
             {"reset inside RETR", toRetr, "Subject: x\r\n", "RESET"},
             // Each byte comes before a second is out; the letter as a whole takes ten.
             {"a letter dripped a byte at a time",
              toRetr + "DRIP 150 Subject: slow\nDRIP 150 \nDRIP 150 a body that comes far too "
                       "slowly\nDRIP 150 .\nC QUIT\nS +OK bye\n",
              "", ""},
         }) {
        TScriptedServer server(c.script);
        server.Raw(c.raw).Script(c.ending).Start();
        TFetch fetch(server);
        fetch.pop.SetTimeOut(1);
        EXPECT_THROW(fetch.pop.RetrieveAll(true), EMailError) << c.name;
        EXPECT_FALSE(fetch.pop.Connected()) << c.name;
        EXPECT_EQ(fetch.pop.MessageList.Count(), 0u) << c.name;
    }
}

TEST(PopRetrieve, ProgressScaledByTheListedSize) {
    const std::string body(4000, 'b');
    TScriptedServer server(Login + "S +OK 1 4020\nC LIST 1\nS +OK 1 4020\nC RETR 1\nS +OK\n" +
                           "S Subject: big\nS \nS " + body + "\nS .\nC QUIT\nS +OK bye\n");
    server.Start();
    TFetch fetch(server);
    std::vector<int> percents;
    fetch.pop.OnProgress = [&](int p, std::uint64_t) { percents.push_back(p); };
    EXPECT_EQ(fetch.Failure(true), "");
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(fetch.pop.MessageList.Items(0).Body.at(0), body);
}

// tavitool mail-fetch lists each letter as it comes, so a letter that fails later leaves the
// ones before it listed; the time limit ends a letter that comes a byte at a time.
TEST(PopTool, LettersListedAsTheyComeWithinTheTimeLimit) {
    TScriptedServer server(Login + "S +OK 2 120\n" + Retrieve(1) +
                           "C LIST 2\nS +OK 2 60\nC RETR 2\nS +OK\nDRIP 150 Subject: slow\n"
                           "DRIP 150 \nDRIP 150 a body far too slow\nDRIP 150 .\nS +OK bye\n");
    server.Start();
    int status = -1;
    const std::string out = tavitest::RunCommand(
        "TAVI_MAIL_PASSWORD=s3cret " + (tavitest::BinaryDir() / "bin/tavitool").string() +
            " mail-fetch --tls none --timeout 1 --user tester --server " + server.Address(),
        status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "Letter: 1\nFrom-Name: Ann\nFrom-Address: ann@x.org\nDate: none\n"
                   "Subject: Letter 1\ntavitool mail-fetch: Operation timed out\n");
}

} // namespace
} // namespace tavi

// Server replies taken apart without sockets: reply lines, codes, STAT and LIST, the end of a
// retrieved message, server names, what an EHLO reply offers; the connection security modes and
// when a password may go; and the dial-up status texts and nmcli listings.
#include "mail/dialentries.h"
#include "mail/mailerrors.h"
#include "mail/mailheaders.h"
#include "mail/mailreplies.h"
#include "mail/refusal.h"
#include "mail/tlsmode.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavi {
namespace {

// Feeds the bytes in pieces of the given size and collects the complete lines.
std::vector<std::string> Lines(std::string_view bytes, std::size_t piece,
                               std::vector<bool>* truncated = nullptr) {
    std::vector<std::string> lines;
    TReplyLineReader reader;
    while (!bytes.empty()) {
        std::string_view chunk = bytes.substr(0, piece);
        while (!chunk.empty()) {
            const std::size_t used = reader.Feed(chunk);
            chunk.remove_prefix(used);
            bytes.remove_prefix(used);
            if (reader.Complete()) {
                lines.push_back(reader.Line());
                if (truncated) truncated->push_back(reader.Truncated());
                reader.Clear();
            }
        }
    }
    return lines;
}

TEST(ReplyLineReader, LinesInAnyPieces) {
    const std::string text = "220 ready\r\n250-a\r\n\r\n250 b\n+OK\r\r\n";
    const std::vector<std::string> expected = {"220 ready", "250-a", "", "250 b", "+OK"};
    for (std::size_t piece : {1, 2, 3, 7, 1000}) EXPECT_EQ(Lines(text, piece), expected) << piece;
}

TEST(ReplyLineReader, LongLineKeepsItsStartAndTheNextLine) {
    const std::string exact(TReplyLineReader::MaxLine, 'x');
    const std::string longer = "220 " + std::string(5000, 'y');
    const std::string text = exact + "\r\n" + longer + "\r\n250 next\r\n";
    for (std::size_t piece : {1, 100, 4096}) {
        std::vector<bool> truncated;
        const auto lines = Lines(text, piece, &truncated);
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[0], exact);
        EXPECT_FALSE(truncated[0]);
        EXPECT_EQ(lines[1], longer.substr(0, TReplyLineReader::MaxLine));
        EXPECT_TRUE(truncated[1]);
        EXPECT_EQ(lines[2], "250 next");
    }
}

TEST(ReplyLineReader, LineWithoutEndStaysIncompleteAndSmall) {
    TReplyLineReader reader;
    const std::string junk(1 << 20, '\0');
    EXPECT_EQ(reader.Feed(junk), junk.size());
    EXPECT_FALSE(reader.Complete());
    EXPECT_TRUE(reader.Truncated());
    EXPECT_LE(reader.Line().size(), TReplyLineReader::MaxLine);
    // Taken once complete: nothing more until cleared.
    EXPECT_EQ(reader.Feed("\nrest"), 1u);
    EXPECT_EQ(reader.Feed("rest"), 0u);
}

TEST(ReplyCodes, SmtpAndPop) {
    struct Case {
        const char* line;
        int smtp;
        int pop;
    };
    for (const Case& c : std::vector<Case>{{"250 ok", 250, 0},
                                           {"354", 354, 0},
                                           {"25", -1, 0},
                                           {"2x0 ok", -1, 0},
                                           {"", -1, 0},
                                           {"+OK 2 320", -1, 1},
                                           {"-ERR no", -1, -1},
                                           {" 250", -1, 0}}) {
        EXPECT_EQ(SmtpReplyCode(c.line), c.smtp) << c.line;
        EXPECT_EQ(PopReplyCode(c.line), c.pop) << c.line;
    }
}

TEST(ReplyCodes, EndOfMultiLineReply) {
    EXPECT_FALSE(EndsMultiLineReply("250-first", 250));
    EXPECT_TRUE(EndsMultiLineReply("250 last", 250));
    EXPECT_TRUE(EndsMultiLineReply("250", 250));
    EXPECT_FALSE(EndsMultiLineReply("251 other", 250));
    EXPECT_FALSE(EndsMultiLineReply("250x", 250));
}

TEST(StatReply, NumbersAndGarbage) {
    struct Case {
        const char* line;
        bool ok;
        long long count, size;
    };
    for (const Case& c : std::vector<Case>{{"+OK 2 320", true, 2, 320},
                                           {"+OK 0 0", true, 0, 0},
                                           {"+OK 3 4500 extra words", true, 3, 4500},
                                           {"+OK  7\t99", true, 7, 99},
                                           {"+OK", false, 0, 0},
                                           {"+OK 2", false, 0, 0},
                                           {"+OK abc def", false, 0, 0},
                                           {"+OK -1 5", false, 0, 0},
                                           {"+OK 2x 5", false, 0, 0},
                                           {"+OK 2 5y", false, 0, 0},
                                           {"+OK 99999999999999999999 1", false, 0, 0}}) {
        const auto r = ParseStatReply(c.line);
        ASSERT_EQ(r.has_value(), c.ok) << c.line;
        if (!c.ok) continue;
        EXPECT_EQ(r->Count, c.count) << c.line;
        EXPECT_EQ(r->Size, c.size) << c.line;
    }
}

TEST(ListReply, SizeAfterTheNumber) {
    EXPECT_EQ(ParseListSize("+OK 1 120"), 120);
    EXPECT_EQ(ParseListSize("+OK 12 0"), 0);
    EXPECT_EQ(ParseListSize("+OK 1"), 0);
    EXPECT_EQ(ParseListSize("+OK 1 lots"), 0);
    EXPECT_EQ(ParseListSize("+OK"), 0);
    EXPECT_EQ(ParseListSize("+OK 1 123456789012345678901"), 0);
}

TEST(DataEnd, FoundInAnyPieces) {
    struct Case {
        std::string data;
        std::size_t end; // bytes up to and including the final dot line; npos: none
    };
    const std::size_t none = std::string_view::npos;
    for (const Case& c : std::vector<Case>{
             {"Subject: x\r\n\r\nbody\r\n.\r\n", 23},
             {".\r\n", 3},
             {"..\r\n.\r\n", 7},
             {"a\r\n.\r\nNEXT", 6},
             {"a\r\n.x\r\n", none},
             {"a\n.\n", none},
             {"a\r\n.\r", none},
             {"a\r\r\n.\r\r\n.\r\n", 11},
         }) {
        for (std::size_t piece : {1, 2, 5, 100}) {
            TDataEndFinder finder;
            std::size_t used = 0, found = none;
            for (std::size_t at = 0; at < c.data.size() && found == none; at += piece) {
                const std::string_view chunk = std::string_view(c.data).substr(at, piece);
                const std::size_t n = finder.Feed(chunk);
                if (n != none) found = used + n;
                used += chunk.size();
            }
            EXPECT_EQ(found, c.end) << c.data << " in pieces of " << piece;
            EXPECT_EQ(finder.Found(), c.end != none);
        }
    }
}

TEST(ServerName, HostAndPort) {
    struct Case {
        const char* text;
        const char* host;
        int port; // 0: none
    };
    for (const Case& c : std::vector<Case>{{"mail.example.com", "mail.example.com", 0},
                                           {"mail.example.com:2525", "mail.example.com", 2525},
                                           {" 10.0.0.1:110 ", "10.0.0.1", 110},
                                           {"host:smtp", "host", 0},
                                           {"host:", "host", 0},
                                           {"host:0", "host", 0},
                                           {"host:65536", "host", 0},
                                           {"host:99999999999", "host", 0},
                                           {"host:65535", "host", 65535},
                                           {":25", "", 25},
                                           {"", "", 0},
                                           {"::1", "::1", 0},
                                           {"[::1]:2525", "::1", 2525},
                                           {"[::1]", "::1", 0},
                                           {"[::1", "[::1", 0}}) {
        const TServerName s = SplitServer(c.text);
        EXPECT_EQ(s.Host, c.host) << c.text;
        EXPECT_EQ(s.Port.value_or(0), c.port) << c.text;
    }
}

TEST(EhloReply, ExtensionsAndTheLoginChosen) {
    struct Case {
        const char* name;
        std::vector<std::string> lines;
        bool startTls;
        bool auth;
        TSmtpAuth chosen;
    };
    for (const Case& c : std::vector<Case>{
             {"greeting only", {"250 mail.y.org"}, false, false, TSmtpAuth::None},
             {"nothing", {}, false, false, TSmtpAuth::None},
             {"both, PLAIN first",
              {"250-mail.y.org Hello", "250-STARTTLS", "250 AUTH LOGIN PLAIN"},
              true,
              true,
              TSmtpAuth::Plain},
             {"LOGIN only", {"250-mail.y.org", "250 AUTH LOGIN"}, false, true, TSmtpAuth::Login},
             {"old form with =",
              {"250-x", "250-AUTH=LOGIN", "250 SIZE=100"},
              false,
              true,
              TSmtpAuth::Login},
             {"any case, tabs",
              {"250-x", "250-starttls", "250 auth\tcram-md5\tplain"},
              true,
              true,
              TSmtpAuth::Plain},
             {"unknown mechanisms",
              {"250-x", "250 AUTH CRAM-MD5 XOAUTH2"},
              false,
              true,
              TSmtpAuth::None},
             // Dovecot before TLS: a login, but no mechanism that may go in the clear.
             {"no mechanism yet",
              {"250-x", "250-AUTH ", "250 STARTTLS"},
              true,
              true,
              TSmtpAuth::None},
             // The greeting line names the server: a server called STARTTLS offers nothing.
             {"name in the first line",
              {"250-STARTTLS", "250 AUTHX PLAIN"},
              false,
              false,
              TSmtpAuth::None},
             {"words inside other words",
              {"250-x", "250-XSTARTTLS", "250 X-AUTH PLAIN"},
              false,
              false,
              TSmtpAuth::None},
             {"short lines", {"250-x", "250", "25", "250 "}, false, false, TSmtpAuth::None},
         }) {
        const TSmtpExtensions offered = ParseEhloReply(c.lines);
        EXPECT_EQ(offered.StartTls, c.startTls) << c.name;
        EXPECT_EQ(offered.Auth, c.auth) << c.name;
        EXPECT_EQ(ChooseSmtpAuth(offered), c.chosen) << c.name;
    }
}

TEST(TlsMode, NamesAndTheDefaultForThePort) {
    struct Case {
        const char* text;
        std::optional<TTlsMode> mode;
    };
    for (const Case& c : std::vector<Case>{{"none", TTlsMode::None},
                                           {"STARTTLS", TTlsMode::StartTls},
                                           {"Implicit", TTlsMode::Implicit},
                                           {"tls", std::nullopt},
                                           {"", std::nullopt},
                                           {"none ", std::nullopt}}) {
        EXPECT_EQ(ParseTlsMode(c.text), c.mode) << c.text;
        if (c.mode) {
            EXPECT_EQ(ParseTlsMode(TlsModeName(*c.mode)), c.mode) << c.text;
        }
    }
    struct PortCase {
        int port;
        TTlsMode mode;
    };
    for (const PortCase& c : std::vector<PortCase>{{465, TTlsMode::Implicit},
                                                   {995, TTlsMode::Implicit},
                                                   {25, TTlsMode::StartTls},
                                                   {587, TTlsMode::StartTls},
                                                   {110, TTlsMode::StartTls},
                                                   {0, TTlsMode::StartTls}})
        EXPECT_EQ(DefaultTlsMode(c.port), c.mode) << c.port;
}

TEST(TlsMode, PasswordOnlyEncryptedOrToThisMachine) {
    struct Case {
        const char* address;
        bool loopback;
    };
    for (const Case& c : std::vector<Case>{{"127.0.0.1", true},
                                           {"127.1.2.3", true},
                                           {"::1", true},
                                           {"0:0:0:0:0:0:0:1", true},
                                           {"::ffff:127.0.0.1", true},
                                           {"::FFFF:127.0.0.1", true},
                                           {"10.0.0.1", false},
                                           {"128.0.0.1", false},
                                           {"1127.0.0.1", false},
                                           {"127.0.0", false},
                                           {"127.0.0.1.5", false},
                                           {"127.0.0.256", false},
                                           {"127..0.1", false},
                                           {"::ffff:10.0.0.1", false},
                                           {"::2", false},
                                           {"localhost", false},
                                           {"", false}}) {
        EXPECT_EQ(IsLoopbackAddress(c.address), c.loopback) << c.address;
        EXPECT_EQ(MaySendSecret(false, c.address), c.loopback) << c.address;
        EXPECT_TRUE(MaySendSecret(true, c.address)) << c.address;
    }
}

TEST(Progress, PercentRoundedAndBounded) {
    EXPECT_EQ(ProgressPercent(2047, 5000), 41);
    EXPECT_EQ(ProgressPercent(5000, 5000), 100);
    EXPECT_EQ(ProgressPercent(6000, 5000), 100);
    EXPECT_EQ(ProgressPercent(10, 0), -1);
    EXPECT_EQ(ProgressPercent(10, -5), -1);
}

TEST(TransportErrors, TextsByNumber) {
    EXPECT_EQ(TransportErrorText(57000), "Operation timed out");
    EXPECT_EQ(TransportErrorText(57008), "You have to connect to the server first");
    EXPECT_EQ(TransportErrorText(mailcode::NoEncryptionOffered),
              "The server does not offer to encrypt the connection, so nothing was sent");
    EXPECT_EQ(TransportErrorText(57104), "Password property is required");
    EXPECT_EQ(TransportErrorText(10054), "Connection reset by peer");
    EXPECT_EQ(TransportErrorText(10061), "Connection refused");
    EXPECT_EQ(TransportErrorText(10999), "Error #10999");
    EXPECT_EQ(TransportErrorText(57006), "Error #57006");
}

TEST(DialEntries, StatusTextsAndStatesWithoutOne) {
    EXPECT_EQ(RasStatusText(4), "Dialing...");
    EXPECT_EQ(RasStatusText(19), "Verifying user name and password");
    EXPECT_EQ(RasStatusText(1), "");
    EXPECT_EQ(RasStatusText(8193), "");
}

TEST(DialEntries, NmcliTerseListing) {
    const auto rows = ParseNmcliTerse("Home Wi-Fi:802-11-wireless:activated\n"
                                      "VPN\\: office\\\\x:vpn:\n"
                                      "\n"
                                      "lo:loopback:activated\r\n"
                                      "last");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"Home Wi-Fi", "802-11-wireless", "activated"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"VPN: office\\x", "vpn", ""}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"lo", "loopback", "activated"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"last"}));
}

// What a failed transfer says, from the server's reply: the reason, then that the letter did
// not go (or come). The message box shows the sentences the prompts are recorded with.
TEST(Refusal, ReasonThenOutcome) {
    using F = TFailure;
    using P = std::vector<std::string>;
    const struct {
        F failure;
        bool sending;
        std::string text;
        P prompts;
    } cases[] = {
        {F::Refused, true, "530 5.7.0 Authentication required", {"zzzmesgi", "zzzmesgz"}},
        {F::Refused,
         true,
         "530 5.5.1 Invalid command: Must issue an AUTH command",
         {"zzzmesgi", "zzzmesgz"}},
        {F::Refused,
         true,
         "535 5.7.8 Authentication credentials invalid",
         {"zzzmesgj", "zzzmesgz"}},
        {F::Refused,
         true,
         "530 5.7.0 Must issue a STARTTLS command first",
         {"zzzmesgf", "zzzmesgz"}},
        {F::Refused, true, "552 5.3.4 Message size exceeds fixed limit", {"zzzmesgx", "zzzmesgz"}},
        {F::Refused, true, "554 5.7.1 Message rejected as spam", {"zzzmesgy", "zzzmesgz"}},
        {F::Refused, false, "-ERR [AUTH] Authentication failed.", {"zzzmesgj", "zzzmeskq"}},
        {F::Local, true, "The address of sender is required", {"zzzmesgz"}},
        {F::ConnectionLost, false, "Operation timed out", {"zzzmeskp "}},
    };
    const std::string recorded =
        tavitest::ReadFile(tavitest::SourceDir() / "data/speech/prompts.txt");
    for (const auto& c : cases) {
        const TFailureNotice notice = FailureNotice(c.failure, c.sending, c.text);
        EXPECT_EQ(notice.Prompts, c.prompts) << c.text;
        std::string sentences;
        for (const std::string& key : c.prompts) {
            const std::size_t at = recorded.find("\n" + std::string(TrimBlanks(key)) + "\t");
            ASSERT_NE(at, std::string::npos) << key << " is not recorded";
            const std::size_t start = recorded.find('\t', at) + 1;
            sentences += (sentences.empty() ? "" : " ") +
                         recorded.substr(start, recorded.find('\n', start) - start);
        }
        EXPECT_EQ(notice.BoxText, sentences + (c.text.empty() ? "" : "\n\n" + c.text)) << c.text;
    }
}

} // namespace
} // namespace tavi

// What the mail servers say, taken apart without any socket: reply lines cut from the received
// bytes, SMTP and POP3 reply codes, the numbers of STAT and LIST, the end of a message sent
// after RETR, and the "host:port" form of a server name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// Cuts received bytes into reply lines. A line is kept up to MaxLine bytes; the rest of a longer
// line is skipped up to its line feed, so the next reply still starts on a line of its own and a
// line that never ends costs no memory.
class TReplyLineReader {
public:
    static constexpr std::size_t MaxLine = 1024;

    // Takes bytes up to and including the first line feed; returns how many it took. Once a
    // line feed has been taken, Complete() is true until Clear().
    std::size_t Feed(std::string_view bytes);
    bool Complete() const { return FComplete; }
    // The line without its trailing CR and LF characters.
    std::string Line() const;
    // Whether bytes were skipped because the line was longer than MaxLine.
    bool Truncated() const { return FTruncated; }
    // Nothing received yet for the present line.
    bool Empty() const { return FLine.empty() && !FTruncated && !FComplete; }
    void Clear();

private:
    std::string FLine;
    bool FComplete = false;
    bool FTruncated = false;
};

// SMTP: the first three characters as a number, -1 when they are not three digits.
int SmtpReplyCode(std::string_view line);
// POP3: 1 for a line starting with "+", -1 for "-", 0 for anything else (an empty line too).
int PopReplyCode(std::string_view line);
// Whether a line ends a multi-line SMTP reply that began with code: the same code followed by a
// blank or by nothing. A line "250-..." goes on; so does a line of any other code.
bool EndsMultiLineReply(std::string_view line, int code);

// The message count and total size of a POP3 STAT answer ("+OK 2 320"); nothing when the line
// does not hold two numbers that fit.
struct TStatReply {
    long long Count = 0;
    long long Size = 0;
};
std::optional<TStatReply> ParseStatReply(std::string_view line);
// The size in a POP3 LIST answer for one message ("+OK 1 120"): the number after the message
// number, 0 when there is none.
long long ParseListSize(std::string_view line);

// Finds the end of a message sent in transfer form: the line "." (CR LF "." CR LF, or "." CR LF
// at the very start, which is an empty message). Bytes may come in any pieces.
class TDataEndFinder {
public:
    // Looks at the next piece; returns how many of its bytes belong to the message (the end
    // included), or npos when the end is not in it.
    std::size_t Feed(std::string_view bytes);
    bool Found() const { return FState == 5; }
    void Clear() { FState = 2; }

private:
    // How much of CR LF "." CR LF has been seen; the start counts as just after a CR LF.
    int FState = 2;
};

// A server name with an optional ":port" (and "[v6 address]:port").
struct TServerName {
    std::string Host;
    // The port when the text after the colon is a port number (1 to 65535).
    std::optional<std::uint16_t> Port;
};
TServerName SplitServer(std::string_view server);

// What an SMTP server offers in its EHLO reply, whose lines after the first name one extension
// each ("250-STARTTLS", "250 AUTH PLAIN LOGIN"; old servers write "AUTH=LOGIN").
struct TSmtpExtensions {
    bool StartTls = false;
    bool Auth = false; // an AUTH line, whatever its mechanisms
    bool AuthPlain = false;
    bool AuthLogin = false;
};
TSmtpExtensions ParseEhloReply(const std::vector<std::string>& lines);

// The SMTP login to use: PLAIN when offered (one round trip), else LOGIN; None when the server
// offers neither.
enum class TSmtpAuth { None, Plain, Login };
TSmtpAuth ChooseSmtpAuth(const TSmtpExtensions& offered);

// Progress of a transfer in percent, rounded and at most 100; -1 when the size is unknown.
int ProgressPercent(std::uint64_t position, std::int64_t size);

} // namespace tavi

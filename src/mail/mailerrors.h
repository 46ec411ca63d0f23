// The exception and the message texts of the mail layer.
#pragma once

#include <stdexcept>
#include <string>

namespace tavi {

// A failure inside the mail classes; the message is one of the texts below.
class EMailError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The transport's failures (socket, dial-up, server replies). Each message was passed to the
// component's OnError first, except the dial-up errors.
class ESocketError : public EMailError {
public:
    ESocketError(const std::string& message, int code) : EMailError(message), Code(code) {}
    int Code; // the socket error number (10054...), or the number of its text (57000...)
};
class ETimedOutError : public EMailError {
public:
    using EMailError::EMailError;
};
class ECanceledError : public EMailError {
public:
    using EMailError::EMailError;
};
// The network layer is switched off (WinsockLoaded false).
class EWinsockDLLError : public EMailError {
public:
    using EMailError::EMailError;
};
// A dial-up failure; Code is the dial-up program's exit status.
class ERASError : public EMailError {
public:
    ERASError(const std::string& message, int code) : EMailError(message), Code(code) {}
    int Code;
};
// The server answered a step with a reply the step does not accept; the message is that reply
// line.
class EServerError : public EMailError {
public:
    using EMailError::EMailError;
};

// Texts the message layer raises or writes.
namespace mailtext {
inline constexpr const char* InvalidCharacter = "Invalid Character";
inline constexpr const char* MultipartPreamble = "This is a multipart message in MIME format";
inline constexpr const char* NoClosingBoundary = "Cannot find closing boundary";
inline constexpr const char* NoBoundary = "Cannot find boundary";
inline constexpr const char* AttachmentError = "Error decoding the attachment";
inline constexpr const char* SenderRequired = "The address of sender is required";
inline constexpr const char* RecipientRequired =
    "At least one Recipient, CC or BCC must be entered";
inline constexpr const char* BadListOwner = "Owner of TmsListMessage must be TmsMessageList";
inline constexpr const char* ErrorBodyLine1 =
    "The following error has been occured while processing the message:";
inline constexpr const char* ErrorBodyLine3 =
    "The original message will be stored as an attachment";
inline constexpr const char* OriginalMessageName = "original.eml";
// The transport's own texts beyond the numbered ones.
inline constexpr const char* DataTooLarge = "The message is larger than the client accepts";
inline constexpr const char* LineBreakInCommand =
    "A command to the server may not hold a line break";
} // namespace mailtext

// The numbers of the mail layer's own failures (ESocketError::Code), whose texts
// MailResourceString gives.
namespace mailcode {
inline constexpr int TimedOut = 57000;
inline constexpr int Canceled = 57001;
inline constexpr int NoServer = 57002;
inline constexpr int HostNotFound = 57004;
inline constexpr int NoServiceName = 57005;
inline constexpr int NotConnected = 57008;
inline constexpr int NetworkOff = 57011;
inline constexpr int NoMessage = 57102;
inline constexpr int NoUserName = 57103;
inline constexpr int NoPassword = 57104;
// The secure transport's.
inline constexpr int CertificateRefused = 57013; // the text goes on with the reasons
inline constexpr int TlsFailed = 57014;          // the text goes on with the reason
inline constexpr int NoEncryptionOffered = 57015;
inline constexpr int PlainPassword = 57016;
inline constexpr int NoKnownLogin = 57017;
inline constexpr int CaFileUnreadable = 57018; // the text goes on with the file's name
inline constexpr int PlainBeforeTls = 57019;
} // namespace mailcode

// The numbered texts of the whole mail layer (57000 to 57118: transport, clients and messages),
// or nullptr for a number that has none. Some hold a printf-style %s or %d.
const char* MailResourceString(int id);

// The message of transport failure n: below 10000 and above 11004 the numbered text above;
// in between the text of that socket error number; "Error #n" when there is none.
std::string TransportErrorText(int n);

} // namespace tavi

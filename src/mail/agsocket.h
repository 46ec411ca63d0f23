// The client socket under the mail protocols: finds the server, connects, and exchanges reply
// lines and whole messages with it. Every wait keeps the program's events flowing (so the mail
// window goes on speaking and a cancel button works) until the awaited event, a cancel or the
// time-out.
#pragma once

#include "codes/memorystream.h"
#include "mail/agras.h"
#include "mail/mailreplies.h"
#include "mail/timecounter.h"
#include "mail/tlsmode.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QSslSocket;

namespace tavi {

class TagSocket : public QObject {
    Q_OBJECT
public:
    explicit TagSocket(QObject* parent = nullptr);
    // Writes the log to LogFileName when one is named.
    ~TagSocket() override;

    // The network layer is part of the program, so it is always there to load; switched off,
    // Connect fails with EWinsockDLLError.
    bool WinsockLoaded() const { return FWinsockLoaded; }
    void SetWinsockLoaded(bool loaded) { FWinsockLoaded = loaded; }
    // The dial-up component dialled by Connect and hung up by Disconnect; cleared when that
    // component is destroyed.
    TagRas* RAS() const { return FRas; }
    void SetRAS(TagRas* ras) { FRas = ras; }

    // Host name or address, optionally followed by ":" and a port number.
    std::string Server;
    // The port when Server names none and the service lookup finds none.
    int DefaultPort = 0;
    // The longest one exchange with the server may take as a whole, in seconds: a command
    // with its whole answer (a letter after RETR included), the connection with the
    // greeting, a letter sent. A server that answers a byte at a time cannot stretch it.
    int TimeOut() const { return FTimer.TimeOut(); }
    void SetTimeOut(int seconds) { FTimer.SetTimeOut(seconds); }
    // Where the conversation is written when the component is destroyed.
    std::string LogFileName;
    // The largest message ReceiveData takes; a server sending more is cut off.
    std::uint64_t MaxDataSize = std::uint64_t{64} << 20;
    // How the connection is protected; unset, the default for the port actually used
    // (DefaultTlsMode). A plain connection has to be asked for.
    std::optional<TTlsMode> Tls;
    // A PEM file of certificates trusted beside the system's authorities, for servers with an
    // authority of their own.
    std::string CaFile;

    std::function<void()> OnOpen;
    std::function<void()> OnClosing;
    std::function<void()> OnClosed;
    std::function<void()> OnCancel;
    std::function<void(const std::string& message)> OnError;
    // Each reply line read, and each line sent (as it is logged).
    std::function<void(const std::string& line)> OnReply;
    std::function<void(const std::string& line)> OnSentLine;
    // Transfer progress: percent (-1 when the size is unknown) and bytes so far.
    std::function<void(int percent, std::uint64_t bytes)> OnProgress;

    // Dials, finds the server's address and port, and makes the socket; the protocols connect
    // it at login.
    virtual void Connect();
    // Closes the socket (OnClosing, OnClosed) and hangs up what the dial-up component dialled.
    virtual void Disconnect();
    // Ends the present or the next wait with ECanceledError.
    void Cancel();
    // Whether there is a socket (made by Connect, until Disconnect).
    bool Connected() const { return FSocket != nullptr; }
    // Connects the socket; with implicit TLS also makes the secure connection, so a server
    // whose certificate is refused never hears a command.
    void SocketConnect();
    // The protection in force: Tls, or the default for the port (Server's, else DefaultPort,
    // until Connect has found the port).
    TTlsMode TlsMode() const;
    // Whether the connection is encrypted now.
    bool Encrypted() const;

    // Reads one reply line and returns its code. Lines are kept up to 1024 bytes; the rest of a
    // longer line is skipped. The server closing the connection before the line is complete
    // is a lost connection (10054). The reads after a command share its time.
    int ReadLine();
    // Reads a reply of one or more lines ("250-..." up to "250 ..."); returns the first line's
    // code, and the last line becomes LastReply; ReplyLines() has them all.
    int ReadReply();
    // Sends the text and CR LF, and starts the time of the command; logAs replaces the text in
    // the log and OnSentLine (passwords). A text holding CR or LF is refused: it would be two
    // commands.
    void SendLine(const std::string& text, std::string_view logAs = {});
    // Hands the message that follows a RETR to sink block by block, up to and including the
    // line "."; size (from LIST) only scales the progress. A sink that fails ends the
    // connection: the rest of the message would still be coming.
    using TDataSink = std::function<void(std::string_view bytes)>;
    void ReceiveData(const TDataSink& sink, std::int64_t size);
    // The same, appended to stream.
    void ReceiveData(TMemoryStream& stream, std::int64_t size);
    // Sends the whole stream from its start in blocks of 2047 bytes, all within TimeOut.
    void SendStream(std::istream& stream);

    // The code of a reply line; here the first three characters as a number, -1 when they are
    // not one.
    virtual int ReplyCode(std::string_view line) const;
    // Clears the canceled, timed-out, lookup, error and event flags before a new connection.
    virtual void Reset();

    const std::string& LastReply() const { return FLastReply; }
    // The lines of the last reply ReadReply read (at most MaxReplyLines; more are skipped).
    const std::vector<std::string>& ReplyLines() const { return FReplyLines; }
    static constexpr std::size_t MaxReplyLines = 100;
    const std::string& LocalHost() const { return FLocalHost; }
    const QHostAddress& RemoteAddress() const { return FAddress; }
    std::uint16_t Port() const { return FPort; }
    bool Canceled() const { return FCanceled; }
    const std::vector<std::string>& Log() const { return FLog; }

protected:
    // The service whose port is looked up when Server names none ("smtp", "pop3").
    std::string ServiceName;

    // Whether the conversation can go on: the connection is up (SocketConnect succeeded and
    // nobody closed it) and has not failed.
    bool SocketOpen() const;
    // Passes message to OnError.
    void ReportError(const std::string& message);
    // Failure n, as a socket error: its text to OnError, for 10054 and the failures of the
    // secure connection the socket closed first, then ESocketError. fallback is the text when n
    // has none of its own; detail, when given, follows the text after a colon.
    [[noreturn]] void SocketError(int n, const std::string& fallback = {},
                                  const std::string& detail = {});
    [[noreturn]] void RaiseTimedOut();
    [[noreturn]] void RaiseCanceled();
    // Turns the connection into an encrypted one (after STARTTLS or STLS was accepted, or at
    // once with implicit TLS) and verifies the server's certificate against the trusted
    // authorities and the server's name; a failure closes the connection.
    void StartEncryption();
    // Fails with mailcode::PlainPassword unless a password may go over this connection:
    // encrypted, or to this machine's loopback address.
    void RequireSecretAllowed();

private:
    void RequireConnected();
    // Forgets a host lookup still running, so its answer never arrives.
    void AbortLookup();
    // Processes events until ready() or a cancel, the time-out or a socket error, which are
    // then raised in that order. The caller runs the timer.
    void WaitFor(const std::function<bool()>& ready);
    // Received bytes not used yet, topped up from the socket when all are used.
    std::string_view Received();
    void Consume(std::size_t n) { FPendingPos += n; }
    // The server closed the connection and everything it sent has been used.
    bool PeerClosed();
    int ReadLineWithin(bool startTimer);
    // Sends all bytes, within the time running.
    void SendBytes(std::string_view bytes);
    void AddLog(const std::string& line);
    void SocketFailed(QAbstractSocket::SocketError error);
    // What the secure connection needs, set up before connecting: a failure here sends
    // nothing.
    void PrepareTls(const std::string& host);

    bool FWinsockLoaded = true;
    QPointer<TagRas> FRas;
    TTimeCounter FTimer;
    std::unique_ptr<QSslSocket> FSocket;
    QSslConfiguration FTlsConfig;
    std::string FPeerName; // the name the certificate must carry
    bool FEncryptedEvent = false;
    bool FEverConnected = false;
    bool FRemoteClosed = false; // the server closed or reset the connection
    // Flags set by the socket's notices and read by the waits.
    bool FCanceled = false;
    bool FConnectEvent = false;
    bool FWriteEvent = false;
    bool FErrorFlag = false;
    int FErrorCode = 0;
    std::string FErrorText;
    std::string FErrorDetail;
    int FLookupId = -1;
    bool FLookupDone = false;
    std::string FLocalHost;
    QHostAddress FAddress;
    std::uint16_t FPort = 0;
    std::string FLastReply;
    std::vector<std::string> FReplyLines;
    std::string FPending;
    std::size_t FPendingPos = 0;
    TReplyLineReader FLine;
    std::vector<std::string> FLog;
};

// The socket as the mail clients see it: adds the failure for unwelcome replies and the
// always-close ending of a transfer.
class TmsMailBase : public TagSocket {
    Q_OBJECT
public:
    using TagSocket::TagSocket;

    virtual void Logout() = 0;

protected:
    // The last reply line to OnError, then EServerError with it.
    [[noreturn]] void ServerError();
    // The end of every transfer, whether it went well or not: log out when the conversation is
    // still going, disconnect, and raise the first failure. A failure of this ending counts
    // only when the transfer itself went well.
    void EndTransfer(std::exception_ptr failure);
};

} // namespace tavi

#include "mail/agsocket.h"

#include "mail/mailerrors.h"
#include "platform/eventwait.h"

#include <QHostInfo>
#include <QSslCertificate>
#include <QSslSocket>

#include <fstream>
#include <netdb.h>
#include <optional>

namespace tavi {

namespace {

constexpr int ConnectionReset = 10054;
constexpr int NotConnected = 10057;
// Received bytes taken from the socket at a time, and what it may hold unread, so a server
// that floods us costs bounded memory.
constexpr qint64 ReceiveBlock = 16384;
constexpr qint64 SocketBuffer = 65536;
constexpr std::size_t SendBlock = 2047;

// The socket error numbers the waits act on, for Qt's kinds of failure.
int SocketErrorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError: return 10061;
    case QAbstractSocket::RemoteHostClosedError: return ConnectionReset;
    case QAbstractSocket::HostNotFoundError: return 11001;
    case QAbstractSocket::SocketAccessError: return 10013;
    case QAbstractSocket::SocketResourceError: return 10055;
    case QAbstractSocket::SocketTimeoutError: return 10060;
    case QAbstractSocket::NetworkError: return 10051;
    case QAbstractSocket::AddressInUseError: return 10048;
    case QAbstractSocket::SocketAddressNotAvailableError: return 10049;
    case QAbstractSocket::UnsupportedSocketOperationError: return 10045;
    default: return 0;
    }
}

// Failures after which the connection cannot go on: what comes next would be in the clear or
// garbled.
bool BreaksConnection(int n) {
    return n == ConnectionReset || n == mailcode::CertificateRefused || n == mailcode::TlsFailed ||
           n == mailcode::PlainBeforeTls;
}

// The reasons a certificate was refused, each once ("The certificate has expired; The host
// name did not match...").
std::string CertificateProblems(const QList<QSslError>& errors) {
    QStringList texts;
    for (const QSslError& e : errors)
        if (!texts.contains(e.errorString())) texts << e.errorString();
    return texts.join(QStringLiteral("; ")).toStdString();
}

std::optional<std::uint16_t> LookUpService(const std::string& name) {
    servent entry{};
    servent* result = nullptr;
    char buffer[1024];
    if (getservbyname_r(name.c_str(), "tcp", &entry, buffer, sizeof buffer, &result) != 0 ||
        !result)
        return std::nullopt;
    return ntohs(static_cast<std::uint16_t>(result->s_port));
}

} // namespace

TagSocket::TagSocket(QObject* parent) : QObject(parent), FTimer(this) {}

TagSocket::~TagSocket() {
    if (FSocket) FSocket->disconnect(this);
    FSocket.reset();
    AbortLookup();
    if (!LogFileName.empty()) {
        std::ofstream out(LogFileName, std::ios::binary | std::ios::trunc);
        for (const std::string& line : FLog) out << line << '\n';
    }
}

void TagSocket::AddLog(const std::string& line) {
    if (!LogFileName.empty()) FLog.push_back(line);
}

void TagSocket::ReportError(const std::string& message) {
    if (OnError) OnError(message);
}

void TagSocket::SocketError(int n, const std::string& fallback, const std::string& detail) {
    FTimer.Stop();
    std::string message = TransportErrorText(n);
    if (!fallback.empty() && message == "Error #" + std::to_string(n)) message = fallback;
    if (!detail.empty()) message += ": " + detail;
    ReportError(message);
    // The connection is gone or unusable; close our end before anyone hears of it.
    if (BreaksConnection(n)) Disconnect();
    throw ESocketError(message, n);
}

void TagSocket::AbortLookup() {
    if (FLookupId >= 0) QHostInfo::abortHostLookup(FLookupId);
    FLookupId = -1;
}

void TagSocket::RaiseTimedOut() {
    FTimer.Stop();
    const std::string message = MailResourceString(mailcode::TimedOut);
    ReportError(message);
    AbortLookup();
    Disconnect();
    throw ETimedOutError(message);
}

void TagSocket::RaiseCanceled() {
    FTimer.Stop();
    const std::string message = MailResourceString(mailcode::Canceled);
    ReportError(message);
    AbortLookup();
    throw ECanceledError(message);
}

void TagSocket::Cancel() {
    FCanceled = true;
    if (OnCancel) OnCancel();
}

void TagSocket::Reset() {
    FCanceled = false;
    FTimer.Reset();
    AbortLookup();
    FLookupDone = false;
    FErrorFlag = false;
    FErrorCode = 0;
    FErrorText.clear();
    FErrorDetail.clear();
    FConnectEvent = false;
    FWriteEvent = false;
}

void TagSocket::WaitFor(const std::function<bool()>& ready) {
    PumpEventsUntil(
        [&] { return ready() || FCanceled || FTimer.TimedOut() || FErrorFlag || !FSocket; });
    if (FCanceled) RaiseCanceled();
    if (FTimer.TimedOut()) RaiseTimedOut();
    if (FErrorFlag) SocketError(FErrorCode, FErrorText, FErrorDetail);
}

void TagSocket::SocketFailed(QAbstractSocket::SocketError error) {
    // The server closing the connection is not a failure by itself: what it sent before is
    // still read, and a reader still waiting for more finds the connection closed.
    if (error == QAbstractSocket::RemoteHostClosedError) {
        FRemoteClosed = true;
        return;
    }
    FErrorFlag = true;
    FErrorCode = SocketErrorNumber(error);
    FErrorText = FSocket ? FSocket->errorString().toStdString() : std::string();
    FErrorDetail.clear();
    if (FSocket && (error == QAbstractSocket::SslHandshakeFailedError ||
                    error == QAbstractSocket::SslInternalError ||
                    error == QAbstractSocket::SslInvalidUserDataError)) {
        const QList<QSslError> problems = FSocket->sslHandshakeErrors();
        FErrorCode = problems.isEmpty() ? mailcode::TlsFailed : mailcode::CertificateRefused;
        FErrorDetail = problems.isEmpty() ? FErrorText : CertificateProblems(problems);
    }
}

void TagSocket::RequireConnected() {
    if (!FSocket) SocketError(mailcode::NotConnected);
}

TTlsMode TagSocket::TlsMode() const {
    if (Tls) return *Tls;
    if (FPort) return DefaultTlsMode(FPort);
    const TServerName server = SplitServer(Server);
    return DefaultTlsMode(server.Port ? *server.Port : DefaultPort);
}

bool TagSocket::Encrypted() const {
    return FSocket && FSocket->isEncrypted();
}

void TagSocket::PrepareTls(const std::string& host) {
    if (!QSslSocket::supportsSsl())
        SocketError(mailcode::TlsFailed, {}, "this system has no TLS library (OpenSSL 3)");
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    config.setProtocol(QSsl::TlsV1_2OrLater);
    if (!CaFile.empty()) {
        const QList<QSslCertificate> extra = QSslCertificate::fromPath(
            QString::fromStdString(CaFile), QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
        if (extra.isEmpty()) SocketError(mailcode::CaFileUnreadable, {}, CaFile);
        // Naming authorities ends the loading of the system's on demand, so they are named too.
        config.setCaCertificates(QSslConfiguration::systemCaCertificates() + extra);
    }
    FTlsConfig = config;
    FPeerName = host;
}

void TagSocket::StartEncryption() {
    RequireConnected();
    // Bytes that came in the clear before the handshake would later pass for encrypted ones.
    if (FPendingPos < FPending.size() || FSocket->bytesAvailable() > 0)
        SocketError(mailcode::PlainBeforeTls);
    FEncryptedEvent = false;
    FSocket->setSslConfiguration(FTlsConfig);
    FSocket->setPeerVerifyName(QString::fromStdString(FPeerName));
    FSocket->startClientEncryption();
    FTimer.Start();
    WaitFor([this] {
        return !FSocket || FEncryptedEvent || FSocket->state() == QAbstractSocket::UnconnectedState;
    });
    FTimer.Stop();
    RequireConnected();
    if (!FEncryptedEvent) SocketError(mailcode::TlsFailed, {}, "the server closed the connection");
}

void TagSocket::RequireSecretAllowed() {
    if (!MaySendSecret(Encrypted(), FAddress.toString().toStdString()))
        SocketError(mailcode::PlainPassword);
}

bool TagSocket::SocketOpen() const {
    return FSocket && FSocket->state() == QAbstractSocket::ConnectedState && !FErrorFlag;
}

void TagSocket::Connect() {
    if (FRas) FRas->Dial();
    if (OnOpen) OnOpen();
    const TServerName server = SplitServer(Server);
    if (server.Host.empty()) SocketError(mailcode::NoServer);
    if (!FWinsockLoaded) {
        const std::string message = MailResourceString(mailcode::NetworkOff);
        ReportError(message);
        throw EWinsockDLLError(message);
    }
    FLocalHost = QHostInfo::localHostName().toStdString();
    if (FLocalHost.empty()) FLocalHost = server.Host;

    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(server.Host))) {
        FLookupDone = false;
        QList<QHostAddress> found;
        QHostInfo::HostInfoError lookupError = QHostInfo::NoError;
        QString lookupText;
        // The answer lands in this frame only while the lookup is pending: every way out of the
        // wait aborts it first.
        FLookupId = QHostInfo::lookupHost(QString::fromStdString(server.Host), this,
                                          [&, this](const QHostInfo& info) {
                                              found = info.addresses();
                                              lookupError = info.error();
                                              lookupText = info.errorString();
                                              FLookupDone = true;
                                          });
        FTimer.Start();
        PumpEventsUntil([&] { return FLookupDone || FCanceled || FTimer.TimedOut(); });
        FTimer.Stop();
        if (!FLookupDone) {
            if (FCanceled) RaiseCanceled();
            RaiseTimedOut();
        }
        FLookupId = -1;
        if (lookupError != QHostInfo::NoError)
            SocketError(lookupError == QHostInfo::HostNotFound ? 11001 : 11002,
                        lookupText.toStdString());
        // The first IPv4 address, as the servers of old listened on those; else the first.
        for (const QHostAddress& a : found)
            if (a.protocol() == QAbstractSocket::IPv4Protocol) {
                address = a;
                break;
            }
        if (address.isNull() && !found.isEmpty()) address = found.front();
        if (address.isNull()) SocketError(mailcode::HostNotFound);
    }
    FAddress = address;

    if (server.Port) {
        FPort = *server.Port;
    } else {
        if (ServiceName.empty()) SocketError(mailcode::NoServiceName);
        const auto port = LookUpService(ServiceName);
        FPort = port ? *port : static_cast<std::uint16_t>(DefaultPort);
    }

    if (TlsMode() != TTlsMode::None) PrepareTls(server.Host);

    if (FSocket) FSocket->disconnect(this);
    FSocket = std::make_unique<QSslSocket>();
    FSocket->setReadBufferSize(SocketBuffer);
    connect(FSocket.get(), &QSslSocket::connected, this, [this] { FConnectEvent = true; });
    connect(FSocket.get(), &QSslSocket::bytesWritten, this, [this] { FWriteEvent = true; });
    connect(FSocket.get(), &QSslSocket::encryptedBytesWritten, this,
            [this] { FWriteEvent = true; });
    connect(FSocket.get(), &QSslSocket::encrypted, this, [this] { FEncryptedEvent = true; });
    connect(FSocket.get(), &QAbstractSocket::errorOccurred, this, &TagSocket::SocketFailed);
    FEverConnected = false;
    FRemoteClosed = false;
    FPending.clear();
    FPendingPos = 0;
}

void TagSocket::SocketConnect() {
    RequireConnected();
    if (FCanceled) RaiseCanceled();
    FConnectEvent = false;
    FSocket->connectToHost(FAddress, FPort);
    FTimer.Start();
    // A server that takes the connection and resets it at once may do so before the
    // connection is reported: that is a lost connection, not a wait until the time-out.
    WaitFor([this] {
        return FConnectEvent || FRemoteClosed ||
               FSocket->state() == QAbstractSocket::UnconnectedState;
    });
    FTimer.Stop();
    if (!FConnectEvent) SocketError(ConnectionReset);
    FEverConnected = true;
    if (TlsMode() == TTlsMode::Implicit) StartEncryption();
}

void TagSocket::Disconnect() {
    if (FSocket) {
        if (OnClosing) OnClosing();
        FSocket->disconnect(this);
        FSocket->abort();
        FSocket.reset();
        FPending.clear();
        FPendingPos = 0;
        if (OnClosed) OnClosed();
    }
    if (FRas) FRas->CancelDial();
}

std::string_view TagSocket::Received() {
    if (FPendingPos >= FPending.size()) {
        FPending.clear();
        FPendingPos = 0;
        if (FSocket && FSocket->bytesAvailable() > 0) {
            const QByteArray bytes = FSocket->read(ReceiveBlock);
            FPending.assign(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
    }
    return std::string_view(FPending).substr(FPendingPos);
}

bool TagSocket::PeerClosed() {
    if (!FSocket) return true;
    if (!FEverConnected || FPendingPos < FPending.size() || FSocket->bytesAvailable() > 0)
        return false;
    // The TLS socket, while still plain, can report the server's reset and stay "connected".
    return FRemoteClosed || FSocket->state() == QAbstractSocket::UnconnectedState;
}

int TagSocket::ReplyCode(std::string_view line) const {
    return SmtpReplyCode(line);
}

int TagSocket::ReadLineWithin(bool startTimer) {
    RequireConnected();
    FLine.Clear();
    if (startTimer) FTimer.Resume();
    WaitFor([this] {
        for (std::string_view bytes; !(bytes = Received()).empty();) {
            Consume(FLine.Feed(bytes));
            if (FLine.Complete()) return true;
        }
        return PeerClosed();
    });
    if (startTimer) FTimer.Stop();
    RequireConnected();
    if (!FLine.Complete()) SocketError(ConnectionReset);
    FLastReply = FLine.Line();
    AddLog(FLastReply);
    if (OnReply) OnReply(FLastReply);
    return ReplyCode(FLastReply);
}

int TagSocket::ReadLine() {
    return ReadLineWithin(true);
}

int TagSocket::ReadReply() {
    FTimer.Resume();
    FReplyLines.clear();
    const int code = ReadLineWithin(false);
    FReplyLines.push_back(FLastReply);
    if (code > 0 && FLastReply.size() > 3 && FLastReply[3] == '-') {
        do {
            ReadLineWithin(false);
            if (FReplyLines.size() < MaxReplyLines) FReplyLines.push_back(FLastReply);
        } while (!EndsMultiLineReply(FLastReply, code));
    }
    FTimer.Stop();
    return code;
}

void TagSocket::SendBytes(std::string_view bytes) {
    RequireConnected();
    if (FSocket->state() != QAbstractSocket::ConnectedState)
        SocketError(FEverConnected ? ConnectionReset : NotConnected);
    const auto size = static_cast<qint64>(bytes.size());
    if (FSocket->write(bytes.data(), size) != size)
        SocketError(SocketErrorNumber(FSocket->error()), FSocket->errorString().toStdString());
    FWriteEvent = false;
    WaitFor([&] {
        if (!FSocket) return true;
        FWriteEvent = false;
        return (FSocket->bytesToWrite() == 0 && FSocket->encryptedBytesToWrite() == 0) ||
               FSocket->state() != QAbstractSocket::ConnectedState;
    });
    RequireConnected();
    // A connection that closed under the write lost what was not handed over yet.
    if (FSocket->state() != QAbstractSocket::ConnectedState) SocketError(ConnectionReset);
}

void TagSocket::SendLine(const std::string& text, std::string_view logAs) {
    RequireConnected();
    if (text.find_first_of("\r\n") != std::string::npos) {
        ReportError(mailtext::LineBreakInCommand);
        throw EMailError(mailtext::LineBreakInCommand);
    }
    FTimer.Start();
    SendBytes(text + "\r\n");
    FTimer.Stop();
    const std::string logged = logAs.empty() ? text : std::string(logAs);
    AddLog(logged);
    if (OnSentLine) OnSentLine(logged);
}

void TagSocket::ReceiveData(TMemoryStream& stream, std::int64_t size) {
    ReceiveData([&stream](std::string_view bytes) { stream.Write(bytes); }, size);
}

void TagSocket::ReceiveData(const TDataSink& sink, std::int64_t size) {
    RequireConnected();
    TDataEndFinder end;
    std::uint64_t taken = 0;
    // The message is part of the answer to its RETR: it comes within the time of that command.
    FTimer.Resume();
    while (!end.Found()) {
        WaitFor([this] { return !Received().empty() || PeerClosed(); });
        RequireConnected();
        const std::string_view bytes = Received();
        if (bytes.empty()) SocketError(ConnectionReset);
        std::size_t n = end.Feed(bytes);
        if (n == std::string_view::npos) n = bytes.size();
        taken += n;
        if (taken > MaxDataSize) {
            // The rest would still be coming: this connection cannot go on.
            FTimer.Stop();
            ReportError(mailtext::DataTooLarge);
            Disconnect();
            throw ESocketError(mailtext::DataTooLarge, 0);
        }
        try {
            sink(bytes.substr(0, n));
        } catch (...) {
            FTimer.Stop();
            Disconnect();
            throw;
        }
        Consume(n);
        if (OnProgress) OnProgress(ProgressPercent(taken, size), taken);
    }
    FTimer.Stop();
}

void TagSocket::SendStream(std::istream& stream) {
    RequireConnected();
    stream.clear();
    stream.seekg(0, std::ios::end);
    const std::int64_t size = stream.tellg();
    stream.seekg(0);
    std::uint64_t position = 0;
    char block[SendBlock];
    FTimer.Start();
    for (;;) {
        stream.read(block, SendBlock);
        const auto n = static_cast<std::size_t>(stream.gcount());
        if (n > 0) SendBytes(std::string_view(block, n));
        position += n;
        if (OnProgress) OnProgress(ProgressPercent(position, size), position);
        if (n < SendBlock) break;
    }
    FTimer.Stop();
    if (OnProgress) OnProgress(0, 0);
    AddLog("Suppressing the message body");
}

void TmsMailBase::ServerError() {
    ReportError(LastReply());
    throw EServerError(LastReply());
}

void TmsMailBase::EndTransfer(std::exception_ptr failure) {
    if (Connected()) {
        try {
            // After a cancel the user wants out, not a goodbye to the server.
            if (SocketOpen() && !Canceled()) Logout();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
        Disconnect();
    }
    if (failure) std::rethrow_exception(failure);
}

} // namespace tavi

#include "mail/popclient.h"

#include "mail/mailerrors.h"
#include "mail/tempfilestream.h"
#include "platform/errors.h"

#include <limits>

namespace tavi {

TmsCustomPOP::TmsCustomPOP(QObject* parent) : TmsMailBase(parent) {
    ServiceName = "pop3";
    DefaultPort = 110;
}

void TmsCustomPOP::Connect() {
    if (UserName.empty()) SocketError(mailcode::NoUserName);
    if (Password.empty()) SocketError(mailcode::NoPassword);
    FCount = -1;
    FSize = -1;
    Reset();
    TmsMailBase::Connect();
}

void TmsCustomPOP::ExpectPositive() {
    if (ReadLine() != 1) ServerError();
}

void TmsCustomPOP::Login() {
    try {
        Reset();
        SocketConnect();
        ExpectPositive();
        if (TlsMode() == TTlsMode::StartTls) {
            SendLine("STLS");
            if (ReadLine() != 1) SocketError(mailcode::NoEncryptionOffered);
            StartEncryption();
        }
        RequireSecretAllowed();
        SendLine("USER " + UserName);
        ExpectPositive();
        SendLine("PASS " + Password, "PASS ****");
        ExpectPositive();
        SendLine("STAT");
        ExpectPositive();
        const auto stat = ParseStatReply(LastReply());
        if (!stat || stat->Count > std::numeric_limits<int>::max()) ServerError();
        FCount = static_cast<int>(stat->Count);
        FSize = stat->Size;
    } catch (const ESocketError&) {
        Disconnect();
        throw;
    }
}

void TmsCustomPOP::Logout() {
    if (!Connected()) return;
    SendLine("QUIT");
    ExpectPositive();
}

void TmsCustomPOP::RetrieveData(int index, const TDataSink& sink) {
    const std::string number = std::to_string(static_cast<long long>(index) + 1);
    SendLine("LIST " + number);
    ExpectPositive();
    const long long size = ParseListSize(LastReply());
    if (OnRetrieving) OnRetrieving(index);
    SendLine("RETR " + number);
    ExpectPositive();
    ReceiveData(sink, size);
}

void TmsCustomPOP::DeleteMessage(int index) {
    if (OnDeleting) OnDeleting(index);
    SendLine("DELE " + std::to_string(static_cast<long long>(index) + 1));
    ReadLine();
}

void TmsCustomPOP::RetrieveMessages(bool keepOnServer,
                                    const std::function<void(int index)>& retrieve) {
    std::exception_ptr failure;
    try {
        if (!Connected()) {
            Connect();
            Login();
        }
        for (int i = 0; i < MessageCount(); ++i) {
            retrieve(i);
            if (OnRetrieved) OnRetrieved(i);
            if (!keepOnServer) DeleteMessage(i);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    EndTransfer(failure);
}

std::unique_ptr<TTempFileStream> TmsPOP::RetrieveToFile(int index) {
    auto file = std::make_unique<TTempFileStream>();
    const auto failed = [&file] {
        throw EInOutError("Cannot write the temporary file " + file->FileName().string());
    };
    RetrieveData(index, [&](std::string_view bytes) {
        if (!file->write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) failed();
    });
    if (!file->flush()) failed();
    file->seekg(0);
    return file;
}

void TmsPOP::RetrieveAll(bool keepOnServer) {
    RetrieveMessages(keepOnServer, [this](int i) { MessageList.AddFile(RetrieveToFile(i)); });
}

void TmsPOP::RetrieveEach(bool keepOnServer, const TMessageTaker& take) {
    RetrieveMessages(keepOnServer, [&, this](int i) { take(i, *RetrieveToFile(i)); });
}

} // namespace tavi

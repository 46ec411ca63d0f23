#include "mail/popclient.h"

#include "mail/mailerrors.h"

#include <limits>

namespace tavi {

TmsCustomPOP::TmsCustomPOP(QObject* parent) : TmsMailBase(parent) {
    ServiceName = "pop3";
    DefaultPort = 110;
}

void TmsCustomPOP::Connect() {
    if (UserName.empty()) SocketError(57103);
    if (Password.empty()) SocketError(57104);
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

void TmsCustomPOP::RetrieveData(int index, TMemoryStream& stream) {
    const std::string number = std::to_string(static_cast<long long>(index) + 1);
    SendLine("LIST " + number);
    ExpectPositive();
    const long long size = ParseListSize(LastReply());
    if (OnRetrieving) OnRetrieving(index);
    SendLine("RETR " + number);
    ExpectPositive();
    ReceiveData(stream, size);
}

void TmsCustomPOP::DeleteMessage(int index) {
    if (OnDeleting) OnDeleting(index);
    SendLine("DELE " + std::to_string(static_cast<long long>(index) + 1));
    ReadLine();
}

void TmsPOP::RetrieveAll(bool keepOnServer) {
    std::exception_ptr failure;
    try {
        if (!Connected()) {
            Connect();
            Login();
        }
        for (int i = 0; i < MessageCount(); ++i) {
            TMemoryStream data;
            RetrieveData(i, data);
            MessageList.Add().LoadFromStream(data, true);
            if (OnRetrieved) OnRetrieved(i);
            if (!keepOnServer) DeleteMessage(i);
        }
    } catch (...) {
        failure = std::current_exception();
    }
    EndTransfer(failure);
}

} // namespace tavi

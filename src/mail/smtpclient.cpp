#include "mail/smtpclient.h"

#include "mail/mailerrors.h"
#include "mail/mimecoding.h"
#include "mail/tempfilestream.h"
#include "platform/errors.h"

namespace tavi {

TmsSMTP::TmsSMTP(QObject* parent) : TmsMailBase(parent) {
    ServiceName = "smtp";
    DefaultPort = 25;
}

void TmsSMTP::Connect() {
    if (SplitServer(Server).Host.empty()) SocketError(mailcode::NoServer);
    if (!UserName.empty() && Password.empty()) SocketError(mailcode::NoPassword);
    Reset();
    TmsMailBase::Connect();
}

TSmtpExtensions TmsSMTP::Hello() {
    SendLine("EHLO " + LocalHost());
    if (ReadReply() / 100 == 2) return ParseEhloReply(ReplyLines());
    // A server of the old kind knows only HELO, and offers nothing.
    SendLine("HELO " + LocalHost());
    if (ReadReply() / 100 != 2) {
        SendLine("HELO");
        if (ReadReply() / 100 != 2) ServerError();
    }
    return {};
}

void TmsSMTP::Login() {
    SocketConnect();
    if (ReadReply() / 100 != 2) ServerError();
    TSmtpExtensions offered = Hello();
    if (TlsMode() == TTlsMode::StartTls) {
        if (!offered.StartTls) SocketError(mailcode::NoEncryptionOffered);
        SendLine("STARTTLS");
        if (ReadReply() / 100 != 2) ServerError();
        StartEncryption();
        // What the server offered in the clear may have been forged on the way: only what it
        // says over the encrypted connection counts.
        offered = Hello();
    }
    if (!UserName.empty()) Authenticate(offered);
}

void TmsSMTP::Authenticate(const TSmtpExtensions& offered) {
    // A server that asks for no login (a relay that knows its senders by address) takes the
    // letter as it is.
    if (!offered.Auth) return;
    RequireSecretAllowed();
    switch (ChooseSmtpAuth(offered)) {
    case TSmtpAuth::Plain:
        SendLine("AUTH PLAIN " + Base64Encode(std::string(1, '\0') + UserName + '\0' + Password),
                 "AUTH PLAIN ****");
        break;
    case TSmtpAuth::Login:
        SendLine("AUTH LOGIN");
        if (ReadReply() != 334) ServerError();
        SendLine(Base64Encode(UserName));
        if (ReadReply() != 334) ServerError();
        SendLine(Base64Encode(Password), "****");
        break;
    case TSmtpAuth::None: SocketError(mailcode::NoKnownLogin);
    }
    if (ReadReply() / 100 != 2) ServerError();
}

void TmsSMTP::Logout() {
    SendLine("QUIT");
    if (ReadReply() / 100 != 2) ServerError();
}

void TmsSMTP::Envelope() {
    if (OnSending) OnSending();
    const TmsMessage& m = *MailMessage;
    if (!m.Sender.Address.empty()) {
        SendLine("MAIL FROM:<" + m.Sender.Address + ">");
        if (ReadReply() / 100 != 2) ServerError();
    }
    std::vector<std::string> recipients = EnvelopeRecipients;
    if (recipients.empty())
        for (const TmsAddressList* list : {&m.Recipients, &m.CC, &m.BCC})
            for (const TmsMailAddress& a : *list) recipients.push_back(a.Address);
    for (const std::string& address : recipients) {
        SendLine("RCPT TO:<" + address + ">");
        if (ReadReply() / 100 == 2) continue;
        bool proceed = false;
        if (OnAddressRejected) OnAddressRejected(address, proceed, LastReply());
        if (!proceed) ServerError();
    }
    SendLine("DATA");
    if (ReadReply() / 100 != 3) ServerError();
}

void TmsSMTP::SendMail() {
    std::exception_ptr failure;
    try {
        if (!Connected()) {
            Connect();
            Login();
        }
        if (!MailMessage) SocketError(mailcode::NoMessage);
        try {
            MailMessage->Check();
        } catch (const EMailError& e) {
            ReportError(e.what());
            throw;
        }
        TTempFileStream transfer;
        if (OnPrepare) OnPrepare();
        // A letter without a date is dated now: the standard asks for one, and not every
        // server adds it.
        if (!MailMessage->Headers.Exists("Date")) transfer << "Date: " << MailDateNow() << "\r\n";
        MailMessage->SaveToStream(transfer, true);
        transfer.flush();
        if (!transfer) throw EFOpenError(transfer.FileName().string());
        Envelope();
        // Every line of the stream ends in CR LF already, so "." alone ends the data.
        SendStream(transfer);
        SendLine(".");
        if (ReadReply() / 100 != 2) ServerError();
        if (OnMailSent) OnMailSent();
    } catch (...) {
        failure = std::current_exception();
    }
    EndTransfer(failure);
}

} // namespace tavi

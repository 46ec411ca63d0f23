// The SMTP client: sends one message to a mail server, one connection per message.
#pragma once

#include "mail/agsocket.h"
#include "mail/mailmessage.h"

#include <functional>
#include <string>
#include <vector>

namespace tavi {

class TmsSMTP : public TmsMailBase {
    Q_OBJECT
public:
    // Service "smtp", DefaultPort 25.
    explicit TmsSMTP(QObject* parent = nullptr);

    // The message to send; not owned.
    TmsMessage* MailMessage = nullptr;
    // When not empty, the addresses the message goes to instead of its To, CC and BCC.
    std::vector<std::string> EnvelopeRecipients;
    // The login (SMTP AUTH) after EHLO, when UserName is not empty; providers take the same
    // name and password as for POP3.
    std::string UserName;
    std::string Password;

    std::function<void()> OnPrepare;
    std::function<void()> OnSending;
    std::function<void()> OnMailSent;
    // A recipient the server refused; setting proceed goes on with the next one.
    std::function<void(const std::string& address, bool& proceed, const std::string& reply)>
        OnAddressRejected;

    // Requires Server (and a Password with a UserName), resets the flags and makes the socket
    // (dialling first).
    void Connect() override;
    // Greeting; EHLO with the local host name (refused: HELO with it, then a bare HELO);
    // with StartTls, STARTTLS and EHLO again over the encrypted connection; then, with a
    // UserName, AUTH PLAIN or LOGIN when the server offers a login.
    void Login();
    void Logout() override;
    // Connects and logs in when needed, sends MailMessage, and always logs out and disconnects.
    void SendMail();

private:
    // EHLO, or HELO for a server that refuses it; what the server offers.
    TSmtpExtensions Hello();
    void Authenticate(const TSmtpExtensions& offered);
    void Envelope();
};

} // namespace tavi

// The POP3 client: logs in, retrieves every waiting message into its list and, when asked,
// deletes each from the server right after it arrived.
#pragma once

#include "mail/agsocket.h"
#include "mail/mailmessage.h"

#include <functional>
#include <string>

namespace tavi {

class TmsCustomPOP : public TmsMailBase {
    Q_OBJECT
public:
    // Service "pop3", DefaultPort 110.
    explicit TmsCustomPOP(QObject* parent = nullptr);

    std::string UserName;
    std::string Password;

    // Message numbers from 0; the server counts from 1.
    std::function<void(int index)> OnRetrieving;
    std::function<void(int index)> OnRetrieved;
    std::function<void(int index)> OnDeleting;

    // What STAT said; -1 until the server has told.
    int MessageCount() const { return FCount; }
    long long TotalSize() const { return FSize; }

    // Requires UserName and Password, resets the flags and makes the socket (dialling first).
    void Connect() override;
    // Greeting, STLS and the encrypted connection with StartTls, USER, PASS and STAT. The
    // user name and password go only over an encrypted connection or to this machine.
    void Login();
    // QUIT, when connected.
    void Logout() override;

    // "+" lines are 1, "-" lines -1, anything else 0.
    int ReplyCode(std::string_view line) const override { return PopReplyCode(line); }

protected:
    // LIST and RETR of message index; the message in transfer form goes to sink.
    void RetrieveData(int index, const TDataSink& sink);
    // DELE of message index; the answer is not examined.
    void DeleteMessage(int index);
    // Connects and logs in when needed, runs retrieve for every message in turn (deleting each
    // on the server right after it arrived, unless keepOnServer), and always logs out and
    // disconnects.
    void RetrieveMessages(bool keepOnServer, const std::function<void(int index)>& retrieve);

private:
    void ExpectPositive();
    int FCount = -1;
    long long FSize = -1;
};

class TmsPOP : public TmsCustomPOP {
    Q_OBJECT
public:
    using TmsCustomPOP::TmsCustomPOP;

    // The retrieved messages, in the server's order, each in a temporary file until it is read.
    TmsMessageList MessageList;

    // Connects and logs in when needed, retrieves every message into MessageList (deleting
    // each on the server right after it arrived, unless keepOnServer), and always logs out and
    // disconnects.
    void RetrieveAll(bool keepOnServer);
    // The same without keeping anything: every message in turn goes to a temporary file of its
    // own, which take reads (from its start) before the next message comes and which is
    // deleted afterwards. Memory holds one block at a time, however many and however large
    // the messages are.
    using TMessageTaker = std::function<void(int index, std::istream& message)>;
    void RetrieveEach(bool keepOnServer, const TMessageTaker& take);

private:
    // Message index in a temporary file, read from its start; throws EInOutError when the file
    // cannot take it.
    std::unique_ptr<TTempFileStream> RetrieveToFile(int index);
};

} // namespace tavi

// The user's mail account as the settings keep it, the one rule for an account that can be
// used, and a letter made of the document with it.
#pragma once

#include "platform/registryfield.h"

#include <string>
#include <vector>

namespace tavi {

class TmsMessage;

struct TMailAccount {
    std::string MailUser, MailPassword; // the login, for sending and for fetching
    std::string UserAddress;            // the sender's own address
    std::string InMail, OutMail;        // the POP3 and the SMTP server
    std::string RasService;             // the way to the network (a dial-up entry)
    // How the connections are secured ("" by the port, "starttls", "implicit", "none"), and a
    // certificate file trusted besides the system's authorities.
    std::string MailSecurity, MailCaFile;
    // The user's name as typed at start-up: the sender's name in letters. Not stored.
    std::string SenderName;

    // Every field the transfers need is there. The own address is one of them: a letter
    // without a sender's address is refused before anything is sent.
    bool Complete() const;
    bool operator==(const TMailAccount&) const = default;
};

// The document as a letter from this account: the sender's name in Unicode, the recipient's
// address as typed, the subject and the text in "Vni for Win". Headers keep their first 255
// bytes; the letter goes in Unicode, so that any mail program shows the Vietnamese.
void MakeLetter(TmsMessage& m, const TMailAccount& account, const std::string& senderName,
                const std::string& recipient, const std::string& subject, const std::string& text);

// The fields of the account in the user's registry key.
const std::vector<TRegistryRow<TMailAccount>>& MailRows();

} // namespace tavi

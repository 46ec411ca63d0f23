#include "mail/mailaccount.h"

#include "codes/tablenames.h"
#include "document/doctext.h"
#include "mail/lettertext.h"
#include "mail/mailmessage.h"

namespace tavi {

namespace {

constexpr std::size_t MaxHeaderText = 255;

} // namespace

bool TMailAccount::Complete() const {
    for (const std::string* field :
         {&MailUser, &MailPassword, &UserAddress, &InMail, &OutMail, &RasService})
        if (field->empty()) return false;
    return true;
}

void MakeLetter(TmsMessage& m, const TMailAccount& account, const std::string& senderName,
                const std::string& recipient, const std::string& subject, const std::string& text) {
    m.Sender = {senderName, account.UserAddress.substr(0, MaxHeaderText)};
    m.Recipients.Add(recipient);
    m.Subject = SubjectHeader(TableToUnicode(subject.substr(0, MaxHeaderText), VniWinTable));
    m.SetUnicodeBody(TableToUnicode(text, VniWinTable));
    m.Attachments.Clear();
}

const std::vector<TRegistryRow<TMailAccount>>& MailRows() {
    static const std::vector<TRegistryRow<TMailAccount>> rows = {
        {"MailUser", &TMailAccount::MailUser},         {"PassWord", &TMailAccount::MailPassword},
        {"UserAddress", &TMailAccount::UserAddress},   {"InMail", &TMailAccount::InMail},
        {"OutMail", &TMailAccount::OutMail},           {"RasService", &TMailAccount::RasService},
        {"MailSecurity", &TMailAccount::MailSecurity}, {"MailCaFile", &TMailAccount::MailCaFile},
    };
    return rows;
}

} // namespace tavi

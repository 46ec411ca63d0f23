// The mail account: when it can be used, and the document made a letter with it.
#include "mail/mailaccount.h"
#include "mail/mailmessage.h"

#include <gtest/gtest.h>

namespace {

using tavi::TMailAccount;

TMailAccount Full() {
    TMailAccount a;
    a.MailUser = "ann";
    a.MailPassword = "secret";
    a.UserAddress = "ann@x.vn";
    a.InMail = "pop.x.vn";
    a.OutMail = "smtp.x.vn";
    a.RasService = "network";
    return a;
}

TEST(MailAccount, CompleteOnlyWithEveryFieldTheTransfersNeed) {
    const struct {
        std::string TMailAccount::*Missing;
        bool Complete;
    } cases[] = {{nullptr, true},
                 {&TMailAccount::MailUser, false},
                 {&TMailAccount::MailPassword, false},
                 {&TMailAccount::UserAddress, false}, // a letter without it is refused
                 {&TMailAccount::InMail, false},
                 {&TMailAccount::OutMail, false},
                 {&TMailAccount::RasService, false},
                 {&TMailAccount::MailSecurity, true}, // empty: by the port
                 {&TMailAccount::SenderName, true}};
    for (const auto& c : cases) {
        TMailAccount a = Full();
        a.MailSecurity = "none";
        a.SenderName = "ann";
        if (c.Missing) (a.*c.Missing).clear();
        EXPECT_EQ(a.Complete(), c.Complete) << (c.Missing ? "one missing" : "none missing");
    }
}

TEST(MailAccount, TheDocumentGoesAsALetterInUnicodeWithHeadersOfAtMost255Bytes) {
    TMailAccount a = Full();
    a.UserAddress = std::string(300, 'a') + "@x.vn";
    tavi::TmsMessage m;
    tavi::MakeLetter(m, a, "Nguyễn An", "bo@y.org", std::string(300, 's'), "Vie\xE4t Nam\r\nba");
    EXPECT_EQ(m.Sender.Name, "Nguyễn An");
    EXPECT_EQ(m.Sender.Address, std::string(255, 'a'));
    EXPECT_EQ(m.Subject, std::string(255, 's'));
    ASSERT_EQ(m.Recipients.Count(), 1u);
    EXPECT_EQ(m.Body, (std::vector<std::string>{"Việt Nam", "ba"}));
    EXPECT_NO_THROW(m.Check());
}

} // namespace

// tavitool mail-fetch: retrieves the letters waiting on a POP3 server and lists them.
#include "tavitool/mail_date.h"
#include "tavitool/mail_transfer.h"

#include "mail/lettertext.h"
#include "mail/mailcharset.h"
#include "mail/popclient.h"

namespace {

// A header as UTF-8, its encoded words decoded from whatever charset they name.
std::string HeaderUtf8(const tavi::TmsListMessage& m, const char* name) {
    return tavi::HeaderTextIn(tavi::RawHeaderValue(m.Headers, name), "Unicode");
}

int MailFetch(tavitool::Args& args) {
    tavitool::TQtEventLoop loop;
    tavi::TmsPOP pop;
    const tavitool::TLogin login = tavitool::TakeTransferOptions(args, pop);
    const bool remove = tavitool::TakeFlag(args, "--delete");
    tavitool::NoMoreOptions(args);
    if (!args.empty()) throw tavitool::UsageError{"too many arguments"};
    if (login.User.empty()) throw tavitool::UsageError{"--user is required"};
    if (login.Password.empty())
        throw tavitool::UsageError{std::string("a password is required: ") +
                                   tavitool::PasswordOptions};
    pop.UserName = login.User;
    pop.Password = login.Password;
    pop.RetrieveAll(!remove);
    std::string out;
    for (std::size_t i = 0; i < pop.MessageList.Count(); ++i) {
        const tavi::TmsListMessage& m = pop.MessageList.Items(i);
        if (i > 0) out += "\n";
        out += "Letter: " + std::to_string(i + 1) + "\n";
        out += "From-Name: " + tavi::ParseAddress(HeaderUtf8(m, "From")).Name + "\n";
        out += "From-Address: " + m.Sender.Address + "\n";
        out +=
            "Date: " + tavitool::FormatDate(tavi::ParseMailDate(m.Headers.GetValue("Date"))) + "\n";
        out += "Subject: " + HeaderUtf8(m, "Subject") + "\n";
    }
    tavitool::WriteOutput("", out);
    return 0;
}

tavitool::Register reg("mail-fetch",
                       "--server HOST[:PORT] --user NAME (--password-file FILE | --password TEXT) "
                       "[--tls none|starttls|implicit] [--ca-file FILE] [--delete] "
                       "[--timeout SECONDS] [--verbose]   list the sender, date and subject (in "
                       "UTF-8) of every letter waiting on a POP3 server (--delete: remove them "
                       "there; TLS by default: implicit on port 995, else STLS; the password may "
                       "come from $TAVI_MAIL_PASSWORD instead)",
                       MailFetch);

} // namespace

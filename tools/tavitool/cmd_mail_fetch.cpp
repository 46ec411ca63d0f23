// tavitool mail-fetch: retrieves the letters waiting on a POP3 server and lists them.
#include "tavitool/mail_date.h"
#include "tavitool/mail_transfer.h"

#include "mail/lettertext.h"
#include "mail/mailcharset.h"
#include "mail/popclient.h"

#include <iostream>

namespace {

// A header as UTF-8, its encoded words decoded from whatever charset they name.
std::string HeaderUtf8(const tavi::TmsMessage& m, const char* name) {
    return tavi::HeaderTextIn(tavi::RawHeaderValue(m.Headers, name), "Unicode");
}

// Each letter is listed as soon as it has come and is then let go: the command's memory does
// not grow with the letters, and what came before a failure is still shown.
void ListLetter(int index, std::istream& letter) {
    tavi::TmsMessage m;
    m.LoadHeaders(letter);
    std::cout << (index > 0 ? "\n" : "") << "Letter: " << index + 1 << "\n"
              << "From-Name: " << tavi::ParseAddress(HeaderUtf8(m, "From")).Name << "\n"
              << "From-Address: " << m.Sender.Address << "\n"
              << "Date: " << tavitool::FormatDate(tavi::ParseMailDate(m.Headers.GetValue("Date")))
              << "\n"
              << "Subject: " << HeaderUtf8(m, "Subject") << std::endl;
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
    pop.RetrieveEach(!remove, ListLetter);
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

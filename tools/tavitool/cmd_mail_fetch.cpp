// tavitool mail-fetch: retrieves the letters waiting on a POP3 server and lists them.
#include "tavitool/mail_date.h"
#include "tavitool/mail_transfer.h"

#include "mail/popclient.h"

namespace {

int MailFetch(tavitool::Args& args) {
    tavitool::TQtEventLoop loop;
    tavi::TmsPOP pop;
    tavitool::TakeTransferOptions(args, pop);
    pop.UserName = tavitool::TakeOption(args, "--user");
    pop.Password = tavitool::TakeOption(args, "--password");
    const bool remove = tavitool::TakeFlag(args, "--delete");
    tavitool::NoMoreOptions(args);
    if (!args.empty()) throw tavitool::UsageError{"too many arguments"};
    if (pop.UserName.empty()) throw tavitool::UsageError{"--user is required"};
    if (pop.Password.empty()) throw tavitool::UsageError{"--password is required"};
    pop.RetrieveAll(!remove);
    std::string out;
    for (std::size_t i = 0; i < pop.MessageList.Count(); ++i) {
        const tavi::TmsListMessage& m = pop.MessageList.Items(i);
        if (i > 0) out += "\n";
        out += "Letter: " + std::to_string(i + 1) + "\n";
        out += "From-Name: " + m.Sender.Name + "\n";
        out += "From-Address: " + m.Sender.Address + "\n";
        out +=
            "Date: " + tavitool::FormatDate(tavi::ParseMailDate(m.Headers.GetValue("Date"))) + "\n";
        out += "Subject: " + m.Subject + "\n";
    }
    tavitool::WriteOutput("", out);
    return 0;
}

tavitool::Register reg("mail-fetch",
                       "--server HOST[:PORT] --user NAME --password TEXT [--delete] "
                       "[--timeout SECONDS] [--verbose]   list the sender, date and subject of "
                       "every letter waiting on a POP3 server (--delete: remove them there)",
                       MailFetch);

} // namespace

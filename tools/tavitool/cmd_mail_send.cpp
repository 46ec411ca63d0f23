// tavitool mail-send: sends a letter through an SMTP server.
#include "tavitool/mail_transfer.h"

#include "mail/smtpclient.h"

namespace {

int MailSend(tavitool::Args& args) {
    tavitool::TQtEventLoop loop;
    tavi::TmsSMTP smtp;
    tavitool::TakeTransferOptions(args, smtp);
    tavi::TmsMessage m;
    m.Sender = tavi::ParseAddress(tavitool::TakeOption(args, "--from"));
    for (std::string to; !(to = tavitool::TakeOption(args, "--to")).empty();)
        m.Recipients.Add(tavi::ParseAddress(to));
    for (std::string cc; !(cc = tavitool::TakeOption(args, "--cc")).empty();)
        m.CC.Add(tavi::ParseAddress(cc));
    m.Subject = tavitool::TakeOption(args, "--subject");
    tavitool::NoMoreOptions(args);
    if (m.Sender.Address.empty()) throw tavitool::UsageError{"--from is required"};
    if (m.Recipients.Count() == 0) throw tavitool::UsageError{"--to is required"};
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};
    m.SetBodyText(tavitool::ReadInput(args.empty() ? "" : args[0]));
    smtp.MailMessage = &m;
    smtp.SendMail();
    return 0;
}

tavitool::Register reg("mail-send",
                       "--server HOST[:PORT] --from ADDR --to ADDR... [--cc ADDR...] "
                       "[--subject TEXT] [--timeout SECONDS] [--verbose] [BODY-FILE]   send a "
                       "letter (body from standard input without BODY-FILE)",
                       MailSend);

} // namespace

// tavitool mail-send: sends a letter through an SMTP server.
#include "tavitool/mail_transfer.h"

#include "codes/vncodeconverter.h"
#include "mail/lettertext.h"
#include "mail/smtpclient.h"

#include <algorithm>

namespace {

constexpr const char* Utf8Table = "Unicode";

// The body as UTF-8: from the code table named, else from the one it is detected in. ASCII
// needs no table.
std::string BodyAsUtf8(const std::string& text, std::string table) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (table.empty()) {
        if (ascii) return text;
        table = tavi::TVnCodeConverter().DetectCodeTable(text);
        if (table == tavi::UnknownTableName)
            throw std::runtime_error("The code table of the body cannot be told: name it with "
                                     "--table");
    }
    if (table == Utf8Table) return text;
    return tavi::ConvertBetween(table, Utf8Table, text);
}

int MailSend(tavitool::Args& args) {
    tavitool::TQtEventLoop loop;
    tavi::TmsSMTP smtp;
    const tavitool::TLogin login = tavitool::TakeTransferOptions(args, smtp);
    tavi::TmsMessage m;
    m.Sender = tavi::ParseAddress(tavitool::TakeOption(args, "--from"));
    for (std::string to; !(to = tavitool::TakeOption(args, "--to")).empty();)
        m.Recipients.Add(tavi::ParseAddress(to));
    for (std::string cc; !(cc = tavitool::TakeOption(args, "--cc")).empty();)
        m.CC.Add(tavi::ParseAddress(cc));
    // The command line is UTF-8; a subject of other letters goes in encoded words.
    m.Subject = tavi::SubjectHeader(tavitool::TakeOption(args, "--subject"));
    const std::string table = tavitool::TakeOption(args, "--table");
    tavitool::NoMoreOptions(args);
    if (m.Sender.Address.empty()) throw tavitool::UsageError{"--from is required"};
    if (m.Recipients.Count() == 0) throw tavitool::UsageError{"--to is required"};
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};
    if (!login.User.empty() && login.Password.empty())
        throw tavitool::UsageError{std::string("--user needs a password: ") +
                                   tavitool::PasswordOptions};
    smtp.UserName = login.User;
    smtp.Password = login.Password;
    m.SetUnicodeBody(BodyAsUtf8(tavitool::ReadInput(args.empty() ? "" : args[0]), table));
    smtp.MailMessage = &m;
    smtp.SendMail();
    return 0;
}

tavitool::Register reg("mail-send",
                       "--server HOST[:PORT] --from ADDR --to ADDR... [--cc ADDR...] "
                       "[--subject TEXT] [--table NAME] [--tls none|starttls|implicit] "
                       "[--ca-file FILE] [--user NAME (--password-file FILE | --password TEXT)] "
                       "[--timeout SECONDS] [--verbose] [BODY-FILE]   send a letter (body from "
                       "standard input without BODY-FILE, in code table NAME or the one detected, "
                       "sent as UTF-8; TLS by default: implicit on port 465, else STARTTLS; the "
                       "password may come from $TAVI_MAIL_PASSWORD instead)",
                       MailSend);

} // namespace

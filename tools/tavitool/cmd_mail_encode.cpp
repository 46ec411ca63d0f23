// tavitool mail-encode: builds a message from its parts and writes it in transfer form.
#include "tavitool/command.h"

#include "mail/mailmessage.h"

#include <iostream>

namespace {

// Every value of a repeatable option, in order.
std::vector<std::string> TakeAll(tavitool::Args& args, const std::string& name) {
    static const std::string absent = "\x01";
    std::vector<std::string> values;
    for (std::string v; (v = tavitool::TakeOption(args, name, absent)) != absent;)
        values.push_back(v);
    return values;
}

void AddAddresses(tavi::TmsAddressList& list, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) list.Add(tavi::ParseAddress(t));
}

int MailEncode(tavitool::Args& args) {
    tavi::TmsMessage m;
    m.Sender = tavi::ParseAddress(tavitool::TakeOption(args, "--from"));
    AddAddresses(m.Recipients, TakeAll(args, "--to"));
    AddAddresses(m.CC, TakeAll(args, "--cc"));
    AddAddresses(m.BCC, TakeAll(args, "--bcc"));
    m.Subject = tavitool::TakeOption(args, "--subject");
    const std::string body = tavitool::TakeOption(args, "--body");
    const std::vector<std::string> attachments = TakeAll(args, "--attach");
    const std::string charset = tavitool::TakeOption(args, "--charset", "us-ascii");
    const std::string priority = tavitool::TakeOption(args, "--priority", "normal");
    const std::string date = tavitool::TakeOption(args, "--date");
    m.ReturnReceipt = tavitool::TakeFlag(args, "--receipt");
    if (tavitool::TakeFlag(args, "--uu")) m.Encoding = tavi::meUU;
    const bool eml = tavitool::TakeFlag(args, "--eml");
    tavitool::NoMoreOptions(args);
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};

    if (charset == "us-ascii")
        m.CharSet = tavi::csUSASCII;
    else if (charset == "iso-8859-1")
        m.CharSet = tavi::csISO8859;
    else if (charset == "iso-2022-jp")
        m.CharSet = tavi::csISO2022jp;
    else
        throw tavitool::UsageError{"--charset must be us-ascii, iso-8859-1 or iso-2022-jp"};
    if (priority == "low")
        m.Priority = tavi::ptLow;
    else if (priority == "high")
        m.Priority = tavi::ptHigh;
    else if (priority != "normal")
        throw tavitool::UsageError{"--priority must be low, normal or high"};

    m.Check();
    m.Headers.Add("Date: " + (date.empty() ? tavi::MailDateNow() : date));
    if (!body.empty()) m.SetBodyText(tavitool::ReadInput(body));
    for (const std::string& file : attachments) m.Attachments.Add().LoadFromFile(file);
    tavitool::WriteOutput(args.empty() ? "" : args[0], m.SaveToString(!eml));
    return 0;
}

tavitool::Register reg(
    "mail-encode",
    "--from ADDR --to ADDR... [--cc ADDR...] [--bcc ADDR...] [--subject TEXT] [--body FILE] "
    "[--attach FILE...] [--charset us-ascii|iso-8859-1|iso-2022-jp] [--priority low|normal|high] "
    "[--receipt] [--uu] [--date TEXT] [--eml] [OUT]   write a message in transfer form (--eml: "
    "as a stored message file, without dot-stuffing)",
    MailEncode);

} // namespace

// tavitool mail-decode: shows the sender, date, subject, attachments and body of a message.
#include "tavitool/command.h"
#include "tavitool/mail_date.h"

#include "mail/mailmessage.h"

#include <filesystem>
#include <iostream>
#include <set>

namespace {

// A name to save an attachment under inside the chosen folder: no folders of its own, and
// unique among the names already used.
std::string SafeName(const std::string& name, std::size_t index, std::set<std::string>& used) {
    std::string base = name.substr(name.find_last_of("/\\") + 1);
    if (base.empty() || base == "." || base == "..") base = "att." + std::to_string(index);
    std::string unique = base;
    for (int n = 2; !used.insert(unique).second; ++n) unique = base + "." + std::to_string(n);
    return unique;
}

int MailDecode(tavitool::Args& args) {
    const bool eml = tavitool::TakeFlag(args, "--eml");
    const std::string saveDir = tavitool::TakeOption(args, "--save");
    tavitool::NoMoreOptions(args);
    if (args.size() > 1) throw tavitool::UsageError{"too many arguments"};
    const std::string text = tavitool::ReadInput(args.empty() ? "" : args[0]);
    tavi::TmsMessage m;
    m.LoadFromString(text, !eml);
    std::string out;
    out += "From-Name: " + m.Sender.Name + "\n";
    out += "From-Address: " + m.Sender.Address + "\n";
    out += "Date: " + tavitool::FormatDate(tavi::ParseMailDate(m.Headers.GetValue("Date"))) + "\n";
    out += "Subject: " + m.Subject + "\n";
    out += "Content-Type: " + m.ContentType() + "\n";
    for (const tavi::TmsAttItem& a : m.Attachments)
        out += "Attachment: " + a.FileName() + "; " + a.ContentType + "; " +
               std::to_string(a.Data.Size()) + "\n";
    out += "\n";
    for (const std::string& line : m.Body) out += line + "\n";
    if (!saveDir.empty()) {
        std::filesystem::create_directories(saveDir);
        std::set<std::string> used;
        std::size_t i = 0;
        for (const tavi::TmsAttItem& a : m.Attachments) {
            const std::filesystem::path file =
                std::filesystem::path(saveDir) / SafeName(a.FileName(), i++, used);
            tavitool::WriteOutput(file.string(), a.Data.Data);
        }
    }
    tavitool::WriteOutput("", out);
    return 0;
}

tavitool::Register reg("mail-decode",
                       "[--eml] [--save DIR] [IN]   show a message as a POP3 server sends it "
                       "(--eml: a stored message file; --save: write its attachments to DIR)",
                       MailDecode);

} // namespace

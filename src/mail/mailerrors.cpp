#include "mail/mailerrors.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace tavi {

const char* MailResourceString(int id) {
    static const std::pair<int, const char*> texts[] = {
        {57000, "Operation timed out"},
        {57001, "Operation has been canceled"},
        {57002, "Server property is required"},
        {57003, "Invalid Winsock version"},
        {57004, "Error resolving remote host"},
        {57005, "Service name is required"},
        {57008, "You have to connect to the server first"},
        {57010, "Function %s not found"},
        {57011, "Winsock is not loaded"},
        {57012, "Winsock not found"},
        {57100, mailtext::SenderRequired},
        {57101, mailtext::RecipientRequired},
        {57102, "MailMessage property must be assigned"},
        {57103, "UserName property is required"},
        {57104, "Password property is required"},
        {57105, "IDs are different"},
        {57106, mailtext::MultipartPreamble},
        {57107, "Unable to retrieve headers"},
        {57108, "Missing required field: Content-Type"},
        {57109, mailtext::NoClosingBoundary},
        {57110, mailtext::NoBoundary},
        {57111, mailtext::AttachmentError},
        {57112, "Unable to execute attachment #%d\nbecause file name is blank"},
        {57113, "Error executing ShellExec.  Error code %d"},
        {57114, "Article property must be assigned"},
        {57115, "Newsgroup header is required"},
        {57116, "Subject header is required"},
        {57117, "Newsgroup has not been selected"},
        {57118, "Article number is not in valid range"},
    };
    auto it = std::lower_bound(std::begin(texts), std::end(texts), id,
                               [](const auto& entry, int key) { return entry.first < key; });
    return it != std::end(texts) && it->first == id ? it->second : nullptr;
}

} // namespace tavi

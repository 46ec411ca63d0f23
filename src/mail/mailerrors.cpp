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
        {57013, "The server's certificate was refused"},
        {57014, "The secure connection could not be made"},
        {57015, "The server does not offer to encrypt the connection, so nothing was sent"},
        {57016, "A password is never sent over an unencrypted connection: choose STARTTLS or "
                "implicit TLS"},
        {57017, "The server offers no login this program knows (AUTH PLAIN or LOGIN)"},
        {57018, "The file of trusted certificates cannot be read"},
        {57019, "The server sent data before the connection was encrypted"},
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

std::string TransportErrorText(int n) {
    static const std::pair<int, const char*> socketTexts[] = {
        {10004, "Interrupted function call"},
        {10013, "Permission denied"},
        {10035, "Resource temporarily unavailable"},
        {10036, "Operation now in progress"},
        {10045, "Operation not supported"},
        {10048, "Address already in use"},
        {10049, "Cannot assign requested address"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10053, "Software caused connection abort"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available"},
        {10057, "Socket is not connected"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {11001, "Host not found"},
        {11002, "Non-authoritative host not found"},
        {11004, "Valid name, no data record of requested type"},
    };
    const char* text = nullptr;
    if (n < 10000 || n > 11004) {
        text = MailResourceString(n);
    } else {
        auto it = std::lower_bound(std::begin(socketTexts), std::end(socketTexts), n,
                                   [](const auto& entry, int key) { return entry.first < key; });
        if (it != std::end(socketTexts) && it->first == n) text = it->second;
    }
    return text ? std::string(text) : "Error #" + std::to_string(n);
}

} // namespace tavi

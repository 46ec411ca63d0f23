// The exception and the message texts of the mail layer.
#pragma once

#include <stdexcept>
#include <string>

namespace tavi {

// A failure inside the mail classes; the message is one of the texts below.
class EMailError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Texts the message layer raises or writes.
namespace mailtext {
inline constexpr const char* InvalidCharacter = "Invalid Character";
inline constexpr const char* MultipartPreamble = "This is a multipart message in MIME format";
inline constexpr const char* NoClosingBoundary = "Cannot find closing boundary";
inline constexpr const char* NoBoundary = "Cannot find boundary";
inline constexpr const char* AttachmentError = "Error decoding the attachment";
inline constexpr const char* SenderRequired = "The address of sender is required";
inline constexpr const char* RecipientRequired =
    "At least one Recipient, CC or BCC must be entered";
inline constexpr const char* BadListOwner = "Owner of TmsListMessage must be TmsMessageList";
inline constexpr const char* ErrorBodyLine1 =
    "The following error has been occured while processing the message:";
inline constexpr const char* ErrorBodyLine3 =
    "The original message will be stored as an attachment";
inline constexpr const char* OriginalMessageName = "original.eml";
} // namespace mailtext

// The numbered texts of the whole mail layer (57000 to 57118: transport, clients and messages),
// or nullptr for a number that has none. Some hold a printf-style %s or %d.
const char* MailResourceString(int id);

} // namespace tavi

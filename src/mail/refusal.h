// Why a transfer failed, told from the server's reply, and what the user is told of it: the
// reason in words people know, and that the letter did not go (or come).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tavi {

enum class TRefusal { LoginRequired, LoginRefused, EncryptionRequired, TooLarge, Other };

// From an SMTP reply ("530 5.7.0 Authentication required") or a POP3 one ("-ERR [AUTH] ...").
TRefusal ClassifyRefusal(std::string_view reply);

// How a transfer failed: the connection was lost (or never made, or timed out), the server
// refused a step, or something on this side failed.
enum class TFailure { ConnectionLost, Refused, Local };

// What the transfer window says of a failure: message keys said one after another, and the
// same in sentences (UTF-8) for a message box when speech is off.
struct TFailureNotice {
    std::vector<std::string> Prompts;
    std::string BoxText;
};
// text: the server's refusal, or what failed. sending: the letter was being sent, else
// letters were being fetched.
TFailureNotice FailureNotice(TFailure failure, bool sending, std::string_view text);

} // namespace tavi

#include "mail/refusal.h"

#include "mail/mailheaders.h"
#include "mail/mailreplies.h"

namespace tavi {

namespace {

struct TSaid {
    const char* Prompt;
    const char* Text; // what the prompt says, for the message box
};

// In the order of TRefusal.
constexpr TSaid Reasons[] = {
    {"zzzmesgi", "Máy chủ đòi đăng nhập."},
    {"zzzmesgj", "Máy chủ không nhận tên người dùng hoặc mật khẩu."},
    {"zzzmesgf", "Máy chủ đòi kết nối mã hóa."},
    {"zzzmesgx", "Thư quá lớn, máy chủ không nhận."},
    {"zzzmesgy", "Máy chủ từ chối."},
};
constexpr TSaid NotSent = {"zzzmesgz", "Thư chưa được gửi."};
constexpr TSaid NotReceived = {"zzzmeskq", "Chưa nhận được thư."};
constexpr TSaid Lost = {"zzzmeskp ", "Mất kết nối. Đã hủy chuyển thư."};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The enhanced status code after an SMTP reply code ("5.7.8" in "535 5.7.8 Bad login"), or
// empty.
std::string_view EnhancedStatus(std::string_view reply) {
    if (reply.size() < 5) return {};
    std::string_view rest = TrimBlanks(reply.substr(4));
    rest = rest.substr(0, rest.find(' '));
    int dots = 0;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '.' && i > 0 && IsDigit(rest[i - 1]))
            ++dots;
        else if (!IsDigit(rest[i]))
            return {};
    }
    return dots == 2 && IsDigit(rest.back()) ? rest : std::string_view();
}

// POP3 servers answer a wrong password with "-ERR [AUTH] ..." or say so in words.
TRefusal PopRefusal(std::string_view reply) {
    for (const char* word : {"[AUTH]", "auth", "password", "login", "credential"})
        if (ContainsNoCase(reply, word)) return TRefusal::LoginRefused;
    return TRefusal::Other;
}

} // namespace

TRefusal ClassifyRefusal(std::string_view reply) {
    const int code = SmtpReplyCode(reply);
    if (code < 0) return PopRefusal(reply);
    const std::string_view status = EnhancedStatus(reply);
    if (code == 535 || status == "5.7.8") return TRefusal::LoginRefused;
    // "530 Must issue a STARTTLS command first" shares its code with a login required.
    if (code == 538 || status == "5.7.11" || ContainsNoCase(reply, "TLS"))
        return TRefusal::EncryptionRequired;
    if (code == 530) return TRefusal::LoginRequired;
    if (code == 552 || status == "5.3.4" || status == "5.2.3") return TRefusal::TooLarge;
    return TRefusal::Other;
}

TFailureNotice FailureNotice(TFailure failure, bool sending, std::string_view text) {
    TFailureNotice notice;
    const auto say = [&notice](const TSaid& said) {
        notice.Prompts.emplace_back(said.Prompt);
        notice.BoxText += notice.BoxText.empty() ? said.Text : std::string(" ") + said.Text;
    };
    if (failure == TFailure::ConnectionLost) {
        say(Lost);
    } else {
        if (failure == TFailure::Refused) say(Reasons[static_cast<int>(ClassifyRefusal(text))]);
        say(sending ? NotSent : NotReceived);
    }
    if (!text.empty()) notice.BoxText += "\n\n" + std::string(text);
    return notice;
}

} // namespace tavi

#include "mail/tlsmode.h"

#include "mail/mailheaders.h"

#include <array>
#include <utility>

namespace tavi {

namespace {

constexpr std::array<std::pair<TTlsMode, const char*>, 3> ModeNames = {{
    {TTlsMode::None, "none"},
    {TTlsMode::StartTls, "starttls"},
    {TTlsMode::Implicit, "implicit"},
}};

// The first number of a dotted IPv4 address when the whole text is one ("127.0.0.1").
std::optional<int> FirstOctet(std::string_view text) {
    int parts = 0, value = -1, first = -1, digits = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || value > 255) return std::nullopt;
            if (++parts == 1) first = value;
            value = -1;
            digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9' && digits < 3) {
            value = (value < 0 ? 0 : value * 10) + (text[i] - '0');
            ++digits;
        } else {
            return std::nullopt;
        }
    }
    if (parts != 4) return std::nullopt;
    return first;
}

} // namespace

std::optional<TTlsMode> ParseTlsMode(std::string_view name) {
    for (const auto& [mode, text] : ModeNames)
        if (EqualsNoCase(name, text)) return mode;
    return std::nullopt;
}

const char* TlsModeName(TTlsMode mode) {
    for (const auto& [m, text] : ModeNames)
        if (m == mode) return text;
    return "none";
}

TTlsMode DefaultTlsMode(int port) {
    return port == 465 || port == 995 ? TTlsMode::Implicit : TTlsMode::StartTls;
}

bool IsLoopbackAddress(std::string_view address) {
    // IPv4 mapped into IPv6 is still the IPv4 address.
    if (StartsWithNoCase(address, "::ffff:")) address.remove_prefix(7);
    if (const auto first = FirstOctet(address)) return *first == 127;
    return address == "::1" || address == "0:0:0:0:0:0:0:1";
}

bool MaySendSecret(bool encrypted, std::string_view peerAddress) {
    return encrypted || IsLoopbackAddress(peerAddress);
}

} // namespace tavi

#include "shell/recovery.h"

#include "dialogs/filenames.h"
#include "platform/atomicfile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tavi {

namespace {

constexpr std::string_view Header = "TAVI RECOVERY 1\n";
// A document larger than the editor takes is no document of ours.
constexpr std::size_t MaxField = std::size_t{256} << 20;

void PutField(std::string& out, std::string_view name, std::string_view value) {
    out.append(name).append(" ").append(std::to_string(value.size())).append("\n");
    out.append(value).append("\n");
}

// "name LENGTH\n" then LENGTH bytes and "\n".
std::optional<std::string> TakeField(std::string_view& data, std::string_view name) {
    if (!data.starts_with(name) || data.size() <= name.size() || data[name.size()] != ' ')
        return std::nullopt;
    data.remove_prefix(name.size() + 1);
    std::size_t length = 0, digits = 0;
    while (digits < data.size() && data[digits] >= '0' && data[digits] <= '9' && digits < 10)
        length = length * 10 + static_cast<std::size_t>(data[digits++] - '0');
    if (digits == 0 || length > MaxField || digits >= data.size() || data[digits] != '\n')
        return std::nullopt;
    data.remove_prefix(digits + 1);
    if (data.size() < length + 1 || data[length] != '\n') return std::nullopt;
    std::string value(data.substr(0, length));
    data.remove_prefix(length + 1);
    return value;
}

} // namespace

std::string FormatRecovery(const TRecovery& r) {
    std::string out(Header);
    PutField(out, "name", r.FileName);
    PutField(out, "display", r.Braille ? "braille" : "vni");
    PutField(out, "rtf", r.Rtf);
    return out;
}

std::optional<TRecovery> ParseRecovery(std::string_view data) {
    if (!data.starts_with(Header)) return std::nullopt;
    data.remove_prefix(Header.size());
    TRecovery r;
    const auto name = TakeField(data, "name");
    const auto display = TakeField(data, "display");
    const auto rtf = TakeField(data, "rtf");
    if (!name || !display || !rtf || !data.empty()) return std::nullopt;
    if (*display != "vni" && *display != "braille") return std::nullopt;
    r.FileName = *name;
    r.Braille = *display == "braille";
    r.Rtf = *rtf;
    return r;
}

std::filesystem::path RecoveryFile(const std::filesystem::path& stateFolder,
                                   const std::string& userName) {
    return stateFolder / (UserFolderName(userName) + ".recovery");
}

int RecoveryDelayMs(long long sinceLastMs, int firstMs, int periodMs) {
    if (sinceLastMs < 0) return firstMs;
    return static_cast<int>(std::max<long long>(firstMs, periodMs - sinceLastMs));
}

void WriteRecoveryFile(const std::filesystem::path& file, const TRecovery& r) {
    WriteFileAtomically(file, FormatRecovery(r));
}

std::optional<TRecovery> ReadRecoveryFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseRecovery(data);
}

} // namespace tavi

#include "dialogs/fileinfo.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tavi {

std::string DateText(const std::tm& t) {
    const auto n = [](int v) { return std::to_string(v); };
    return " Nga\xF8y " + n(t.tm_mday) + " Tha\xF9ng " + n(t.tm_mon + 1) + " Na\xEAm " +
           n(t.tm_year + 1900) + "   " + n(t.tm_hour) + " Gi\xF4\xF8 " + n(t.tm_min) +
           " Phu\xF9t " + n(t.tm_sec) + " Gia\xE2y "; // Ngày Tháng Năm Giờ Phút Giây
}

std::string DateText(std::time_t when) {
    std::tm local{};
    if (!localtime_r(&when, &local)) return UnknownTimeText;
    return DateText(local);
}

std::pair<std::string, std::string> FileTimes(const std::filesystem::path& file) {
    std::pair<std::string, std::string> times{UnknownTimeText, UnknownTimeText};
    struct statx st {};
    if (statx(AT_FDCWD, file.c_str(), 0, STATX_BTIME | STATX_MTIME, &st) != 0) return times;
    if (st.stx_mask & STATX_BTIME)
        times.first = DateText(static_cast<std::time_t>(st.stx_btime.tv_sec));
    if (st.stx_mask & STATX_MTIME)
        times.second = DateText(static_cast<std::time_t>(st.stx_mtime.tv_sec));
    return times;
}

std::int64_t FileSize(const std::filesystem::path& file) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    return ec ? -1 : static_cast<std::int64_t>(size);
}

std::size_t WordCount(std::string_view text) {
    // Control characters and blanks at either end are no words; inside, blanks, tabs and line
    // breaks separate words and a run of them counts once.
    const auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && isTrimmed(text.front())) text.remove_prefix(1);
    while (!text.empty() && isTrimmed(text.back())) text.remove_suffix(1);
    std::size_t words = 0;
    bool inWord = false;
    for (char c : text) {
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return words;
}

} // namespace tavi

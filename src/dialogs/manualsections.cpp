#include "dialogs/manualsections.h"

#include <algorithm>

namespace tavi {

namespace {

bool IsHeading(const std::string& line) {
    return !line.empty() && line[0] >= '0' && line[0] <= '9';
}

} // namespace

std::vector<std::string> TManualSections::Section(const std::string& number) {
    auto start = std::find(Lines.begin(), Lines.end(), number);
    if (start == Lines.end()) {
        Number.clear();
        start = Lines.begin();
    } else {
        ++start;
    }
    const auto end = std::find_if(start, Lines.end(), IsHeading);
    return std::vector<std::string>(start, end);
}

std::vector<std::string> TManualSections::TypeDigit(char digit, std::uint32_t nowMs) {
    if (LastKeyMs && nowMs - *LastKeyMs < DigitPauseMs)
        Number += digit;
    else if (Number.empty())
        Number = digit;
    else
        Number += std::string(".") + digit;
    LastKeyMs = nowMs;
    return Section(Number);
}

std::vector<std::string> TManualSections::Opening() {
    // Showing section 0 is not a digit the user typed: it must not become the start of the
    // next number, or the first section asked for would be looked up as 0.2.
    Number.clear();
    LastKeyMs.reset();
    auto lines = Section("0");
    Number.clear();
    return lines;
}

} // namespace tavi

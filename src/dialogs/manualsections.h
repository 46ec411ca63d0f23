// The numbered sections of a help text and the digits typed to choose one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavi {

class TManualSections {
public:
    // Digits typed less than this apart continue one number (1 then 2 gives 12).
    static constexpr std::uint32_t DigitPauseMs = 1000;

    explicit TManualSections(std::vector<std::string> lines) : Lines(std::move(lines)) {}

    // The lines of a section: those after the line equal to its number, up to the next
    // non-empty line that starts with a digit. An unknown number gives the lines from the
    // start of the file and clears the number typed so far.
    std::vector<std::string> Section(const std::string& number);

    // A digit typed at the given time (milliseconds): 2, a pause, then 3 gives 2.3.
    std::vector<std::string> TypeDigit(char digit, std::uint32_t nowMs);

    // The section shown when the window opens: section 0. The number typed next starts afresh.
    std::vector<std::string> Opening();

    const std::string& SectionNumber() const { return Number; }

private:
    std::vector<std::string> Lines;
    std::string Number;
    std::optional<std::uint32_t> LastKeyMs;
};

} // namespace tavi

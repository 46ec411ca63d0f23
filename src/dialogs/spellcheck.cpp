#include "dialogs/spellcheck.h"

#include "dialogs/syllable.h"
#include "dialogs/talker.h"

#include <algorithm>
#include <array>

namespace tavi {

namespace {

constexpr std::array<bool, 256> MakeLetterSet() {
    std::array<bool, 256> set{};
    const auto mark = [&](unsigned from, unsigned to) {
        for (unsigned c = from; c <= to; ++c) set[c] = true;
    };
    mark('A', 'Z');
    mark('a', 'z');
    mark(192, 198);
    mark(200, 214);
    mark(216, 220);
    mark(224, 230);
    mark(232, 246);
    mark(248, 252);
    mark(255, 255);
    return set;
}

constexpr std::array<bool, 256> VniWinLetters = MakeLetterSet();

} // namespace

bool IsVniWinLetter(unsigned char c) {
    return VniWinLetters[c];
}

TSpellChecker::TSpellChecker() {
    Converter.SetSourceTable(VniWinTable);
    Converter.SetDestTable(VniDosTable);
}

bool TSpellChecker::IsSuspect(std::string_view word) {
    Letters.clear();
    for (char c : word)
        if (IsVniWinLetter(static_cast<unsigned char>(c))) Letters += c;
    if (Letters.empty()) return false;
    return !IsValidSyllable(Converter.ConvertWord(Letters));
}

TSpellResult TSpellChecker::FindSuspect(std::string_view text, std::size_t textLength,
                                        std::size_t start, const TSpellHooks& hooks) {
    TSpellResult result;
    const std::size_t length = std::min(textLength, text.size());
    // Positions are 1-based: the byte at position p is text[p - 1].
    const auto blank = [&](std::size_t p) {
        return IsSpellBlank(static_cast<unsigned char>(text[p - 1]));
    };
    int shown = -1;
    for (std::size_t position = std::max<std::size_t>(start, 1); position <= length;) {
        if (hooks.Gauge) {
            const int percent = static_cast<int>(position * 100 / length);
            if (percent != shown) hooks.Gauge(shown = percent);
        }
        while (position <= length && blank(position)) ++position;
        std::size_t n = 0;
        while (position + n <= length && !blank(position + n)) ++n;
        const bool found = n > 0 && IsSuspect(text.substr(position - 1, n));
        // A stop request wins over a word found at the same time: nothing is reported.
        if (hooks.StopRequested && hooks.StopRequested()) {
            result.Stopped = true;
            return result;
        }
        if (found) {
            result.Found = true;
            result.Position = position;
            result.Length = n;
            result.End = position + n;
            return result;
        }
        position += n + 1;
    }
    return result;
}

} // namespace tavi

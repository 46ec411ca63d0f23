// The accent keyboard's engine: a vowel (or d) typed as usual, then an accent key right after
// it, replaces the letter before the caret by its marked form (a then 1 gives á).
#pragma once

#include "codes/keyinput.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tavi {

class TVnKey : public TKeyEngine {
public:
    static constexpr std::size_t LetterCount = 146; // a…đ then A…Đ, six tones per group
    static constexpr std::size_t EntryMax = 15;     // bytes kept of a letter
    static constexpr std::size_t AccentKeyCount = 9;
    // The marks, numbered as their accent keys.
    enum TMark {
        Acute = 1,
        Grave,
        Hook,
        Tilde,
        Dot,
        Circumflex,
        Horn,
        Breve,
        Bar,
    };
    enum class TState { Idle, AfterLetter };

    // The built-in letter tables, entries separated by single spaces: "VNI-ANSI" (the letters
    // of "Vni for Win") and "VNI-ASCII" (one byte per letter).
    static const std::string_view VniAnsiTable;
    static const std::string_view VniAsciiTable;

    // Fills the letter table from a text in the destination-table form (a line feed is
    // ignored, every CR or space starts the next entry), starting at entry 0. Entries past
    // the last one of the text become empty; bytes past entry 145 are ignored.
    void LoadTable(std::string_view text);
    const std::string& Letter(std::size_t n) const { return Letters.at(n); }

    // The accent keys, mark 1 first; at most nine are kept.
    void SetAccentKeys(std::string_view keys);
    const std::string& AccentKeys() const { return Keys; }

    TState State() const { return FState; }
    const std::string& PrevText() const { return FPrevText; }

    // The letter that mark k (1-9) makes of prev; empty when the mark does not apply.
    std::string Combination(std::string_view prev, int k) const;

    // A typed character. Returns Suppress when it was an accent key that marked the letter
    // before the caret, Pass when it is to be typed as usual.
    TKeyVerdict Character(unsigned char c, TEditTarget& target);

    TKeyVerdict KeyDown(const TKeyEvent& key, TEditTarget& target) override;
    void KeyUp(const TKeyEvent&, TEditTarget&) override {}
    void MouseDown() override { FPrevText.clear(); }

private:
    int Find(std::string_view text) const;

    std::array<std::string, LetterCount> Letters;
    std::string Keys;
    TState FState = TState::Idle;
    std::string FPrevText;
};

// The one accent engine of the program, shared by every accent keyboard component.
TVnKey& VnKeyEngine();

} // namespace tavi

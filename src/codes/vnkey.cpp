#include "codes/vnkey.h"

#include "codes/tabletree.h"

#include <algorithm>
#include <cstdint>

namespace tavi {

// clang-format off
const std::string_view TVnKey::VniAnsiTable =
    "a a\xF9 a\xF8 a\xFB a\xF5 a\xEF "
    "a\xEA a\xE9 a\xE8 a\xFA a\xFC a\xEB "
    "a\xE2 a\xE1 a\xE0 a\xE5 a\xE3 a\xE4 "
    "e e\xF9 e\xF8 e\xFB e\xF5 e\xEF "
    "e\xE2 e\xE1 e\xE0 e\xE5 e\xE3 e\xE4 "
    "i \xED \xEC \xE6 \xF3 \xF2 "
    "o o\xF9 o\xF8 o\xFB o\xF5 o\xEF "
    "o\xE2 o\xE1 o\xE0 o\xE5 o\xE3 o\xE4 "
    "\xF4 \xF4\xF9 \xF4\xF8 \xF4\xFB \xF4\xF5 \xF4\xEF "
    "u u\xF9 u\xF8 u\xFB u\xF5 u\xEF "
    "\xF6 \xF6\xF9 \xF6\xF8 \xF6\xFB \xF6\xF5 \xF6\xEF "
    "y y\xF9 y\xF8 y\xFB y\xF5 \xEE "
    "\xF1 "
    "A A\xD9 A\xD8 A\xDB A\xD5 A\xCF "
    "A\xCA A\xC9 A\xC8 A\xDA A\xDC A\xCB "
    "A\xC2 A\xC1 A\xC0 A\xC5 A\xC3 A\xC4 "
    "E E\xD9 E\xD8 E\xDB E\xD5 E\xCF "
    "E\xC2 E\xC1 E\xC0 E\xC5 E\xC3 E\xC4 "
    "I \xCD \xCC \xC6 \xD3 \xD2 "
    "O O\xD9 O\xD8 O\xDB O\xD5 O\xCF "
    "O\xC2 O\xC1 O\xC0 O\xC5 O\xC3 O\xC4 "
    "\xD4 \xD4\xD9 \xD4\xD8 \xD4\xDB \xD4\xD5 \xD4\xCF "
    "U U\xD9 U\xD8 U\xDB U\xD5 U\xCF "
    "\xD6 \xD6\xD9 \xD6\xD8 \xD6\xDB \xD6\xD5 \xD6\xCF "
    "Y Y\xD9 Y\xD8 Y\xDB Y\xD5 \xCE "
    "\xD1";

const std::string_view TVnKey::VniAsciiTable =
    "a \xA0 \x85 \xE0 \xE1 \xE2 "
    "\xE8 \xE9 \xEA \xEB \xEC \xED "
    "\x83 \xE3 \xE4 \xE5 \xE6 \xE7 "
    "e \x82 \x8A \x81 \x84 \x86 "
    "\x88 \x89 \x8B \x8E \x8F \xAC "
    "i \xA1 \x8D \xA9 \xAA \xAB "
    "o \xA2 \x95 \x91 \x92 \x94 "
    "\x93 \x96 \x98 \x99 \x9A \x9B "
    "\xF3 \xF4 \xF5 \xF6 \xF7 \xF8 "
    "u \xA3 \x97 \x9C \x9D \x9E "
    "\x9F \xA4 \xA5 \xA6 \xA7 \xA8 "
    "y \xEE \xEF \xF0 \xF1 \xF2 "
    "\xAD "
    "A ^ ` | } ~ "
    "\xFC \xB0 \xB1 \xB2 \xB3 { "
    "\xFD \x80 \x87 \x8C \x90 \xAF "
    "E \xB4 \xB5 \xB6 \xB7 \xB8 "
    "\xFE \xB9 \xBA \xBB \xBC \xBD "
    "I \xBE \xBF \xC0 \xC1 \xC2 "
    "O \xC3 \xC4 \xC5 \xC6 \xC7 "
    "\xF9 \xC8 \xC9 \xCA \xCB \xCC "
    "\xFA \xCD \xCE \xCF \xD0 \xD1 "
    "U \xD2 \xD3 \xD4 \xD5 \xD6 "
    "\xFB \xD7 \xD8 \xD9 \xDA \xDB "
    "Y \xDC \xDD \xDE \xDF @ "
    "\xAE";
// clang-format on

namespace {

constexpr std::size_t GroupSize = 6;
constexpr std::size_t LowerD = 72;  // đ
constexpr std::size_t UpperA = 73;  // first entry of the uppercase half
constexpr std::size_t UpperD = 145; // Đ

// How many groups circumflex, horn and breve move a letter of each vowel group.
constexpr std::int8_t None = 100;
constexpr std::int8_t Shift[12][3] = {
    {+2, None, +1},     // a -> â, ă
    {+1, None, 0},      // ă
    {0, None, -1},      // â
    {+1, None, None},   // e -> ê
    {0, None, None},    // ê
    {None, None, None}, // i
    {+1, +2, None},     // o -> ô, ơ
    {0, +1, None},      // ô
    {-1, 0, None},      // ơ
    {None, +1, None},   // u -> ư
    {None, 0, None},    // ư
    {None, None, None}, // y
};

unsigned char Upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? c - 0x20 : c;
}

// The letters that can take a mark: the vowels and d.
bool IsLetterKey(unsigned char c) {
    return c != 0 && std::string_view("ADEIOUY").find(char(Upper(c))) != std::string_view::npos;
}

} // namespace

void TVnKey::LoadTable(std::string_view text) {
    const auto entries = ReadDestEntries(text, LetterCount);
    std::copy(entries.begin(), entries.end(), Letters.begin());
}

void TVnKey::SetAccentKeys(std::string_view keys) {
    Keys = keys.substr(0, AccentKeyCount);
}

int TVnKey::Find(std::string_view text) const {
    for (std::size_t n = 0; n < LetterCount; ++n)
        if (Letters[n] == text) return int(n);
    return -1;
}

std::string TVnKey::Combination(std::string_view prev, int k) const {
    if (prev.empty() || k < Acute || k > Bar) return {};
    if (prev[0] == 'd' || prev[0] == 'D') {
        if (k != Bar) return {};
        return Letters[prev == "d" ? LowerD : UpperD];
    }
    const int found = Find(prev);
    if (found < 0) return {};
    const auto n = std::size_t(found);
    if (n == LowerD || n == UpperD) return {}; // đ takes no further mark
    if (k <= Dot)
        return Letters[n >= UpperA ? (n - 1) / GroupSize * GroupSize + 1 + k
                                   : n / GroupSize * GroupSize + k];
    if (k == Bar) return {};
    const std::size_t group = (n >= UpperA ? n - UpperA : n) / GroupSize;
    const int s = Shift[group][k - Circumflex];
    if (s == None) return {};
    return Letters[std::size_t(int(n) + 6 * s)];
}

TKeyVerdict TVnKey::Character(unsigned char c, TEditTarget& target) {
    const std::string cur(1, static_cast<char>(c));
    if (FState == TState::Idle) {
        FPrevText = cur;
        if (IsLetterKey(c)) FState = TState::AfterLetter;
        return {};
    }
    if (IsLetterKey(c)) {
        FPrevText = cur;
        return {};
    }
    const std::size_t pos = Keys.find(static_cast<char>(c));
    if (pos == std::string::npos) {
        FState = TState::Idle;
        FPrevText = cur;
        return {};
    }
    const int k = int(pos) + 1;
    const std::string made = Combination(FPrevText, k);
    // The letter is rewritten only where it still stands before the caret: a field that
    // refused it, a caret moved by the program or another widget must not lose its text.
    if (made.empty() || target.TextBeforeCaret(FPrevText.size()) != FPrevText) {
        FState = TState::Idle;
        FPrevText.clear();
        return {};
    }
    if (k == Bar && (FPrevText[0] == 'd' || FPrevText[0] == 'D')) FState = TState::Idle;
    target.SelectBeforeCaret(FPrevText.size());
    target.ReplaceSelection(made);
    FPrevText = made;
    return {TKeyVerdict::Suppress, 0};
}

TKeyVerdict TVnKey::KeyDown(const TKeyEvent& key, TEditTarget& target) {
    if (key.Extended || key.Keypad) FPrevText.clear();
    // A key typed with Alt (not AltGr, which also reports Control) is a menu key, not text.
    if (!key.Typed || (key.Alt && !key.Control)) return {};
    if (key.Char < 0) { // text that is no byte of ours ends the letter like any other character
        FState = TState::Idle;
        FPrevText.clear();
        return {};
    }
    return Character(static_cast<unsigned char>(key.Char), target);
}

TVnKey& VnKeyEngine() {
    static TVnKey engine;
    return engine;
}

} // namespace tavi

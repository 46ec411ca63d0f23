#include "document/editecho.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>
#include <utility>

namespace tavi {

namespace {

bool IsLineBreak(int c) {
    return c == '\r' || c == '\n';
}

std::string Bytes(const TCaretText& t, std::size_t start, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += static_cast<char>(t.At(start + i));
    return out;
}

} // namespace

bool IsCombiningMark(int c) {
    // The tilde (ngã) is a mark byte like the others: 0xD5 and 0xF5 ("ữ" is 0xF6 0xF5).
    return (c >= 0xC0 && c <= 0xC5) || (c >= 0xC8 && c <= 0xCB) || c == 0xCF || c == 0xD5 ||
           (c >= 0xD8 && c <= 0xDC) || (c >= 0xE0 && c <= 0xE5) || (c >= 0xE8 && c <= 0xEB) ||
           c == 0xEF || c == 0xF5 || (c >= 0xF8 && c <= 0xFC);
}

bool IsToneVowel(int c) {
    // The vowel letters, then the last bytes of Â Ă Ơ Ư (the marks of Â and Ă also end Ê and
    // Ô) and of their small letters.
    static constexpr std::string_view vowels = "AEIOUYaeiouy\xC2\xCA\xD4\xD6\xE2\xEA\xF4\xF6";
    return c > 0 && c <= 0xFF && vowels.find(static_cast<char>(c)) != std::string_view::npos;
}

// A mark belongs to the letter before it, unless a line break stands there (a stray mark).
TPiece LetterBefore(const TCaretText& t, bool vniDisplay) {
    if (t.Caret == 0 || t.At(t.Caret - 1) < 0) return {};
    const bool whole = vniDisplay && t.Caret >= 2 && IsCombiningMark(t.At(t.Caret - 1)) &&
                       t.At(t.Caret - 2) >= 0 && !IsLineBreak(t.At(t.Caret - 2));
    const std::size_t start = t.Caret - (whole ? 2 : 1);
    return {start, Bytes(t, start, t.Caret - start)};
}

TPiece LetterAfter(const TCaretText& t, bool vniDisplay) {
    const int c = t.At(t.Caret);
    if (c < 0) return {t.Caret, {}};
    const bool whole = vniDisplay && !IsLineBreak(c) && IsCombiningMark(t.At(t.Caret + 1));
    return {t.Caret, Bytes(t, t.Caret, whole ? 2 : 1)};
}

namespace {

TFieldKeyEcho Beep() {
    TFieldKeyEcho e;
    e.Beep = true;
    return e;
}

// A letter deleted; clear: the byte removed first when it has two.
TFieldKeyEcho Deleting(const TPiece& letter, std::size_t clear) {
    TFieldKeyEcho e;
    e.Deletion = true;
    e.Said = letter.Bytes;
    if (letter.Bytes.size() == 2) e.ClearByte = clear;
    return e;
}

TFieldKeyEcho DeletingSelection(const TCaretText& t) {
    TFieldKeyEcho e;
    e.Deletion = e.Selection = true;
    e.Said = Bytes(t, t.Caret, t.SelLength);
    return e;
}

TFieldKeyEcho Passing(const TPiece& letter, std::size_t caret, bool moves) {
    TFieldKeyEcho e;
    e.Said = letter.Bytes;
    if (moves) e.CaretTo = caret;
    return e;
}

} // namespace

TFieldKeyEcho FieldKeyEcho(TFieldKey key, const TCaretText& t, bool vniDisplay) {
    const bool atEnd = t.Caret >= t.Length;
    switch (key) {
    case TFieldKey::Left: {
        if (atEnd) return {};
        TCaretText passed = t; // the letter the caret has just passed
        ++passed.Caret;
        const TPiece letter = LetterBefore(passed, vniDisplay);
        return Passing(letter, letter.Start, letter.Start < t.Caret);
    }
    case TFieldKey::Right: {
        if (atEnd) return Beep();
        const TPiece letter = LetterAfter(t, vniDisplay);
        return Passing(letter, t.Caret + 1, letter.Bytes.size() == 2);
    }
    case TFieldKey::Delete:
        if (atEnd) return Beep();
        if (t.SelLength > 0) return DeletingSelection(t);
        return Deleting(LetterAfter(t, vniDisplay), t.Caret);
    case TFieldKey::Backspace:
        if (t.SelLength > 0) return DeletingSelection(t);
        if (t.Caret == 0) return Beep();
        const TPiece letter = LetterBefore(t, vniDisplay);
        return Deleting(letter, letter.Start + 1);
    }
    return {};
}

TAccentEcho AccentKeyEcho(char key, int before) {
    const auto with = [before](int mark) {
        return TAccentEcho{std::string{static_cast<char>(before), static_cast<char>(mark)}};
    };
    switch (key) {
    case '6':
        if (before == 'A' || before == 'E' || before == 'O') return with(0xC2);
        if (before == 'a' || before == 'e' || before == 'o') return with(0xE2);
        break;
    case '8':
        if (before == 'A') return with(0xCA);
        if (before == 'a') return with(0xEA);
        break;
    case '7':
        if (before == 'O' || before == 'U' || before == 'o' || before == 'u') return {{}, true};
        break;
    case '9':
        if (before == 'D' || before == 'd') return {{}, true};
        break;
    }
    return {};
}

int CtrlAltByte(int key) {
    // The keys 0x30 ("0") to 0x5A ("Z"); the punctuation codes between "9" and "A" type nothing.
    static constexpr std::array<unsigned char, 0x5A - 0x30 + 1> bytes = {
        0xAA, 0x9E, 0xAB, 0x96, 0xA6, 0xBA, 0xBB, 0x8B, 0,    0,    // 0-9
        0,    0,    0,    0,    0,    0,    0,                      // : ; < = > ? @
        0xA4, 0x89, 0,    0x86, 0xA1, 0x80, 0x81, 0x84, 0x85, 0xBF, // A-J
        0x82, 0xB5, 0x8A, 0,    0x9A, 0xA7, 0x8F, 0x90, 0x97, 0x98, // K-T
        0x87, 0x9D, 0x8D, 0x9B, 0x95, 0x8E};                        // U-Z
    if (key < 0x30 || key > 0x5A) return -1;
    return bytes[static_cast<std::size_t>(key - 0x30)];
}

namespace {

// The word a key ends, but no more than its last WordEchoMax bytes, the ones just typed: a run
// of thousands of letters without a blank is no word anyone can listen to, and the reader
// would spell every letter of it.
std::string EndedWord(const TCaretText& t) {
    std::string word = t.SegmentText("\r\n\t ");
    if (word.size() <= WordEchoMax) return word;
    std::size_t cut = word.size() - WordEchoMax;
    while (cut < word.size() && IsCombiningMark(static_cast<unsigned char>(word[cut]))) ++cut;
    return word.substr(cut);
}

} // namespace

TTypedEcho TypedEcho(unsigned char ch, TEchoMode mode, bool vniDisplay, const TCaretText& t,
                     bool placedByKeyboard) {
    const bool braille = !vniDisplay;
    switch (mode) {
    case TEchoMode::Char:
        if (ch == 0) {
            // A key that typed nothing says nothing, unless a keyboard put a letter in its place.
            if (!placedByKeyboard) return {};
            return {LetterBefore(t, vniDisplay).Bytes, braille};
        }
        if (ch == ' ') {
            // The word the space ends; a line break ends a word as well as a tab does.
            std::string word = EndedWord(t);
            return {word.empty() ? std::string(" ") : word, braille};
        }
        return {std::string(1, static_cast<char>(ch)), braille};
    case TEchoMode::Word:
        if (ch == '\t' || ch == '\r' || ch == ' ' || ch == '.')
            return {EndedWord(t), false, braille};
        return {};
    case TEchoMode::Sentence:
        // The full stop is the same byte in Braille text (the cell of dots 2 5 6).
        if (ch == '.') return {t.SegmentText(".\n\r"), false, braille};
        return {};
    case TEchoMode::Paragraph:
        if (ch == '\r') return {t.SegmentText("\r\n"), false, braille};
        return {};
    case TEchoMode::None: return {};
    }
    return {};
}

const std::string& ToneMarkName(int tone) {
    static const std::array<std::string, 5> names = {"da\xE1u sa\xE9"
                                                     "c",
                                                     "da\xE1u huye\xE0n", "da\xE1u ho\xFBi",
                                                     "da\xE1u nga\xF5", "da\xE1u na\xEBng"};
    return names.at(static_cast<std::size_t>(tone - 1));
}

std::string DeletionName(bool english) {
    return english ? "delete " : "zzzmeslg ";
}

std::string SpaceName(bool english) {
    return english ? "space" : "zzzmesev";
}

std::string LineAndColumn(int line, int column) {
    return "do\xF8ng " + std::to_string(line) + " co\xE4t " + std::to_string(column);
}

std::size_t LetterLength(std::string_view bytes, std::size_t i, bool marks) {
    if (i >= bytes.size()) return 0;
    const auto at = [&](std::size_t k) {
        return k < bytes.size() ? static_cast<unsigned char>(bytes[k]) : 0u;
    };
    const bool lineBreak = at(i) == '\r' && at(i + 1) == '\n';
    const bool pair = lineBreak || (marks && !IsLineBreak(static_cast<int>(at(i))) &&
                                    IsCombiningMark(static_cast<int>(at(i + 1))));
    return pair ? 2 : 1;
}

std::size_t LetterCount(std::string_view bytes, bool marks) {
    std::size_t letters = 0;
    for (std::size_t i = 0; i < bytes.size(); i += LetterLength(bytes, i, marks)) ++letters;
    return letters;
}

namespace {

constexpr std::string_view Blanks = " \t\r\n";

// At most max bytes of a word, not parting a letter from its mark.
std::string_view CutWord(std::string_view word, std::size_t max, bool marks) {
    std::size_t end = 0;
    while (end < word.size()) {
        const std::size_t next = end + LetterLength(word, end, marks);
        if (next > max) break;
        end = next;
    }
    return word.substr(0, end);
}

} // namespace

TTextStart TextStart(std::string_view text, bool vniDisplay, std::size_t words) {
    TTextStart s;
    s.Letters = LetterCount(text, vniDisplay);
    std::size_t at = text.find_first_not_of(Blanks);
    for (std::size_t taken = 0; taken < words && at != std::string_view::npos; ++taken) {
        const std::size_t end = std::min(text.find_first_of(Blanks, at), text.size());
        const std::size_t room = StartBytesMax - std::min(s.Words.size(), StartBytesMax);
        const std::string_view word = CutWord(text.substr(at, end - at), room, vniDisplay);
        if (!s.Words.empty() && !word.empty()) s.Words += ' ';
        s.Words += word;
        if (word.size() < end - at) return s; // a run too long to say whole
        at = text.find_first_not_of(Blanks, end);
    }
    s.Whole = at == std::string_view::npos;
    return s;
}

std::string SpokenStart(std::string_view text, bool vniDisplay, bool english) {
    const TTextStart s = TextStart(text, vniDisplay);
    const std::string words = s.Words.empty() ? SpaceName(english) : s.Words;
    const char* unit = !english ? " zzzmeswd" : s.Letters == 1 ? " letter" : " letters";
    return words + ", " + std::to_string(s.Letters) + unit;
}

std::string UnselectedName(bool english) {
    return english ? "unselected " : "zzzmeswc ";
}

TSelectionChange SelectionChange(std::size_t oldStart, std::size_t oldEnd, std::size_t newStart,
                                 std::size_t newEnd) {
    // What the one range has outside the other: with one end kept, a single piece.
    const auto outside = [](std::size_t s, std::size_t e, std::size_t os, std::size_t oe) {
        if (os == oe || e <= os || s >= oe) return std::pair{s, e};
        if (s < os) return std::pair{s, os};
        if (e > oe) return std::pair{oe, e};
        return std::pair{s, s};
    };
    TSelectionChange c;
    std::tie(c.AddedStart, c.AddedEnd) = outside(newStart, newEnd, oldStart, oldEnd);
    std::tie(c.RemovedStart, c.RemovedEnd) = outside(oldStart, oldEnd, newStart, newEnd);
    return c;
}

TTextChange TextChange(std::string_view before, std::string_view after, bool vniDisplay) {
    const std::size_t shorter = std::min(before.size(), after.size());
    std::size_t head = 0;
    while (head < shorter && before[head] == after[head]) ++head;
    std::size_t tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    // A letter and its mark go together: a difference in either is a different letter.
    const auto mark = [](std::string_view t, std::size_t i) {
        return i < t.size() && IsCombiningMark(static_cast<unsigned char>(t[i]));
    };
    if (vniDisplay && head > 0 && (mark(before, head) || mark(after, head))) --head;
    if (vniDisplay && tail > 0 && mark(before, before.size() - tail)) --tail;
    return {head, std::string(before.substr(head, before.size() - head - tail)),
            std::string(after.substr(head, after.size() - head - tail))};
}

} // namespace tavi

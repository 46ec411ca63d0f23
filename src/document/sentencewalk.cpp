#include "document/sentencewalk.h"

#include "codes/wordplaces.h"
#include "document/editecho.h"

#include <algorithm>

namespace tavi {

namespace {

// Bytes looked at before the caret for the start of its word: a longer word is read from the
// caret.
constexpr std::size_t WordBack = 255;
// Bytes asked for at a time while blanks are skipped.
constexpr std::size_t SkipWindow = 4096;
// The sentences kept after they are handed out, for the places the voice reports late.
constexpr std::size_t KeptMost = 16;

bool IsEndMark(char c) {
    return c == '!' || c == '?' || c == '.';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where the sentence that starts the window ends, end marks included; the window's size when
// it ends there. A full stop between digits belongs to a number.
std::size_t SentenceEnd(std::string_view w) {
    for (std::size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        if (c == '\r' || c == '\n') return i;
        if (!IsEndMark(c)) continue;
        if (c == '.' && i > 0 && IsDigit(w[i - 1]) && i + 1 < w.size() && IsDigit(w[i + 1]))
            continue;
        while (i + 1 < w.size() && IsEndMark(w[i + 1])) ++i;
        return i + 1;
    }
    return w.size();
}

// A sentence too long to be read as one ends after its last blank within SentenceMost, or, in
// a run without one, at SentenceMost, keeping a two-byte letter whole.
std::size_t CutLongSentence(std::string_view w) {
    const std::size_t blank = w.substr(0, SentenceMost).find_last_of(" \t");
    if (blank != std::string_view::npos && blank > 0) return blank + 1;
    std::size_t cut = SentenceMost;
    if (cut < w.size() && IsCombiningMark(static_cast<unsigned char>(w[cut]))) ++cut;
    return cut;
}

} // namespace

std::size_t ReadOnStart(const TTextWindow& text, std::size_t caret) {
    const std::string at = text(caret, 1);
    if (at.empty() || IsWordBlank(at[0]) || IsEndMark(at[0])) return caret;
    const std::size_t from = caret - std::min(caret, WordBack);
    const std::string before = text(from, caret - from);
    std::size_t start = before.size();
    while (start > 0 && !IsWordBlank(before[start - 1]) && !IsEndMark(before[start - 1])) --start;
    // A word longer than the look-back is read from the caret.
    if (start == 0 && before.size() == WordBack) return caret;
    return from + start;
}

TSentence NextSentence(const TTextWindow& text, std::size_t pos) {
    for (;;) {
        const std::string w = text(pos, SkipWindow);
        const auto first = std::find_if_not(w.begin(), w.end(), IsWordBlank);
        pos += static_cast<std::size_t>(first - w.begin());
        if (first != w.end()) break;
        if (w.empty()) return {pos, {}};
    }
    // A sentence at its longest, and the run of end marks that may follow it.
    std::string w = text(pos, SentenceMost + 16);
    std::size_t end = SentenceEnd(w);
    if (end > SentenceMost) end = CutLongSentence(w);
    w.resize(end);
    return {pos, std::move(w)};
}

TReadOnSource::TReadOnSource(TTextWindow text, std::size_t caret, TSpoken spoken)
    : Text(std::move(text)), Spoken(std::move(spoken)), Pos(ReadOnStart(Text, caret)) {}

std::optional<std::string> TReadOnSource::Next() {
    TSentence s = NextSentence(Text, Pos);
    if (s.Bytes.empty()) return std::nullopt;
    Pos = s.End();
    std::string spoken = Spoken ? Spoken(s.Bytes) : s.Bytes;
    if (Kept.size() == KeptMost) {
        Kept.pop_front();
        ++First;
    }
    Kept.push_back({std::move(s), spoken});
    return spoken;
}

const TReadOnSource::TGiven& TReadOnSource::Given(std::size_t n) const {
    n = std::clamp(n, First, First + Kept.size() - 1);
    return Kept[n - First];
}

std::size_t TReadOnSource::Start(std::size_t n) const {
    return Kept.empty() ? Pos : Given(n).Sentence.Start;
}

std::size_t TReadOnSource::Place(std::size_t n, std::size_t offset) const {
    if (Kept.empty()) return Pos;
    const TGiven& g = Given(n);
    const std::size_t word = TWordStarts(g.Spoken).NumberAt(offset);
    return g.Sentence.Start + TWordStarts(g.Sentence.Bytes).Start(word);
}

} // namespace tavi

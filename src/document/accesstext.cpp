#include "document/accesstext.h"

#include "document/editecho.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <unordered_map>

namespace tavi {

namespace {

std::u16string ToUtf16(std::string_view utf8) {
    std::u16string out;
    for (const char32_t c : DecodeUtf8(utf8)) {
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

// Letters repeat: each distinct one is converted once and found again by its bytes; most
// letters are one byte, found in a table.
template <typename Convert> class TLetterCache {
public:
    explicit TLetterCache(Convert& convert) : FConvert(convert) {}
    const std::u16string& operator()(std::string_view letter) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(letter[k]); };
        if (letter.size() == 1) {
            if (!FKnown[byte(0)]) FSingles[byte(0)] = ToUtf16(FConvert(letter));
            FKnown.set(byte(0));
            return FSingles[byte(0)];
        }
        auto [found, added] = FPairs.try_emplace(byte(0) << 8 | byte(1));
        if (added) found->second = letter == "\r\n" ? u"\n" : ToUtf16(FConvert(letter));
        return found->second;
    }

private:
    Convert& FConvert;
    std::array<std::u16string, 256> FSingles;
    std::bitset<256> FKnown;
    std::unordered_map<unsigned, std::u16string> FPairs;
};

} // namespace

void TAccessText::Add(std::size_t bytes, std::u16string_view letters) {
    const int first = Length();
    const std::size_t start = FLetterOf.size();
    // A letter of two bytes is one letter: its second position is inside it. Bytes that make
    // as many letters map one to one.
    const int units = static_cast<int>(letters.size());
    for (std::size_t k = 0; k < bytes; ++k)
        FLetterOf.push_back(first + std::min(static_cast<int>(k), std::max(units - 1, 0)));
    for (int j = 0; j < units; ++j)
        FPositionOf.push_back(start + std::min(static_cast<std::size_t>(j), bytes - 1));
    FText += letters;
}

// A line break (CR LF) is one letter, "\n"; in text display so is a letter with its mark.
template <typename Convert>
TAccessText TAccessText::Build(std::string_view bytes, bool marks, Convert convert) {
    TAccessText t;
    t.FLetterOf.reserve(bytes.size() + 1);
    t.FPositionOf.reserve(bytes.size() + 1);
    t.FText.reserve(bytes.size());
    TLetterCache<Convert> converted(convert);
    for (std::size_t i = 0; i < bytes.size();) {
        const std::string_view letter = bytes.substr(i, LetterLength(bytes, i, marks));
        t.Add(letter.size(), converted(letter));
        i += letter.size();
    }
    t.FLetterOf.push_back(t.Length());
    t.FPositionOf.push_back(bytes.size());
    return t;
}

TAccessText TAccessText::FromVni(std::string_view bytes, const TUnicodeWriter& vni) {
    return Build(bytes, true, [&vni](std::string_view letter) { return vni(letter); });
}

TAccessText TAccessText::FromBraille(std::string_view bytes, const TBrailleCells& cells) {
    // Spaces stay spaces, where words end.
    return Build(bytes, false,
                 [&cells](std::string_view cell) { return BraillePatterns(cell, cells, true); });
}

int TAccessText::LetterAt(std::size_t position) const {
    if (FLetterOf.empty()) return 0;
    return FLetterOf[std::min(position, FLetterOf.size() - 1)];
}

std::size_t TAccessText::PositionOf(int letter) const {
    if (FPositionOf.empty()) return 0;
    const auto i = static_cast<std::size_t>(std::max(letter, 0));
    return FPositionOf[std::min(i, FPositionOf.size() - 1)];
}

TAccessText::TChange TAccessText::Difference(const TAccessText& before, const TAccessText& after) {
    return Difference(before.FText, after.FText);
}

TAccessText::TChange TAccessText::Difference(std::u16string_view a, std::u16string_view b) {
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    return {static_cast<int>(head), std::u16string(a.substr(head, a.size() - head - tail)),
            std::u16string(b.substr(head, b.size() - head - tail))};
}

} // namespace tavi

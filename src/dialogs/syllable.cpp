#include "dialogs/syllable.h"

#include <algorithm>

namespace tavi {

namespace {

struct TLetterTables {
    std::array<unsigned char, 256> Base{};
    std::array<unsigned char, 256> Tone{};
    std::array<bool, 256> Consonant{};
};

// The vowels of the one-byte code: each base letter and, per tone, the bytes that carry it
// (lower and upper case; a with the acute has a third form).
struct TVowelRow {
    unsigned char Base;
    std::array<std::array<unsigned char, 3>, ToneCount> Bytes; // 0 ends a list
};

constexpr TVowelRow VowelRows[] = {
    {97, {{{97, 65}, {160, 94, 255}, {133, 96}, {224, 124}, {225, 125}, {226, 126}}}},
    {232, {{{232, 252}, {233, 176}, {234, 177}, {235, 178}, {236, 179}, {237, 123}}}},
    {131, {{{131, 253}, {227, 128}, {228, 135}, {229, 140}, {230, 144}, {231, 175}}}},
    {101, {{{101, 69}, {180, 130}, {181, 138}, {182, 129}, {183, 132}, {184, 134}}}},
    {136, {{{136, 254}, {185, 137}, {186, 139}, {187, 142}, {188, 143}, {189, 172}}}},
    {105, {{{105, 73}, {190, 161}, {191, 141}, {192, 169}, {193, 170}, {194, 171}}}},
    {111, {{{111, 79}, {195, 162}, {196, 149}, {197, 145}, {198, 146}, {199, 148}}}},
    {147, {{{147, 249}, {200, 150}, {201, 152}, {202, 153}, {203, 154}, {204, 155}}}},
    {243, {{{243, 250}, {244, 205}, {245, 206}, {246, 207}, {247, 208}, {248, 209}}}},
    {117, {{{117, 85}, {210, 163}, {211, 151}, {212, 156}, {213, 157}, {214, 158}}}},
    {159, {{{159, 251}, {215, 164}, {216, 165}, {217, 166}, {218, 167}, {219, 168}}}},
    {121, {{{121, 89}, {238, 220}, {239, 221}, {240, 222}, {241, 223}, {242, 64}}}},
};

constexpr TLetterTables MakeLetterTables() {
    TLetterTables t;
    for (unsigned c = 0; c < 256; ++c) t.Base[c] = static_cast<unsigned char>(c);
    for (unsigned c = 'A'; c <= 'Z'; ++c) t.Base[c] = static_cast<unsigned char>(c - 'A' + 'a');
    t.Base[vndos::D_bar] = vndos::d_bar;
    for (const TVowelRow& row : VowelRows)
        for (unsigned tone = 0; tone < ToneCount; ++tone)
            for (unsigned char c : row.Bytes[tone]) {
                if (c == 0) break;
                t.Base[c] = row.Base;
                t.Tone[c] = static_cast<unsigned char>(tone);
            }
    for (char c : std::string_view("BCDFGHJKLMNPQRSTVWXZ")) {
        t.Consonant[static_cast<unsigned char>(c)] = true;
        t.Consonant[static_cast<unsigned char>(c - 'A' + 'a')] = true;
    }
    t.Consonant[vndos::d_bar] = t.Consonant[vndos::D_bar] = true;
    return t;
}

constexpr TLetterTables Letters = MakeLetterTables();

// The initial consonants ("\xAD" is đ in Vni for Dos).
constexpr std::array<std::string_view, InitialClassCount> ClassNames = {
    "",  "b",  "c",   "ch", "d", "\xAD", "g",  "gh", "gi", "h", "k",  "kh", "l", "m",
    "n", "ng", "ngh", "nh", "p", "ph",   "qu", "r",  "s",  "t", "th", "tr", "v", "x"};

// The rime's bytes padded with zeros, so that a rime sorts before the longer ones it starts.
std::array<unsigned char, RimeMax> RimeKey(std::string_view rime) {
    std::array<unsigned char, RimeMax> key{};
    std::copy(rime.begin(), rime.end(), key.begin());
    return key;
}

} // namespace

unsigned char SpellBase(unsigned char c) {
    return Letters.Base[c];
}
unsigned char SpellTone(unsigned char c) {
    return Letters.Tone[c];
}
bool IsSpellConsonant(unsigned char c) {
    return Letters.Consonant[c];
}

const std::array<std::string_view, InitialClassCount>& InitialClassNames() {
    return ClassNames;
}

const TRimeEntry* FindRime(std::string_view rime) {
    if (rime.empty() || rime.size() > RimeMax) return nullptr;
    const auto key = RimeKey(rime);
    int low = 0;
    int high = static_cast<int>(RimeCount) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const auto& entry = RimeTable[static_cast<std::size_t>(middle)];
        if (entry.Rime == key) return &entry;
        if (entry.Rime < key)
            low = middle + 1;
        else
            high = middle - 1;
    }
    return nullptr;
}

std::optional<TSyllableParts> SplitSyllable(std::string_view word) {
    if (word.size() > SyllableMax) return std::nullopt;
    std::size_t i = 0;
    std::string initial;
    while (i < word.size() && IsSpellConsonant(static_cast<unsigned char>(word[i])))
        initial += static_cast<char>(SpellBase(static_cast<unsigned char>(word[i++])));
    // An unmarked i after g and u after q belong to the initial. The byte itself is compared
    // (a marked i is a vowel of the rime: gì is g + ì), in either case so that words written
    // in capitals split as they do in small letters.
    if (i < word.size()) {
        const unsigned char next = static_cast<unsigned char>(word[i]);
        if ((initial == "g" && (next == 'i' || next == 'I')) ||
            (initial == "q" && (next == 'u' || next == 'U'))) {
            initial += static_cast<char>(SpellBase(next));
            ++i;
        }
    }
    // Every consonant counts, and every letter of the rime: a fourth consonant or a fifth
    // rime letter is not dropped, so nghhĩ or khoanhh cannot pass for nghĩ or khoanh.
    const auto cls = std::find(ClassNames.begin(), ClassNames.end(), initial);
    if (cls == ClassNames.end()) return std::nullopt;
    TSyllableParts parts;
    parts.Initial = static_cast<int>(cls - ClassNames.begin());
    for (; i < word.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(word[i]);
        parts.Rime += static_cast<char>(SpellBase(c));
        if (const int tone = SpellTone(c)) {
            if (parts.Tone) return std::nullopt; // a second tone
            parts.Tone = tone;
        }
    }
    if (parts.Rime.empty()) return std::nullopt;
    return parts;
}

bool IsValidSyllable(std::string_view word) {
    const auto parts = SplitSyllable(word);
    if (!parts) return false;
    const TRimeEntry* entry = FindRime(parts->Rime);
    return entry && (entry->Masks[static_cast<std::size_t>(parts->Tone)] >> parts->Initial & 1u);
}

} // namespace tavi

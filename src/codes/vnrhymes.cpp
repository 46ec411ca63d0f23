#include "codes/vncodeconverter.h"

#include <algorithm>

namespace tavi {

namespace {

// The letter code, entry by entry: a, ă, â, e, ê, i, o, ô, ơ, u, ư, y (each plain, acute,
// grave, hook, tilde, dot), đ, then the same in capitals.
constexpr std::array<unsigned char, VnLetterCount> LetterCode = {
    0x61, 0x82, 0x8A, 0x81, 0x84, 0x86, 0x83, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, // a ă
    0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0x65, 0xA0, 0x85, 0xE0, 0xE1, 0xE2, // â e
    0x93, 0x96, 0x98, 0x99, 0x9A, 0x9B, 0x69, 0xA2, 0x95, 0x91, 0x92, 0x94, // ê i
    0x6F, 0xA1, 0x8D, 0xA9, 0xAA, 0xAB, 0x88, 0x89, 0x8B, 0x8E, 0x8F, 0xAC, // o ô
    0x9F, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0x75, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, // ơ u
    0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0x79, 0xA3, 0x97, 0x9C, 0x9D, 0x9E, // ư y
    0xAE,                                                                   // đ
    0x41, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xFD, 0x80, 0x87, 0x8C, 0x90, 0xAF, // A Ă
    0xFC, 0xB0, 0xB1, 0xB2, 0xB3, 0x7B, 0x45, 0x5E, 0x60, 0x7C, 0x7D, 0x7E, // Â E
    0xF9, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0x49, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, // Ê I
    0x4F, 0xBE, 0xBF, 0xC0, 0xC1, 0xC2, 0xFE, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, // O Ô
    0xFB, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0x55, 0xDC, 0xDD, 0xDE, 0xDF, 0x40, // Ơ U
    0xFA, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0x59, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, // Ư Y
    0xAD,                                                                   // Đ
};

// The rhymes of Vietnamese syllables in the letter code, sorted by their bytes.
constexpr std::array<std::string_view, 160> KnownRhymes = {
    "a",
    "ac",
    "ach",
    "ai",
    "am",
    "an",
    "ang",
    "anh",
    "ao",
    "ap",
    "at",
    "au",
    "ay",
    "e",
    "ec",
    "em",
    "en",
    "eng",
    "eo",
    "ep",
    "et",
    "i",
    "ia",
    "ich",
    "im",
    "in",
    "ing",
    "inh",
    "ip",
    "it",
    "iu",
    "i\x93"
    "c",
    "i\x93m",
    "i\x93n",
    "i\x93ng",
    "i\x93p",
    "i\x93t",
    "i\x93u",
    "o",
    "oa",
    "oac",
    "oach",
    "oai",
    "oam",
    "oan",
    "oang",
    "oanh",
    "oao",
    "oap",
    "oat",
    "oay",
    "oc",
    "oe",
    "oen",
    "oeo",
    "oet",
    "oi",
    "om",
    "on",
    "ong",
    "ooc",
    "oong",
    "op",
    "ot",
    "o\x83"
    "c",
    "o\x83m",
    "o\x83n",
    "o\x83ng",
    "o\x83t",
    "u",
    "ua",
    "uc",
    "ui",
    "um",
    "un",
    "ung",
    "up",
    "ut",
    "uy",
    "uya",
    "uych",
    "uynh",
    "uyt",
    "uyu",
    "uy\x93n",
    "uy\x93t",
    "u\x88"
    "c",
    "u\x88i",
    "u\x88m",
    "u\x88n",
    "u\x88ng",
    "u\x88t",
    "u\x93",
    "u\x93"
    "ch",
    "u\x93nh",
    "u\x9f",
    "u\xe8n",
    "u\xe8ng",
    "u\xe8t",
    "u\xe8y",
    "y",
    "ynh",
    "y\x93m",
    "y\x93n",
    "y\x93ng",
    "y\x93t",
    "y\x93u",
    "\x83"
    "c",
    "\x83m",
    "\x83n",
    "\x83ng",
    "\x83p",
    "\x83t",
    "\x88",
    "\x88"
    "c",
    "\x88i",
    "\x88m",
    "\x88n",
    "\x88ng",
    "\x88p",
    "\x88t",
    "\x93",
    "\x93"
    "ch",
    "\x93m",
    "\x93n",
    "\x93nh",
    "\x93p",
    "\x93t",
    "\x93u",
    "\x9f",
    "\x9fi",
    "\x9fm",
    "\x9fn",
    "\x9fp",
    "\x9ft",
    "\xe8"
    "c",
    "\xe8m",
    "\xe8n",
    "\xe8ng",
    "\xe8p",
    "\xe8t",
    "\xe8u",
    "\xe8y",
    "\xf3",
    "\xf3"
    "a",
    "\xf3"
    "c",
    "\xf3i",
    "\xf3m",
    "\xf3n",
    "\xf3ng",
    "\xf3t",
    "\xf3u",
    "\xf3\x9f"
    "c",
    "\xf3\x9fi",
    "\xf3\x9fm",
    "\xf3\x9fn",
    "\xf3\x9fng",
    "\xf3\x9fp",
    "\xf3\x9ft",
    "\xf3\x9fu",
};

// Tone-removal map of the letter code: every vowel byte to the plain lowercase letter of its
// group, capitals to lowercase, đ (0xAE) to 0xAD, 0xFF to e.
struct ToneMap {
    std::array<unsigned char, 256> map{};
    constexpr ToneMap() {
        for (unsigned i = 0; i < 256; ++i) map[i] = static_cast<unsigned char>(i);
        for (unsigned c = 'B'; c <= 'Z'; ++c) map[c] = static_cast<unsigned char>(c + 0x20);
        for (std::size_t half = 0; half < 2; ++half)
            for (std::size_t group = 0; group < 12; ++group)
                for (std::size_t tone = 0; tone < 6; ++tone)
                    map[LetterCode[half * 73 + group * 6 + tone]] = LetterCode[group * 6];
        map[0xAE] = 0xAD;
        map[0xFF] = 'e';
    }
};
constexpr ToneMap ToneRemoval;

// Bytes skipped before the vowel: controls, blank and punctuation, consonants, đ and Đ.
constexpr bool IsInitialByte(unsigned char c) {
    if (c <= 0x2F || (c >= 0x3A && c <= 0x3F)) return true;
    if (c == '[' || c == '\\' || c == ']' || c == '_' || c == 0x7F || c == 0xAE || c == 0xAD)
        return true;
    const unsigned char up = (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 0x20) : c;
    if (up < 'B' || up > 'Z') return false;
    return up != 'E' && up != 'I' && up != 'O' && up != 'U' && up != 'Y';
}

constexpr bool IsRhymeDelimiter(unsigned char c) {
    return c <= 0x2F || (c >= 0x3A && c <= 0x3F) || c == '[' || c == '\\' || c == ']' || c == '_' ||
           c == 0x7F;
}

bool ByteLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

} // namespace

const std::array<unsigned char, VnLetterCount>& LetterCodeBytes() {
    return LetterCode;
}

std::string TrimSpaces(std::string_view s) {
    s = s.substr(0, ShortStringMax);
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::string TVnCodeConverter::ExtractRhyme(std::string_view word) {
    const std::string trimmed = TrimSpaces(word);
    std::size_t i = 0;
    while (i < trimmed.size() && IsInitialByte(static_cast<unsigned char>(trimmed[i]))) ++i;
    std::string rhyme;
    for (; i < trimmed.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(trimmed[i]);
        if (IsRhymeDelimiter(c)) break;
        rhyme += static_cast<char>(ToneRemoval.map[c]);
    }
    return rhyme;
}

bool TVnCodeConverter::IsKnownRhyme(std::string_view rhyme) {
    if (rhyme.empty()) return false;
    int low = 1, high = static_cast<int>(KnownRhymes.size());
    while (low <= high) {
        const int middle = (low + high) / 2;
        const std::string_view entry = KnownRhymes[middle - 1];
        if (rhyme == entry) return true;
        if (ByteLess(rhyme, entry))
            high = middle - 1;
        else
            low = middle + 1;
    }
    return false;
}

} // namespace tavi

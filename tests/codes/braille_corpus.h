// Vietnamese test text for the Braille tables: every syllable that the spelling allows, in
// both ways of placing the tone mark, and helpers to move text between UTF-8 and Vni for Win.
#pragma once

#include "codes/vncodeconverter.h"
#include "support/corpus.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace tavitest {

// The characters of a UTF-8 text, one string each.
inline std::vector<std::string> Utf8Chars(const std::string& text) {
    std::vector<std::string> chars;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t n = 1;
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xF0)
            n = 4;
        else if (c >= 0xE0)
            n = 3;
        else if (c >= 0xC0)
            n = 2;
        chars.push_back(text.substr(i, n));
        i += n;
    }
    return chars;
}

// Letter case of UTF-8 Vietnamese text (the 146 letters and ASCII).
inline std::string ChangeCase(const std::string& text, bool upper) {
    static const std::map<std::string, std::string> toUpper = [] {
        std::map<std::string, std::string> m;
        const auto letters = VietnameseAlphabet();
        for (std::size_t k = 0; k < 73; ++k) m[letters[k]] = letters[k + 73];
        return m;
    }();
    static const std::map<std::string, std::string> toLower = [] {
        std::map<std::string, std::string> m;
        for (const auto& [lower, up] : toUpper) m[up] = lower;
        return m;
    }();
    const auto& map = upper ? toUpper : toLower;
    std::string out;
    for (const auto& c : Utf8Chars(text)) {
        if (c.size() == 1) {
            const unsigned char b = static_cast<unsigned char>(c[0]);
            out += static_cast<char>(upper ? std::toupper(b) : std::tolower(b));
        } else {
            auto it = map.find(c);
            out += it == map.end() ? c : it->second;
        }
    }
    return out;
}

inline std::string Title(const std::string& text) {
    const auto chars = Utf8Chars(text);
    if (chars.empty()) return text;
    return ChangeCase(chars[0], true) + text.substr(chars[0].size());
}

// Between UTF-8 and "Vni for Win" with the code tables of the table folder.
inline std::string ConvertCode(const std::string& text, const std::string& from,
                               const std::string& to) {
    return tavi::ConvertBetween(from, to, text);
}
inline std::string Vni(const std::string& utf8) {
    return ConvertCode(utf8, "Unicode", "Vni for Win");
}
inline std::string Utf8(const std::string& vni) {
    return ConvertCode(vni, "Vni for Win", "Unicode");
}

struct TSyllable {
    std::string text;  // UTF-8, lower case
    bool markOnSecond; // an open oa, oe or uy with the tone on its second vowel (hoà)
};

// Every initial with every rhyme and tone that the spelling allows; where an open oa, oe or
// uy has a tone, both the mark on the first vowel (hòa) and on the second (hoà).
inline std::vector<TSyllable> VietnameseSyllables() {
    static const std::vector<std::string> initials = {
        "",  "b",  "c",   "ch", "d", "đ",  "g",  "gh", "gi", "h", "k",  "kh", "l", "m",
        "n", "ng", "ngh", "nh", "p", "ph", "qu", "r",  "s",  "t", "th", "tr", "v", "x"};
    static const std::vector<std::string> rhymes = {
        "a",    "ac",   "ach",  "ai",   "am",   "an",   "ang",  "anh", "ao",  "ap",  "at",
        "au",   "ay",   "ă",    "ăc",   "ăm",   "ăn",   "ăng",  "ăp",  "ăt",  "â",   "âc",
        "âm",   "ân",   "âng",  "âp",   "ât",   "âu",   "ây",   "e",   "ec",  "em",  "en",
        "eng",  "eo",   "ep",   "et",   "ê",    "êch",  "êm",   "ên",  "êng", "ênh", "êp",
        "êt",   "êu",   "i",    "ia",   "ich",  "im",   "in",   "inh", "ip",  "it",  "iu",
        "iêc",  "iêm",  "iên",  "iêng", "iêp",  "iêt",  "iêu",  "o",   "oa",  "oac", "oach",
        "oai",  "oam",  "oan",  "oang", "oanh", "oao",  "oap",  "oat", "oay", "oăc", "oăm",
        "oăn",  "oăng", "oăt",  "oc",   "oe",   "oen",  "oeo",  "oet", "oi",  "om",  "on",
        "ong",  "ooc",  "oong", "op",   "ot",   "ô",    "ôc",   "ôi",  "ôm",  "ôn",  "ông",
        "ôp",   "ôt",   "ơ",    "ơi",   "ơm",   "ơn",   "ơp",   "ơt",  "u",   "ua",  "uân",
        "uâng", "uât",  "uây",  "uc",   "uê",   "uêch", "uênh", "ui",  "um",  "un",  "ung",
        "uôc",  "uôi",  "uôm",  "uôn",  "uông", "uôt",  "up",   "ut",  "uy",  "uya", "uych",
        "uyên", "uyêt", "uynh", "uyt",  "uyu",  "uơ",   "ư",    "ưa",  "ưc",  "ưi",  "ưng",
        "ưt",   "ưu",   "ươc",  "ươi",  "ươm",  "ươn",  "ương", "ươp", "ươt", "ươu", "y",
        "ych",  "ynh",  "yt",   "yêm",  "yên",  "yêng", "yêt",  "yêu"};
    static const std::string vowels[] = {"a", "ă", "â", "e", "ê", "i",
                                         "o", "ô", "ơ", "u", "ư", "y"};
    const auto letters = VietnameseAlphabet();
    const auto group = [&](const std::string& c) {
        return std::find(std::begin(vowels), std::end(vowels), c) - std::begin(vowels);
    };
    const auto isVowel = [&](const std::string& c) { return group(c) < 12; };
    // The vowel that carries the tone.
    const auto tonePlace = [&](const std::vector<std::string>& r, bool second) {
        std::vector<std::size_t> v;
        for (std::size_t i = 0; i < r.size(); ++i)
            if (isVowel(r[i])) v.push_back(i);
        for (std::size_t i : v)
            if (r[i] == "ă" || r[i] == "â" || r[i] == "ê" || r[i] == "ô" || r[i] == "ơ") return i;
        if (v.back() + 1 < r.size()) return v.back(); // closed: the last vowel
        if (v.size() == 1) return v[0];
        if (v.size() == 3) return v[1];
        const std::string pair = r[v[0]] + r[v[1]];
        if (second && (pair == "oa" || pair == "oe" || pair == "uy")) return v[1];
        return v[0];
    };
    std::vector<TSyllable> out;
    for (const auto& ini : initials)
        for (const auto& rhyme : rhymes) {
            const auto r = Utf8Chars(rhyme);
            if (ini == "qu" && (r[0] == "u" || r[0] == "o")) continue;
            if (ini == "gi" && r[0] == "i") continue;
            const bool front = r[0] == "e" || r[0] == "ê" || r[0] == "i" || r[0] == "y";
            if ((ini == "k" || ini == "gh" || ini == "ngh") && !front) continue;
            if ((ini == "c" || ini == "g" || ini == "ng") && front) continue;
            if ((rhyme == "ych" || rhyme == "ynh" || rhyme == "yt") && ini != "qu") continue;
            const bool checked = rhyme.ends_with("c") || rhyme.ends_with("p") ||
                                 rhyme.ends_with("t") || rhyme.ends_with("ch");
            for (int tone = 0; tone < 6; ++tone) {
                if (checked && tone != 0 && tone != 1 && tone != 5) continue;
                for (bool second : {false, true}) {
                    auto letter = r;
                    if (tone) {
                        const std::size_t k = tonePlace(r, second);
                        letter[k] = letters[group(r[k]) * 6 + tone];
                    }
                    std::string text = ini;
                    for (const auto& c : letter) text += c;
                    if (second && !out.empty() && out.back().text == text) continue;
                    out.push_back({text, second});
                }
            }
        }
    return out;
}

} // namespace tavitest

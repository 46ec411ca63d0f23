#include "speech/englishwords.h"

#include "codes/memorystream.h"
#include "dialogs/syllable.h"
#include "speech/wordreader.h"

#include <algorithm>

namespace tavi {

namespace {

bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

bool IsLetters(std::string_view word) {
    return std::all_of(word.begin(), word.end(),
                       [](char c) { return IsUpper(c) || (c >= 'a' && c <= 'z'); });
}

bool AllUpper(std::string_view word) {
    return std::all_of(word.begin(), word.end(), IsUpper);
}

std::string Lower(std::string_view word) {
    std::string out(word);
    for (char& c : out)
        if (IsUpper(c)) c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

TEnglishWords::TEnglishWords(const std::filesystem::path& file)
    : TEnglishWords(FromText(ReadWholeFile(file))) {}

TEnglishWords TEnglishWords::FromText(std::string_view text) {
    TEnglishWords list;
    for (std::string& line : SplitLines(text))
        if (!line.empty() && IsLetters(line)) list.Words.push_back(std::move(line));
    std::sort(list.Words.begin(), list.Words.end());
    list.Words.erase(std::unique(list.Words.begin(), list.Words.end()), list.Words.end());
    return list;
}

bool TEnglishWords::Listed(const std::string& word) const {
    return std::binary_search(Words.begin(), Words.end(), word);
}

bool TEnglishWords::Contains(std::string_view word) const {
    if (word.empty()) return false;
    if (Listed(std::string(word))) return true;
    // A listed word in small letters also stands capitalised or in capitals, not in other
    // mixes; a listed name also stands in capitals.
    const std::string lower = Lower(word);
    const bool capitalised = lower.substr(1) == word.substr(1);
    const bool capitals = AllUpper(word);
    if ((capitalised || capitals) && Listed(lower)) return true;
    std::string name = lower;
    name[0] = word[0];
    return capitals && Listed(name);
}

bool ReadInEnglish(std::string_view word, const TEnglishWords& list) {
    if (word.size() < 2 || !IsLetters(word)) return false;
    if (AllUpper(word) && word.size() <= SpeltCapitalsMax) return false;
    return !IsValidSyllable(word) && list.Contains(word);
}

} // namespace tavi

// English words inside Vietnamese text: which words the English voice reads in place instead
// of the word reader spelling them letter by letter. The words come from the system's English
// word list (Debian's wamerican: common words, their inflected forms and well-known names).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// The word list the program reads.
inline constexpr const char* EnglishWordsFile = "/usr/share/dict/american-english";
// Words in capitals up to this long are abbreviations (USB, PDF, HTML): spelt, not read.
inline constexpr std::size_t SpeltCapitalsMax = 4;

class TEnglishWords {
public:
    // Reads a list of one word a line. Only words of ASCII letters are kept: no other word can
    // be read in English (possessives, accented names). EFOpenError names a missing file.
    explicit TEnglishWords(const std::filesystem::path& file);
    // From the lines of such a list.
    static TEnglishWords FromText(std::string_view text);

    // True when the word is in the list as it is written, or as a capitalised or all-capital
    // form of a listed word ("Window" and "WINDOWS" for "windows", "FACEBOOK" for "Facebook").
    bool Contains(std::string_view word) const;
    std::size_t Size() const { return Words.size(); }

private:
    TEnglishWords() = default;
    bool Listed(const std::string& word) const;

    std::vector<std::string> Words; // sorted
};

// Whether the word reader hands a word of its text to the English voice: a word of ASCII
// letters only, at least two, that is not a Vietnamese syllable (not even without its marks),
// not a short word in capitals, and is in the list.
bool ReadInEnglish(std::string_view word, const TEnglishWords& list);

} // namespace tavi

// Places in a text taken to the same place in its conversion into another code, word for word:
// conversions change letters, never the blanks between words.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tavi {

// The blanks between words: space, tab and the line breaks.
constexpr bool IsWordBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The words of a text, as runs of bytes without a blank.
class TWordStarts {
public:
    explicit TWordStarts(std::string_view text);
    // The number (from 0) of the word that offset falls in, or of the next word when it falls
    // between words; Count() past the last word.
    std::size_t NumberAt(std::size_t offset) const;
    // Where word n starts; the text's end when it has no word n.
    std::size_t Start(std::size_t n) const;
    std::size_t Count() const { return Starts.size(); }

private:
    std::vector<std::size_t> Starts, Ends;
    std::size_t Size;
};

} // namespace tavi

// The search of the spelling checker: from a position of a document in "Vni for Win", the next
// word that is not a well-formed Vietnamese syllable. The worker thread of the spelling window
// runs it; tavitool spell runs it over whole files.
#pragma once

#include "codes/vncodeconverter.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tavi {

// True for the bytes that are letters in "Vni for Win"; all others are left out of a word
// before it is tested, so digits and punctuation attached to a word do not count.
bool IsVniWinLetter(unsigned char c);

// True for the bytes that separate words: tab, line feed, carriage return and space.
constexpr bool IsSpellBlank(unsigned char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

// What a search found. Positions are 1-based byte positions of the text.
struct TSpellResult {
    bool Found = false;       // a suspect word was found
    bool Stopped = false;     // the search ended on a stop request
    std::size_t Position = 0; // start of the suspect word
    std::size_t Length = 0;   // its length, punctuation attached to it included
    std::size_t End = 0;      // the position just after it
};

// How a search reports its progress and learns that it should stop. Both may be empty.
struct TSpellHooks {
    // Called with position × 100 div text length (0 to 100) whenever that value changes.
    std::function<void(int percent)> Gauge;
    // Asked once after every word.
    std::function<bool()> StopRequested;
};

class TSpellChecker {
public:
    // Loads the code tables "Vni for Win" and "Vni for Dos" from the table folder; a table
    // that cannot be read throws the converter's error.
    TSpellChecker();

    // True when a word of "Vni for Win" is suspect: what is left of it after removing every
    // byte that is not a letter is not empty and is not a valid syllable.
    bool IsSuspect(std::string_view word);

    // Looks for the next suspect word of text[0, textLength) from the 1-based position start
    // on. Every word up to and including the last byte of the text is examined; a start past
    // the end examines nothing.
    TSpellResult FindSuspect(std::string_view text, std::size_t textLength, std::size_t start,
                             const TSpellHooks& hooks = {});

private:
    TVnCodeConverter Converter;
    std::string Letters; // reused for every word
};

} // namespace tavi

// The Vietnamese syllable test of the spelling checker. It needs no word list: a word is split
// into an initial consonant class, a rime and at most one tone, and a table of rimes says which
// initials may stand before each rime with each tone. Words are in the one-byte code "Vni for
// Dos", where every letter with its tone is one byte.
#pragma once

#include "codes/tablenames.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavi {

// Bytes of the base letters of the one-byte code that are not ASCII.
namespace vndos {
inline constexpr unsigned char a_breve = 232, a_circ = 131, e_circ = 136, o_circ = 147,
                               o_horn = 243, u_horn = 159, d_bar = 173, D_bar = 174;
}

constexpr std::size_t InitialClassCount = 28;
constexpr std::size_t RimeCount = 158;
constexpr std::size_t ToneCount = 6;
// The longest word and rime the test can accept.
constexpr std::size_t SyllableMax = 7;
constexpr std::size_t RimeMax = 4;

// The base letter of a byte of the one-byte code (lower case, without tone) and its tone:
// 0 none, 1 acute, 2 grave, 3 hook, 4 tilde, 5 dot below.
unsigned char SpellBase(unsigned char c);
unsigned char SpellTone(unsigned char c);
// The 42 bytes that make up an initial: the consonant letters of ASCII in both cases (F, J, W
// and Z too, although no initial begins with them) and the two forms of đ.
bool IsSpellConsonant(unsigned char c);

// The initial classes in their order, as base-letter bytes; class 0 is no initial.
const std::array<std::string_view, InitialClassCount>& InitialClassNames();

// One rime: its base letters (zero-padded) and, per tone, bit k set when initial class k may
// stand before it with that tone.
struct TRimeEntry {
    std::array<unsigned char, RimeMax> Rime;
    std::array<std::uint32_t, ToneCount> Masks;
};

// The rimes in ascending order of their bytes (a rime before every longer one that starts
// with it), which the lookup relies on. Generated from the syllable inventory.
extern const std::array<TRimeEntry, RimeCount> RimeTable;

// The table entry of a rime given as base-letter bytes, or null.
const TRimeEntry* FindRime(std::string_view rime);

// A word split as the test splits it.
struct TSyllableParts {
    int Initial = 0;  // class
    std::string Rime; // base letters
    int Tone = 0;
};

// Splits a word of the one-byte code into a known initial class, a rime of base letters and
// at most one tone; nothing when the word cannot be split so (too long, an unknown initial,
// two tones, no rime). The rime is not looked up.
std::optional<TSyllableParts> SplitSyllable(std::string_view word);

// True when the word is a well-formed Vietnamese syllable: it splits, its rime is in the
// table and the table allows its initial with its tone.
bool IsValidSyllable(std::string_view word);

} // namespace tavi

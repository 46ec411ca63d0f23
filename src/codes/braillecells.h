// The Braille cell of each byte of Braille text, read from the cell map of the program folder
// ("braille-cells.txt", generated from the six-key cell table).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavi {

inline constexpr const char* BrailleCellsFileName = "braille-cells.txt";

// Raised dots as bits (dot 1 = bit 0 ... dot 6 = bit 5), indexed by byte; 0 = no cell.
using TBrailleCells = std::array<std::uint8_t, 256>;

// Lines "XX dots" (hex byte, the dot numbers 1-6); "#" starts a comment line. Throws EDataError
// naming the line for anything else, and for a byte given two cells.
TBrailleCells ParseBrailleCells(std::string_view text);
// The cell map of a folder (the program folder when empty); throws EFOpenError, EDataError.
TBrailleCells LoadBrailleCells(const std::filesystem::path& folder = {});

// The dot numbers of a cell, ascending and without separators ("1245").
std::string CellDots(std::uint8_t cell);
// The Unicode Braille pattern of a cell, in UTF-8 (U+2800 + cell).
std::string CellPattern(std::uint8_t cell);
// Braille bytes as Unicode Braille patterns (UTF-8): CR and LF stay, the space is the blank
// cell (or stays a space, where lines may break at it), a byte with no cell becomes U+FFFD.
std::string BraillePatterns(std::string_view braille, const TBrailleCells& cells,
                            bool keepSpaces = false);

} // namespace tavi

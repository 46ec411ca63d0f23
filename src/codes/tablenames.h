// The names of the code tables the program itself uses, as their files are named.
#pragma once

namespace tavi {

inline constexpr const char* VniWinTable = "Vni for Win"; // the documents' own code
inline constexpr const char* VniDosTable = "Vni for Dos"; // the interface font's code
inline constexpr const char* BrailleTableName = "Braille";
inline constexpr const char* PrintSourceName = "PrtSrc";   // embossing: from these cells
inline constexpr const char* PrintDestName = "PrtDes";     // to the embosser's own
inline constexpr const char* UnicodeTableName = "Unicode"; // UTF-8
// UTF-8 with the tone marks as combining characters after their vowels.
inline constexpr const char* UnicodeCompoundTableName = "Unicode Compound";

} // namespace tavi

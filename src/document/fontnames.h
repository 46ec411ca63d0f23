// The faces a document is shown and printed in.
#pragma once

namespace tavi {

// The screen fonts that the build generates into the program folder (fonts/): VNI text, one
// glyph per byte, and Braille, one cell per byte (and per Unicode Braille pattern).
inline constexpr const char* VniScreenFont = "Vni-Screen";
inline constexpr const char* BrailleScreenFont = "VBraille";
// The face the screen font is drawn from, for the same text in Unicode (other programs, paper).
inline constexpr const char* UnicodeTextFont = "DejaVu Sans";

} // namespace tavi

// Braille text cut into the lines and pages of an embosser, and written as a BRF file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

class TCodeConverter;

// Lines on an embossed page, its page-number line included.
constexpr std::size_t EmbosserPageLines = 25;

// "#" and the page number with the digits 1-9 written A-I and 0 written J ("#AJ" for 10).
std::string EmbosserPageNumber(std::size_t page);

// Cuts text in embosser codes into lines of at most charsPerLine characters, each page of 25
// lines starting with its page-number line. A line ends at a line end (CR LF, CR or LF), or at
// the last space within the width (the space is dropped), or at the width when the line holds
// no space. Throws std::invalid_argument for a width of 0, which could never advance.
std::vector<std::string> CutEmbosserLines(std::string_view text, std::size_t charsPerLine);

// The lines as a BRF file: each line ends in CR LF, and a form feed starts every page after
// the first.
std::string JoinEmbosserPages(const std::vector<std::string>& lines);

// The whole of embossing a Braille text: through the tables "PrtSrc" -> "PrtDes" into the
// embosser's codes, cut into lines and pages, written as a BRF file.
std::string EmbossBraille(TCodeConverter& converter, std::string_view brailleText,
                          std::size_t charsPerLine);

} // namespace tavi

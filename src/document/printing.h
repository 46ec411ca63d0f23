// Documents and embosser pages drawn as PDF, the form in which a print job goes to a printer.
#pragma once

#include "document/rtf.h"
#include "platform/printqueues.h"

#include <string>
#include <vector>

namespace tavi {

// The document (its text in Unicode: DocumentInUnicode, BrailleInUnicode) on pages of the
// paper, a page breaking where it is full.
std::string DocumentPdf(const TRtfDocument& doc, const TPaper& paper, const std::string& title);

// Lines of Unicode Braille patterns (UTF-8) in the Braille face at 18 points, linesPerPage of
// them to a page: an embosser's pages printed in ink.
std::string BraillePagesPdf(const std::vector<std::string>& lines, std::size_t linesPerPage,
                            const TPaper& paper, const std::string& title);

} // namespace tavi

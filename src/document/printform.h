// A document as it goes to other programs and to paper: its text in Unicode (UTF-8), so that a
// printed file carries real letters that can be searched and copied.
#pragma once

#include "codes/braillecells.h"
#include "document/rtf.h"

#include <functional>
#include <string>
#include <string_view>

namespace tavi {

// A plain text as a document in one format, a paragraph to each line (CR LF, CR or LF).
TRtfDocument PlainTextDocument(std::string_view text, const TRtfCharFormat& format);

// Every run's text through toUnicode, and the VNI screen face replaced by the face it
// is drawn from. A letter whose mark byte begins the next run is kept whole in the first run.
TRtfDocument DocumentInUnicode(TRtfDocument doc,
                               const std::function<std::string(std::string_view)>& toUnicode);

// Braille text: every byte its cell's Unicode pattern, spaces kept (lines break there), in the
// Braille face.
TRtfDocument BrailleInUnicode(TRtfDocument doc, const TBrailleCells& cells);

// The print dialog's margins (millimetres) added to every paragraph's indents, at 3.5 of the
// editor's units (pixels) per millimetre.
void IndentForMargins(TRtfDocument& doc, int leftMargin, int rightMargin);

} // namespace tavi

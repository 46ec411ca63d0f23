// What the main window knows of the document in the editor, and of the last search in it.
#pragma once

#include <string>

namespace tavi {

// How the document is shown, and so what its bytes are: VNI text, or Braille cells.
enum class TDisplay { Text, Braille };

struct TDocumentState {
    std::string FileName; // the full name; "Khong Ten" while untitled
    int Modified = 0;     // changed since it was last loaded or saved (0 or 1)
    // The program itself is changing the document's form or size: no edit.
    bool SuppressChange = false;
    // The whole text as it stood before the last switch of display, until the next edit: going
    // back without editing gives exactly that text again.
    std::string TextBeforeTranslation;
    TDisplay Display = TDisplay::Text;
    std::string EmptyRtf; // an empty document, as a new one starts
    bool Braille() const { return Display == TDisplay::Braille; }
};

struct TSearchState {
    std::string FindText, ReplaceText;
    bool ReplaceMode = false; // the last search was a replace: find next offers to replace
};

} // namespace tavi

// The decisions of the main window's speak operation: which voice says what, in which code
// table, with which spoken names for single characters and Braille cells. The window carries
// the result out on the Vietnamese reader or the English engine.
#pragma once

#include "shell/namevaluelist.h"

#include <string>

namespace tavi {

class TCodeConverter;

// The menu states the speak operation reads.
struct TSpeakSettings {
    bool SpeechOn = true;           // MROption
    bool SymbolModeEnabled = false; // MTuongHinh enabled (Braille display)
    bool SymbolModeChecked = false; // MTuongHinh checked
    bool ReadControlChars = true;   // MRCharCtrl
    bool VniDisplay = true;         // MGTVNI2
    bool VietnameseNames = true;    // MVietNam
    bool EnglishNames = false;      // MEnglish
};

struct TSpeechAction {
    enum Kind { None, Vietnamese, English };
    Kind kind = None;
    std::string text;
    std::string table;    // the reader's code table (Vietnamese)
    bool symbols = false; // the reader's SpeakSymbols (Vietnamese)
};

// Braille text cell by cell as dot numbers, with the names of the dot list.
std::string DotReading(const std::string& text, bool readControlChars, const TSpeakSettings& s,
                       const TNameValueList& dotNames);

// What SpeakText(text, codeTable, useEnglish, readControlChars) says. braille converts Braille
// text back to Vni for Win.
TSpeechAction PrepareSpeech(std::string text, std::string codeTable, bool useEnglish,
                            bool readControlChars, const TSpeakSettings& s, TCodeConverter& braille,
                            const TNameValueList& dotNames);

} // namespace tavi

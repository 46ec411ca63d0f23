// What converting a folder of documents does with each file, decided on the file's first block
// so that a file of any size is judged in bounded memory.
#pragma once

#include "codes/vncodeconverter.h"

#include <string>
#include <string_view>

namespace tavi {

struct TFilePlan {
    enum TKind {
        Binary,     // NUL bytes: not a text document; skipped
        Ascii,      // no letter outside ASCII: nothing to convert
        Undetected, // letters outside ASCII in no known table: left alone
        Already,    // already written in the destination table
        Convert,    // from Table to the destination
    };
    TKind Kind = Binary;
    std::string Table; // the source table (Convert, Already)
    bool Rtf = false;  // an RTF document, converted in RtfMode
};

// head is the start of the file (all of it when the file is short). from is the table the user
// gave (empty: detected). Detection looks at the document's text (that of an RTF document, as
// the editor does) from the line of its first byte above 0x7F: an English preamble would
// otherwise pass for "Vni for Dos", which writes capitals with @ ^ ` { | } ~. Well-formed UTF-8
// is one of the two UTF-8 tables whatever else its words could be read as.
TFilePlan PlanFileConversion(std::string_view head, const std::string& from, const std::string& to,
                             TVnCodeConverter& detector);

} // namespace tavi

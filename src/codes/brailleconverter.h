// The Braille converter: a code-table converter over the tables of the program folder ("Vni
// for Win" and "Braille", "PrtSrc" and "PrtDes"), sized for large tables and without detection.
#pragma once

#include "codes/memorystream.h"
#include "codes/tablenames.h"
#include "codes/tabletree.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// The most entries a table of the program folder may hold (entry numbers are 16 bits).
constexpr std::size_t BrailleTableMax = 65535;

class TBrailleConverter {
public:
    TBrailleConverter();

    std::string SourceName;
    std::string DestName;
    TMemoryStream InStream;
    TMemoryStream OutStream;
    TTableTree<2> MatchNodes;
    std::vector<std::string> DestEntries; // entry k is element k - 1, as many as the file has
    std::filesystem::path TableFolder;    // ends in a separator

    // Both load only when the name differs from the current one. The name is stored and the
    // old table freed before the file is read, so a missing file (EFOpenError) leaves the new
    // name selected with no table behind it.
    void SetSourceTable(const std::string& name);
    void SetDestTable(const std::string& name);
    // False, doing nothing, while a name is empty.
    bool Convert();
    std::string ConvertWord(std::string_view word);

    std::filesystem::path TablePath(const std::string& name) const;

protected:
    void ConvertInto(std::string_view in, std::string& out) const;
};

class TCodeConverter : public TBrailleConverter {
public:
    // The whole string through Convert. Throws EDataError when no table pair is selected,
    // rather than returning the output of an earlier conversion as if it were this one's.
    std::string ConvertText(std::string_view text);
};

// Grade 1 Braille of a "Vni for Win" text: the capital and number signs, then the table pair
// "Vni for Win" -> "Braille".
std::string BrailleFromVni(TCodeConverter& converter, std::string_view vniText);
// The way back: "Braille" -> "Vni for Win", then the signs are removed.
std::string VniFromBraille(TCodeConverter& converter, std::string_view brailleText);

} // namespace tavi

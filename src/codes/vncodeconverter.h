// Conversion between the Vietnamese code tables, and detection of a text's table.
#pragma once

#include "codes/memorystream.h"
#include "codes/tabletree.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

// The longest a short string may be; words, rhymes and ConvertWord results are cut to it.
constexpr std::size_t ShortStringMax = 255;
// The longest entry a destination table keeps.
constexpr std::size_t TableEntryMax = 15;
// The number of letters in every Vietnamese code table.
constexpr std::size_t VnLetterCount = 146;
// How much of a document detection looks at.
constexpr std::size_t DetectSampleSize = 1024;

// Special table names.
inline constexpr const char* LetterCodeName = "<VNCODE>";
inline constexpr const char* UnknownTableName = "Unknown";

// Removes leading and trailing spaces of a string of at most 255 bytes.
std::string TrimSpaces(std::string_view s);

class TVnCodeConverter {
public:
    TVnCodeConverter();

    std::string SourceName;
    std::string DestName;
    TMemoryStream InStream;
    TMemoryStream OutStream;
    bool RtfMode = false;
    TTableTree<1> MatchNodes;
    std::vector<std::string> DestEntries; // entry k is element k - 1; always 146 of them
    std::filesystem::path TableFolder;    // ends in a separator

    void SetSourceTable(const std::string& name);
    void SetDestTable(const std::string& name);
    bool Convert();
    std::string ConvertWord(std::string_view word);
    std::string DetectCodeTable(std::string_view sample);
    std::vector<std::string> ListCodeTables(const std::filesystem::path& folder = {});

    static std::string ExtractRhyme(std::string_view word);
    static bool IsKnownRhyme(std::string_view rhyme);
    static void EscapeForRtf(TMemoryStream& table);

    // The bytes of a table file as the loaders see them (RTF-escaped in RtfMode).
    std::string ReadTable(const std::string& name);
    std::filesystem::path TablePath(const std::string& name) const;

private:
    bool HasSource() const { return !SourceName.empty() && SourceName != UnknownTableName; }
    void ConvertInto(std::string_view in, std::string& out) const;
};

// A whole text converted from one table of the table folder to another (Convert on a fresh
// converter). Throws EFOpenError when a table file cannot be read.
std::string ConvertBetween(const std::string& from, const std::string& to, std::string_view text);

// The built-in letter code: one byte per letter, in the letter order.
const std::array<unsigned char, VnLetterCount>& LetterCodeBytes();

} // namespace tavi

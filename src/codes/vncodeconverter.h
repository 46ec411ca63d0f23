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

    // True when Convert changes bytes: a source table is known and differs from the
    // destination.
    bool Converts() const { return HasSource() && SourceName != DestName; }
    // Converts the head of a longer text (more) or its end, writing at out, which has room for
    // BlockRoom(in.size()) bytes. Returns the end of what was written and sets used to the
    // number of bytes of in that it covers: the others (a match that may still grow, never
    // more than 16 bytes) belong at the head of the next block. Needs Converts().
    char* ConvertBlock(std::string_view in, bool more, char* out, std::size_t& used) const;
    std::size_t BlockRoom(std::size_t inSize) const { return inSize * Growth + sizeof(TOutSlot); }

private:
    bool HasSource() const { return !SourceName.empty() && SourceName != UnknownTableName; }
    void ConvertInto(std::string_view in, std::string& out) const;
    template <class Sink> std::size_t Run(std::string_view in, bool more, Sink& sink) const;
    // Lays the destination out in slots for the tables now loaded.
    void PrepareSlots();

    std::array<TOutSlot, VnLetterCount> EntrySlots{};
    std::array<TOutSlot, 256> ByteSlots{}; // what each byte becomes, for a byte-wise source
    std::size_t Growth = 1;                // the most bytes that one source byte can become
};

// A text converted block after block, with exactly the result of converting it whole: a match
// that may still grow at the end of a block is carried over to the next. Without a source
// table, the table is detected on the first DetectSampleSize bytes, as Convert does: nothing
// comes out until that many have arrived.
class TBlockConverter {
public:
    // Converts with the tables that conv has when the first block comes; conv must outlive
    // this. blockSize is the most bytes that one block may hold.
    explicit TBlockConverter(TVnCodeConverter& conv, std::size_t blockSize = 256 * 1024);

    // Where the next block is to be put, with room for blockSize bytes (the bytes carried
    // over lie just before it).
    char* Room() { return In.data() + Carried; }
    // Converts the n bytes put into Room(); last when the text ends with them. The bytes
    // returned stay valid until the next call.
    std::string_view Convert(std::size_t n, bool last);

private:
    // Keeps in[used, total) for the head of the next block; returns out.
    std::string_view Carry(std::size_t used, std::size_t total, std::string_view out);

    TVnCodeConverter& Conv;
    std::size_t BlockSize;
    std::size_t Carried = 0;
    bool Started = false;
    std::vector<char> In;
    std::vector<char> Out;
};

// A whole text converted from one table of the table folder to another (Convert on a fresh
// converter). Throws EFOpenError when a table file cannot be read.
std::string ConvertBetween(const std::string& from, const std::string& to, std::string_view text);

// The built-in letter code: one byte per letter, in the letter order.
const std::array<unsigned char, VnLetterCount>& LetterCodeBytes();

} // namespace tavi

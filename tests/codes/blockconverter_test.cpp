// Conversion block by block gives exactly what conversion of the whole text gives, wherever
// the blocks end.
#include "codes/vncodeconverter.h"
#include "support/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::vector<std::string> AllTables = {"LikeVNIDos",       "TCVN3",  "Unicode",
                                            "Unicode Compound", "VISCII", "Vni for Dos",
                                            "Vni for Win",      "VPS",    "Windows-1258"};

// The text converted in blocks that end at the given offsets (ascending), the source table
// detected when from is empty.
std::string InBlocks(const std::string& from, const std::string& to, std::string_view text,
                     const std::vector<std::size_t>& ends) {
    tavi::TVnCodeConverter conv;
    conv.SetDestTable(to);
    conv.SetSourceTable(from);
    tavi::TBlockConverter blocks(conv, text.size() + 1);
    std::string out;
    std::size_t at = 0;
    for (std::size_t end : ends) {
        std::copy(text.begin() + static_cast<long>(at), text.begin() + static_cast<long>(end),
                  blocks.Room());
        out += blocks.Convert(end - at, end == text.size());
        at = end;
    }
    return out;
}

std::vector<std::size_t> EveryBytes(std::size_t step, std::size_t size) {
    std::vector<std::size_t> ends;
    for (std::size_t end = step; end < size; end += step) ends.push_back(end);
    ends.push_back(size);
    return ends;
}

// Every letter, and each followed by the bytes that could extend it (the marks of "Vni for
// Win", the continuation bytes of UTF-8), so that every kind of match meets a block end at
// each of its bytes.
std::string Letters() {
    std::string text;
    for (const auto& letter : tavitest::VietnameseAlphabet()) text += letter + " " + letter;
    return text + tavitest::VietnameseProse().front();
}

TEST(BlockConverter, AMatchSplitAtEveryPositionComesOutWhole) {
    const struct {
        std::string from, to;
    } pairs[] = {{"Unicode", "Vni for Win"},
                 {"Vni for Win", "Unicode"},
                 {"Unicode", "VISCII"},
                 {"Vni for Win", "Unicode Compound"}};
    for (const auto& [from, to] : pairs) {
        const std::string text = tavi::ConvertBetween("Unicode", from, Letters());
        const std::string whole = tavi::ConvertBetween(from, to, text);
        ASSERT_NE(whole, text);
        for (std::size_t cut = 0; cut <= text.size(); ++cut)
            ASSERT_EQ(InBlocks(from, to, text, {cut, text.size()}), whole)
                << from << " -> " << to << ", block ends at " << cut;
        EXPECT_EQ(InBlocks(from, to, text, EveryBytes(1, text.size())), whole) << from;
    }
}

TEST(BlockConverter, ProseComesOutAsWholeTextConversionForEveryPair) {
    const std::string prose = tavitest::ProseText();
    for (const auto& from : AllTables) {
        const std::string text = tavi::ConvertBetween("Unicode", from, prose);
        for (const auto& to : AllTables)
            EXPECT_EQ(InBlocks(from, to, text, EveryBytes(997, text.size())),
                      tavi::ConvertBetween(from, to, text))
                << from << " -> " << to;
        // Detected on its first 1024 bytes, although the first block holds fewer.
        tavi::TVnCodeConverter whole;
        whole.SetDestTable("Unicode");
        whole.InStream.Data = text;
        whole.Convert();
        EXPECT_EQ(InBlocks("", "Unicode", text, EveryBytes(300, text.size())), whole.OutStream.Data)
            << from << " detected";
    }
}

} // namespace

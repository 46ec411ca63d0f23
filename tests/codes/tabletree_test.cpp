// The greedy longest-match converter over hand-made tables, and what it does with tables
// that break the file rules.
#include "codes/vncodeconverter.h"
#include "platform/errors.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>

using tavi::TVnCodeConverter;
using tavitest::TempDir;
using tavitest::WriteFile;

namespace {

class MatcherTest : public ::testing::Test {
protected:
    // Entry 6 ("d") has an empty destination: two separators in a row.
    void SetUp() override {
        WriteFile(dir / "S.vnc", "a a' o o^ o^' d dd xyz\r\n");
        WriteFile(dir / "D.vnc", "<a> <a'> <o> <o^> <o^'>  <dd> <xyz>\r\n");
        conv.ListCodeTables(dir.path());
        conv.SetSourceTable("S");
        conv.SetDestTable("D");
    }
    std::string Run(const std::string& text) {
        conv.InStream.Data = text;
        EXPECT_TRUE(conv.Convert());
        return conv.OutStream.Data;
    }
    TempDir dir;
    TVnCodeConverter conv;
};

TEST_F(MatcherTest, GreedyLongestMatch) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a", "<a>"},             // text ends right after a pending shorter entry
        {"a'", "<a'>"},           // the longer entry continues
        {"ax", "<a>x"},           // a byte outside every entry ends the pending match
        {"a1a", "<a>1<a>"},       // digits pass through unchanged
        {"o^'o^x", "<o^'><o^>x"}, // three levels, then a shorter match before x
        {"o^^", "<o^>^"},         // the path fails: the pending entry, then ^ again from the root
        {"'", "'"},               // in the table's bytes but starting no entry
        {"xyz", "<xyz>"},         //
        {"xya", "xya"},           // failed path without a shorter entry: copied as a whole
        {"xy", "xy"},             // text ends inside a path with no pending entry
        {"dd d dx", "<dd>  x"},   // entry d has an empty destination and disappears
        {"", ""},                 //
        {"  \r\n", "  \r\n"},     // separators are never part of an entry
    };
    for (const auto& c : cases) EXPECT_EQ(Run(c.in), c.out) << "input: " << c.in;
}

TEST_F(MatcherTest, ConvertWordUsesTheSameMatcher) {
    EXPECT_EQ(conv.ConvertWord("o^'a"), "<o^'><a>");
    EXPECT_EQ(conv.ConvertWord(""), "");
    // Results are cut to the short-string limit of 255 bytes.
    EXPECT_EQ(conv.ConvertWord(std::string(200, 'a')).size(), 255u);
}

TEST_F(MatcherTest, IdenticalNamesAndUnknownCopyUnchanged) {
    const std::string text = "a' o^ xyz \xF9\x01";
    conv.SetDestTable("S");
    EXPECT_EQ(Run(text), text);
    EXPECT_EQ(conv.ConvertWord(text), text);
    conv.SetDestTable("D");
    conv.SetSourceTable("Unknown");
    EXPECT_EQ(Run(text), text);
    EXPECT_EQ(conv.ConvertWord(text), text); // no source table: nothing to match
}

TEST_F(MatcherTest, ConvertNeedsADestination) {
    conv.SetDestTable("");
    conv.InStream.Data = "a";
    conv.OutStream.Data = "old";
    EXPECT_FALSE(conv.Convert());
    EXPECT_EQ(conv.OutStream.Data, "old");
}

TEST_F(MatcherTest, MissingTableNamesTheFileAndDropsTheOldTable) {
    try {
        conv.SetSourceTable("Nowhere");
        FAIL() << "no error for a missing table";
    } catch (const tavi::EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("Nowhere.vnc"), std::string::npos) << e.what();
    }
    EXPECT_EQ(conv.SourceName, "Nowhere");
    EXPECT_TRUE(conv.MatchNodes.Empty());
    EXPECT_EQ(conv.ConvertWord("a'"), "a'");
    EXPECT_THROW(conv.SetDestTable("Nowhere"), tavi::EFOpenError);
    EXPECT_EQ(conv.DestEntries[0], "");
}

// Tables that break the rules load without overrunning anything and convert as their author
// meant: entry k of the file is entry k of the destination.
TEST(BrokenTables, LoadSafelyAndKeepFileNumbering) {
    TempDir dir;
    std::string many, manyDest;
    for (int i = 0; i < 200; ++i) {
        char entry[8];
        std::snprintf(entry, sizeof entry, "q%03d ", i);
        many += entry;
        manyDest += "<" + std::to_string(i) + "> ";
    }
    const std::string longEntry = "abcdefghijklmnopqrst"; // 20 bytes
    const struct {
        const char* name;
        std::string source, dest, in, out;
    } cases[] = {
        {"repeated entry", "a b a c", "1 2 3 4", "abc", "124"},
        {"prefix of an earlier entry", "ab a", "X Y", "ab a ac", "X Y Yc"},
        {"no final separator", "a b", "1 2", "ab", "12"},
        {"over 146 entries", many, manyDest, "q001 q145 q146 q150", "<1> <145> q146 q150"},
        {"entry over 15 bytes", longEntry + " z", std::string(20, 'L') + " Z", longEntry + "z",
         std::string(15, 'L') + "Z"},
        {"runs of separators", "a  \r\n\r\n b", "1 2", "ab", "12"},
    };
    for (const auto& c : cases) {
        WriteFile(dir / "S.vnc", c.source);
        WriteFile(dir / "D.vnc", c.dest);
        TVnCodeConverter conv;
        conv.ListCodeTables(dir.path());
        conv.SetSourceTable("S");
        conv.SetDestTable("D");
        conv.InStream.Data = c.in;
        ASSERT_TRUE(conv.Convert()) << c.name;
        EXPECT_EQ(conv.OutStream.Data, c.out) << c.name;
        EXPECT_FALSE(tavi::TableRuleProblems(c.source, tavi::VnLetterCount).empty()) << c.name;
    }
}

TEST(BrokenTables, TooManyNodesIsAnErrorNotAnOverrun) {
    TempDir dir;
    std::string huge;
    for (int i = 0; i < 140; ++i) huge += std::to_string(i) + std::string(600, 'x') + " ";
    WriteFile(dir / "Huge.vnc", huge);
    TVnCodeConverter conv;
    conv.ListCodeTables(dir.path());
    EXPECT_THROW(conv.SetSourceTable("Huge"), tavi::EDataError);
    EXPECT_TRUE(conv.MatchNodes.Empty());
}

TEST(TableRules, GoodTableHasNoProblems) {
    EXPECT_TRUE(tavi::TableRuleProblems("a a1 b\r\nc\r\n", 146).empty());
    const auto problems = tavi::TableRuleProblems("ab a ab", 146);
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(problems[0], "entry 2 is a prefix of the earlier entry 1");
    EXPECT_EQ(problems[1], "entry 3 repeats entry 1");
    EXPECT_EQ(problems[2], "no separator after the last entry");
}

} // namespace

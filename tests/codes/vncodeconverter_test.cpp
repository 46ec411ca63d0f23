// The converter's own rules: rhymes, detection, RTF escaping and the table list.
#include "codes/vncodeconverter.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TVnCodeConverter;
using tavitest::Hex;
using tavitest::TempDir;
using tavitest::WriteFile;

namespace {

TEST(TrimSpaces, RemovesOnlyOuterBlanks) {
    EXPECT_EQ(tavi::TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(tavi::TrimSpaces("    "), "");
    EXPECT_EQ(tavi::TrimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(tavi::TrimSpaces(std::string(300, 'x')).size(), 255u);
}

TEST(Rhymes, ExtractRhymeOfLetterCodeWords) {
    const struct {
        std::string word, rhyme;
    } cases[] = {
        {Hex("AD F3 A5") + "ng", Hex("F3 9F") + "ng"},           // Đường: Đ skipped, ương
        {"ngh", ""},                                             // no vowel at all
        {"qu" + Hex("89") + "c", "u" + Hex("88") + "c"},         // quốc gives uôc
        {"  NGHI" + Hex("C8") + "NG  ", "i" + Hex("93") + "ng"}, // capitals fold, blanks trimmed
        {"ba,", "a"},                                            // stops at the first delimiter
        {Hex("AE") + "i", "i"},                                  // đ skipped
        {"x" + Hex("FF"), "e"},                                  // 0xFF reads as e
        {"12a", "12a"},                                          // digits are kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(TVnCodeConverter::ExtractRhyme(c.word), c.rhyme) << c.word;
}

TEST(Rhymes, KnownRhymes) {
    for (const std::string r :
         {"a", "ach", "oong", "uyu", "y", "\xF3\x9F\x75", "\xF3\x9Fng", "\xE8y"})
        EXPECT_TRUE(TVnCodeConverter::IsKnownRhyme(r)) << r;
    for (const std::string r : {"", "b", "aa", "\xF3\x9Fnh", "ươ", "zzzz", "\xFF"})
        EXPECT_FALSE(TVnCodeConverter::IsKnownRhyme(r)) << r;
}

TEST(EscapeForRtf, HighBytesAndBraces) {
    tavi::TMemoryStream table;
    table.Data = "a\xE1 {b}\\\r\n";
    table.Position = 3;
    TVnCodeConverter::EscapeForRtf(table);
    EXPECT_EQ(table.Data, "a\\'e1 \\{b\\}\\\r\n");
    EXPECT_EQ(table.Position, 0u);
}

class DetectTest : public ::testing::Test {
protected:
    void UseTables(std::initializer_list<std::pair<std::string, std::string>> tables) {
        for (const auto& [name, bytes] : tables) WriteFile(dir / (name + ".vnc"), bytes);
        conv.ListCodeTables(dir.path());
    }
    TempDir dir;
    TVnCodeConverter conv;
};

TEST_F(DetectTest, PureAsciiIsUnknown) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")}});
    EXPECT_EQ(conv.DetectCodeTable("The quick brown fox jumps over a lazy dog."), "Unknown");
    EXPECT_EQ(conv.DetectCodeTable(""), "Unknown");
}

TEST_F(DetectTest, EqualCountsGoToTheTableListedFirst) {
    const std::string vni = tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc");
    UseTables({{"b copy", vni}, {"A copy", vni}, {"c copy.old", vni}});
    EXPECT_EQ(conv.ListCodeTables(), (std::vector<std::string>{"A copy", "b copy", "c copy"}));
    EXPECT_EQ(conv.DetectCodeTable("Vie\xE4t Nam"), "A copy");
}

TEST_F(DetectTest, LongWordIsJudgedOnItsFirst255Bytes) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")}});
    // The acute mark is byte 256 of the word: cut away, the word is unchanged and proves nothing.
    EXPECT_EQ(conv.DetectCodeTable(std::string(254, 'b') + "a\xF9"), "Unknown");
    EXPECT_EQ(conv.DetectCodeTable(std::string(253, 'b') + "a\xF9"), "Vni for Win");
}

TEST_F(DetectTest, SampleEndsAtItsFirstNul) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")}});
    EXPECT_EQ(conv.DetectCodeTable(std::string("abc\0Vie\xE4t", 8)), "Unknown");
}

TEST_F(DetectTest, DetectionRestoresTheDestination) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")},
         {"Unicode", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Unicode.vnc")}});
    conv.SetDestTable("Unicode");
    conv.InStream.Data = "Vie\xE4t Nam";
    ASSERT_TRUE(conv.Convert());
    EXPECT_EQ(conv.SourceName, "Vni for Win");
    EXPECT_EQ(conv.DestName, "Unicode");
    EXPECT_EQ(conv.OutStream.Data, "Vi\xE1\xBB\x87t Nam");
    // The detected table stays: a second Convert does not detect again.
    conv.InStream.Data = "Vi\xE1\xBB\x87t";
    ASSERT_TRUE(conv.Convert());
    EXPECT_EQ(conv.SourceName, "Vni for Win");
}

TEST_F(DetectTest, UndetectableTextIsCopied) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")},
         {"Unicode", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Unicode.vnc")}});
    conv.SetDestTable("Unicode");
    conv.InStream.Data = "plain words only";
    ASSERT_TRUE(conv.Convert());
    EXPECT_EQ(conv.SourceName, "Unknown");
    EXPECT_EQ(conv.OutStream.Data, "plain words only");
}

TEST_F(DetectTest, RtfModeConvertsEscapedBytes) {
    UseTables(
        {{"Vni for Win", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Win.vnc")},
         {"Unicode", tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Unicode.vnc")}});
    conv.SetDestTable("Unicode");
    conv.RtfMode = true;
    // The destination was loaded before RtfMode was set; detection reloads it escaped.
    conv.InStream.Data = "{\\rtf1 Vie\\'e4t Nam \\'f1\\'f6\\'f4\\'f8ng}";
    ASSERT_TRUE(conv.Convert());
    EXPECT_EQ(conv.SourceName, "Vni for Win");
    EXPECT_EQ(conv.OutStream.Data,
              "{\\rtf1 Vi\\'e1\\'bb\\'87t Nam \\'c4\\'91\\'c6\\'b0\\'e1\\'bb\\'9dng}");
}

TEST(LetterCode, DestinationIsTheBuiltInCode) {
    TVnCodeConverter conv;
    conv.SetDestTable("<VNCODE>");
    EXPECT_EQ(conv.DestEntries[0], "a");
    EXPECT_EQ(conv.DestEntries[60], "\xF3");
    EXPECT_EQ(conv.DestEntries[145], "\xAD");
    conv.SetSourceTable("Vni for Win");
    EXPECT_EQ(conv.ConvertWord("ng\xF6\xF4\xF8i"), "ng\xF3\xA5i"); // người
}

} // namespace

namespace {

TEST(TableNames, LetterCaseOfAFileNameDoesNotMatter) {
    // The reader names its table "VNI for Win"; the file is "Vni for Win.vnc".
    TVnCodeConverter conv;
    conv.SetSourceTable("VNI for Win");
    conv.SetDestTable("unicode");
    EXPECT_EQ(conv.SourceName, "VNI for Win"); // the name is kept as given
    EXPECT_EQ(conv.ConvertWord("Vie\xE4t"), "Vi\xE1\xBB\x87t");
}

} // namespace

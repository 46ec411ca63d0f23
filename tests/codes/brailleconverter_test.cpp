// The Braille converter over hand-made tables: loading only on a change of name, the failure
// of a missing file, tables sized from the file, and the matcher it shares.
#include "codes/brailleconverter.h"
#include "platform/errors.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TCodeConverter;
using tavitest::TempDir;
using tavitest::WriteFile;

namespace {

class BrailleConverterTest : public ::testing::Test {
protected:
    void SetUp() override { conv.TableFolder = dir.path().string() + "/"; }
    void Tables(const std::string& source, const std::string& dest) {
        WriteFile(dir / "S.vnc", source);
        WriteFile(dir / "D.vnc", dest);
        conv.SetSourceTable("S");
        conv.SetDestTable("D");
    }
    TempDir dir;
    TCodeConverter conv;
};

TEST_F(BrailleConverterTest, SameNameDoesNotReadTheFileAgain) {
    Tables("a b\r\n", "1 2\r\n");
    EXPECT_EQ(conv.ConvertText("ab"), "12");
    WriteFile(dir / "S.vnc", "b a\r\n");
    WriteFile(dir / "D.vnc", "x y\r\n");
    conv.SetSourceTable("S");
    conv.SetDestTable("D");
    EXPECT_EQ(conv.ConvertText("ab"), "12"); // still the tables read first
    conv.SetSourceTable("");
    conv.SetSourceTable("S");
    EXPECT_EQ(conv.ConvertText("ab"), "21");
}

TEST_F(BrailleConverterTest, MissingFileKeepsTheNewNameAndDropsTheOldTable) {
    Tables("a\r\n", "1\r\n");
    EXPECT_THROW(conv.SetSourceTable("Missing"), tavi::EFOpenError);
    EXPECT_EQ(conv.SourceName, "Missing");
    EXPECT_TRUE(conv.MatchNodes.Empty());
    EXPECT_EQ(conv.ConvertText("a"), "a");   // no table: the text passes unchanged
    conv.SetSourceTable("Missing");          // the same name again: no new attempt
    WriteFile(dir / "Missing.vnc", "a\r\n"); // even once the file is there
    conv.SetSourceTable("Missing");
    EXPECT_EQ(conv.ConvertText("a"), "a");
    EXPECT_THROW(conv.SetDestTable("Gone"), tavi::EFOpenError);
    EXPECT_EQ(conv.DestName, "Gone");
    EXPECT_TRUE(conv.DestEntries.empty());
}

TEST_F(BrailleConverterTest, DestinationSizedFromTheFile) {
    const struct {
        std::string file;
        std::vector<std::string> entries;
    } cases[] = {
        {"1 2 3", {"1", "2", "3"}},                     // the last entry has no separator after it
        {"1 2 3\r\n", {"1", "2", "3"}},                 // CR LF at the end adds no empty entry
        {"1\r\n2\r\n", {"1", "2"}},                     //
        {"1  3 ", {"1", "", "3"}},                      // two spaces leave an empty entry
        {"", {}},                                       //
        {"\n\n", {}},                                   // line feeds count for nothing
        {std::string(20, 'x'), {std::string(15, 'x')}}, // at most 15 bytes are kept
    };
    for (const auto& c : cases) {
        WriteFile(dir / "D.vnc", c.file);
        conv.SetDestTable("");
        conv.SetDestTable("D");
        EXPECT_EQ(conv.DestEntries, c.entries) << c.file;
    }
}

TEST_F(BrailleConverterTest, MatcherOverTheProgramFolderTables) {
    // Entry 4 (d) has an empty destination and the destination has no entry for 6 (f).
    Tables("a ab abc d e f\r\n", "<a> <ab> <abc>  <e>\r\n");
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"a", "<a>"},             // pending at the end of the text
        {"abx", "<ab>x"},         // the longer path fails: the pending entry, then x
        {"abcabc", "<abc><abc>"}, //
        {"a1b", "<a>1b"},         // bytes outside every entry pass unchanged
        {"d d", " "},             // an empty destination deletes its entry
        {"f", "f"},               // no destination for the entry: it stays as it was
        {"e \r\n#\xDE", "<e> \r\n#\xDE"},
    };
    for (const auto& c : cases) EXPECT_EQ(conv.ConvertText(c.in), c.out) << c.in;
    EXPECT_EQ(conv.ConvertWord("abcd"), "<abc>");
    EXPECT_EQ(conv.ConvertWord(""), "");
}

// A longer path that fails on a byte outside the table (a space, a line end) has its bytes after
// the shorter match read again, so that they are converted too: huơ followed by a space.
TEST_F(BrailleConverterTest, FailedPathBeforeAByteOutsideTheTable) {
    Tables("u o uo1 uo2\r\n", "<u> <o> <uo1> <uo2>\r\n");
    EXPECT_EQ(conv.ConvertText("uo uo\r\nuo"), "<u><o> <u><o>\r\n<u><o>");
    EXPECT_EQ(conv.ConvertText("uo1 uox"), "<uo1> <u><o>x");
}

TEST_F(BrailleConverterTest, EntryNumbersAbove255) {
    std::string source, dest;
    for (int k = 1; k <= 700; ++k) {
        source += "s" + std::to_string(k) + "\r\n";
        dest += "d" + std::to_string(k) + "\r\n";
    }
    Tables(source, dest);
    EXPECT_EQ(conv.DestEntries.size(), 700u);
    EXPECT_EQ(conv.ConvertText("s1 s255 s256 s700"), "d1 d255 d256 d700");
}

// A table whose tree needs more nodes than 16-bit links reach is refused whole.
TEST_F(BrailleConverterTest, TooLargeTableIsRefused) {
    std::string source;
    for (int k = 1; k <= 40000; ++k) source += "s" + std::to_string(k) + " ";
    WriteFile(dir / "Big.vnc", source);
    EXPECT_THROW(conv.SetSourceTable("Big"), tavi::EDataError);
    EXPECT_EQ(conv.SourceName, "Big");
    EXPECT_TRUE(conv.MatchNodes.Empty());
}

TEST_F(BrailleConverterTest, EqualNamesCopyAndEmptyNamesConvertNothing) {
    Tables("a\r\n", "1\r\n");
    conv.SetDestTable("S");
    EXPECT_EQ(conv.ConvertText("a b"), "a b");
    EXPECT_EQ(conv.ConvertWord("a"), "a");
    conv.SetDestTable("");
    conv.InStream.Data = "a";
    EXPECT_FALSE(conv.Convert());
    // No pair selected: an error, not the output of the conversion before.
    EXPECT_THROW(conv.ConvertText("a"), tavi::EDataError);
}

TEST_F(BrailleConverterTest, ConvertWordKeeps255Bytes) {
    Tables("a\r\n", "aa\r\n");
    EXPECT_EQ(conv.ConvertWord(std::string(300, 'a')), std::string(255, 'a'));
    EXPECT_EQ(conv.ConvertText(std::string(300, 'a')), std::string(600, 'a'));
}

// A one-to-one pair gives the text back after the signs are removed, except where the text had
// a capital sign of its own or a # before a digit.
TEST_F(BrailleConverterTest, OneToOnePairRoundTrip) {
    std::string source, dest;
    for (int c = 'a'; c <= 'z'; ++c) {
        source += char(c);
        source += ' ';
        dest += char('z' - (c - 'a'));
        dest += ' ';
    }
    WriteFile(dir / "Vni for Win.vnc", source);
    WriteFile(dir / "Braille.vnc", dest);
    for (const std::string text : {"", "Ab cd", "HA NOI. 12,5 kg", "AB1 x#", "\r\nz"})
        EXPECT_EQ(tavi::VniFromBraille(conv, tavi::BrailleFromVni(conv, text)), text);
    // The exceptions: a capital sign of the text's own is lost.
    EXPECT_EQ(tavi::VniFromBraille(conv, tavi::BrailleFromVni(conv, "a#1\xDE")), "a#1");
}

} // namespace

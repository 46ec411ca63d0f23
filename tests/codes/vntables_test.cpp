// The delivered code tables: letter order, file rules, round trips, agreement with iconv and
// detection of real prose written in each of them.
#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using tavi::TVnCodeConverter;

namespace {

const std::vector<std::string> AllTables = {"LikeVNIDos",       "TCVN3",  "Unicode",
                                            "Unicode Compound", "VISCII", "Vni for Dos",
                                            "Vni for Win",      "VPS",    "Windows-1258"};

std::string Convert(const std::string& from, const std::string& to, const std::string& text) {
    TVnCodeConverter conv;
    conv.SetSourceTable(from);
    conv.SetDestTable(to);
    conv.InStream.Data = text;
    EXPECT_TRUE(conv.Convert());
    return conv.OutStream.Data;
}

std::string TableBytes(const std::string& name) {
    return tavitest::ReadFile(tavitest::DataDir() / "VNCFiles" / (name + ".vnc"));
}

TEST(VnTables, ListedInTheTableFolder) {
    TVnCodeConverter conv;
    EXPECT_EQ(conv.ListCodeTables(), AllTables);
}

TEST(VnTables, KeepTheFileRules) {
    for (const auto& name : AllTables) {
        const std::string table = TableBytes(name);
        EXPECT_EQ(tavi::SplitTableEntries(table).size(), tavi::VnLetterCount) << name;
        const auto problems = tavi::TableRuleProblems(table, tavi::VnLetterCount);
        EXPECT_TRUE(problems.empty()) << name << ": " << problems.front();
    }
}

TEST(VnTables, ListTheLettersInTheLetterOrder) {
    const auto alphabet = tavitest::VietnameseAlphabet();
    ASSERT_EQ(alphabet.size(), tavi::VnLetterCount);
    const std::string unicodeTable = TableBytes("Unicode");
    const auto unicode = tavi::SplitTableEntries(unicodeTable);
    for (std::size_t k = 0; k < alphabet.size(); ++k) EXPECT_EQ(unicode[k], alphabet[k]) << k + 1;
    for (const auto& name : AllTables) {
        const std::string table = TableBytes(name);
        const auto entries = tavi::SplitTableEntries(table);
        for (std::size_t k = 0; k < entries.size(); ++k)
            EXPECT_EQ(Convert(name, "Unicode", std::string(entries[k])), alphabet[k])
                << name << " entry " << k + 1;
    }
}

TEST(VnTables, AlphabetSurvivesEveryPairBothWays) {
    std::string alphabet;
    for (const auto& letter : tavitest::VietnameseAlphabet()) alphabet += letter + " ";
    for (const auto& from : AllTables) {
        const std::string text = Convert("Unicode", from, alphabet);
        for (const auto& to : AllTables) {
            const std::string there = Convert(from, to, text);
            EXPECT_EQ(Convert(to, from, there), text) << from << " -> " << to;
            EXPECT_EQ(Convert(to, "Unicode", there), alphabet) << from << " -> " << to;
        }
    }
}

// Vni for Dos writes seven capitals with the ASCII bytes @ ^ ` { | } ~, so ASCII text holding
// them cannot come back from it unchanged: that is the code, not the converter.
bool CodeCannotHold(const std::string& table, const std::string& text) {
    return table == "Vni for Dos" && text.find_first_of("@^`{|}~") != std::string::npos;
}

TEST(VnTables, ProseSurvivesEveryTable) {
    for (const auto& paragraph : tavitest::VietnameseProse()) {
        for (const auto& name : AllTables) {
            if (CodeCannotHold(name, paragraph)) continue;
            EXPECT_EQ(Convert(name, "Unicode", Convert("Unicode", name, paragraph)), paragraph)
                << name << ": " << paragraph.substr(0, 60);
        }
    }
}

// iconv knows three of the codes; our tables must write exactly what it writes.
TEST(VnTables, AgreeWithIconv) {
    tavitest::TempDir dir;
    const std::pair<std::string, std::string> codes[] = {
        {"VISCII", "VISCII"}, {"TCVN3", "TCVN5712-1"}, {"Windows-1258", "CP1258"}};
    std::string prose;
    for (const auto& p : tavitest::VietnameseProse()) prose += p + "\n";
    tavitest::WriteFile(dir / "in.txt", prose);
    for (const auto& [table, charset] : codes) {
        const std::string out = (dir / (table + ".out")).string();
        const std::string cmd =
            "iconv -f UTF-8 -t " + charset + " '" + (dir / "in.txt").string() + "' > '" + out + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        EXPECT_EQ(Convert("Unicode", table, prose), tavitest::ReadFile(out)) << table;
    }
}

TEST(VnTables, ProseInEachTableIsDetectedAsThatTable) {
    const auto paragraphs = tavitest::VietnameseProse();
    ASSERT_GE(paragraphs.size(), 30u);
    for (const auto& name : AllTables) {
        int wrong = 0;
        for (const auto& paragraph : paragraphs) {
            const std::string text = Convert("Unicode", name, paragraph);
            TVnCodeConverter conv;
            const std::string detected =
                conv.DetectCodeTable(text.substr(0, tavi::DetectSampleSize));
            if (detected != name) {
                ++wrong;
                ADD_FAILURE() << name << " detected as " << detected << ": "
                              << paragraph.substr(0, 80);
            }
        }
        EXPECT_EQ(wrong, 0) << name;
    }
}

} // namespace

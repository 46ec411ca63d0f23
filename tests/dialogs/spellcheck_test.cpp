// The search of the spelling checker over documents in "Vni for Win": word cutting, letter
// filtering, start and end of the text, progress and stop requests, and real prose.
#include "codes/vncodeconverter.h"
#include "dialogs/spellcheck.h"
#include "speech/wordreader.h"
#include "support/corpus.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sys/wait.h>

using tavi::TSpellChecker;
using tavi::TSpellResult;

namespace {

std::string Vni(const std::string& utf8) {
    tavi::TVnCodeConverter converter;
    converter.SetSourceTable("Unicode");
    converter.SetDestTable("Vni for Win");
    converter.InStream.Data = utf8;
    converter.Convert();
    return converter.OutStream.Data;
}

TSpellResult Find(const std::string& text, std::size_t start) {
    TSpellChecker checker;
    return checker.FindSuspect(text, text.size(), start);
}

TEST(SpellCheck, WordsAreLettersOfVniForWin) {
    TSpellChecker checker;
    const struct {
        std::string word;
        bool suspect;
    } cases[] = {
        {Vni("Việt"), false},
        {Vni("(Việt),"), false},
        {Vni("Vi-ệt"), false},
        {"1999", false},
        {"-", false},
        {"...", false},
        {"", false},
        {Vni("2000đ"), true},
        {Vni("bit"), true},
        {Vni("tiếng"), false},
        {Vni("fan"), true},
        {Vni("zalo"), true},
        {Vni("nghiêngg"), true},
        {Vni("nghiêng."), false},
        {Vni("gi"), true},
        {Vni("gì?"), false},
        {Vni("qu"), true},
        {Vni("QUỐC"), false},
    };
    for (const auto& c : cases) EXPECT_EQ(checker.IsSuspect(c.word), c.suspect) << c.word;
    for (unsigned c = 0; c < 256; ++c) {
        const std::set<unsigned> gaps = {199, 215, 221, 222, 223, 231, 247, 253, 254};
        const bool letter =
            (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= 192 && !gaps.count(c));
        EXPECT_EQ(tavi::IsVniWinLetter(static_cast<unsigned char>(c)), letter) << c;
    }
}

TEST(SpellCheck, FindsTheNextSuspectWordFromTheStart) {
    const struct {
        std::string text;
        std::size_t start;
        bool found;
        std::size_t position, length;
    } cases[] = {
        {"ba bit ca", 1, true, 4, 3},
        {"ba\tbit\r\nca", 1, true, 4, 3},
        {"ba  \t bit,", 1, true, 7, 4}, // punctuation belongs to the selection
        {"bit ba", 2, false, 0, 0},     // from the caret on: only "it" of bit is left
        {"ba bit ca", 5, false, 0, 0},
        {"1999 - ba.", 1, false, 0, 0}, // numbers and punctuation alone are skipped
        {"ba f", 1, true, 4, 1},        // the last one-byte word is examined
        {"ba f", 4, true, 4, 1},        // the caret right before it
        {"ba f", 5, false, 0, 0},       // the caret at the end: nothing is checked
        {"ba f", 9, false, 0, 0},
        {"ba a", 1, false, 0, 0},
        {"ba   ", 1, false, 0, 0},
        {"", 1, false, 0, 0},
        {"zz", 1, true, 1, 2},
    };
    for (const auto& c : cases) {
        const TSpellResult r = Find(c.text, c.start);
        EXPECT_EQ(r.Found, c.found) << c.text << " from " << c.start;
        EXPECT_FALSE(r.Stopped);
        if (!c.found) continue;
        EXPECT_EQ(r.Position, c.position) << c.text;
        EXPECT_EQ(r.Length, c.length) << c.text;
        EXPECT_EQ(r.End, c.position + c.length) << c.text;
    }
}

TEST(SpellCheck, TextLengthBoundsTheSearch) {
    TSpellChecker checker;
    EXPECT_FALSE(checker.FindSuspect("ba bit", 2, 1).Found);
    EXPECT_TRUE(checker.FindSuspect("ba bit", 6, 1).Found);
    // A length beyond the text is cut to it.
    const TSpellResult r = checker.FindSuspect("ba bit", 1000, 1);
    EXPECT_TRUE(r.Found);
    EXPECT_EQ(r.End, 7u);
}

TEST(SpellCheck, GaugeRisesToTheEndAndChangesOnly) {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "ba ";
    TSpellChecker checker;
    std::vector<int> shown;
    tavi::TSpellHooks hooks;
    hooks.Gauge = [&](int p) { shown.push_back(p); };
    EXPECT_FALSE(checker.FindSuspect(text, text.size(), 1, hooks).Found);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown.back(), 99);
    for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]);
}

TEST(SpellCheck, StopRequestEndsAfterTheCurrentWordWithoutReport) {
    TSpellChecker checker;
    int asked = 0;
    tavi::TSpellHooks hooks;
    hooks.StopRequested = [&] { return ++asked == 2; };
    const TSpellResult r = checker.FindSuspect("ba ca bit", 9, 1, hooks);
    EXPECT_TRUE(r.Stopped);
    EXPECT_FALSE(r.Found);
    EXPECT_EQ(asked, 2);
    // A word found as the stop is requested is not reported either.
    hooks.StopRequested = [] { return true; };
    const TSpellResult r2 = checker.FindSuspect("bit", 3, 1, hooks);
    EXPECT_TRUE(r2.Stopped);
    EXPECT_FALSE(r2.Found);
}

// Real prose from a Debian translation: only words that are not Vietnamese syllables (English
// names, commands, paths) may be flagged, and three Vietnamese ones that are not one syllable.
TEST(SpellCheck, RealProseFlagsOnlyWordsThatAreNoSyllable) {
    TSpellChecker checker;
    std::size_t words = 0;
    std::vector<std::string> flagged;
    for (const std::string& paragraph : tavitest::VietnameseProse()) {
        const std::string text = Vni(paragraph);
        for (std::size_t start = 1;;) {
            const TSpellResult r = checker.FindSuspect(text, text.size(), start);
            if (!r.Found) break;
            flagged.push_back(text.substr(r.Position - 1, r.Length));
            start = r.End;
        }
        for (std::size_t i = 0; i < text.size();) {
            while (i < text.size() && tavi::IsSpellBlank(static_cast<unsigned char>(text[i]))) ++i;
            if (i < text.size()) ++words;
            while (i < text.size() && !tavi::IsSpellBlank(static_cast<unsigned char>(text[i]))) ++i;
        }
    }
    EXPECT_GT(words, 2500u);
    EXPECT_LT(flagged.size() * 10, words);
    // Two syllables joined by punctuation, which is removed, not cut at; two that lost their
    // blank in the corpus.
    const std::set<std::string> joined = {Vni("triển/bảo"), Vni("là),vv"), Vni("nàođể")};
    for (const std::string& word : flagged) {
        const bool marked = std::any_of(
            word.begin(), word.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (marked) {
            EXPECT_TRUE(joined.count(word)) << word;
        }
    }
}

// Runs tavitool; returns its exit status and standard output (standard error after it).
std::pair<int, std::string> RunTavitool(const std::string& args) {
    const std::string command = std::string(TAVI_TAVITOOL) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    std::string out;
    char buf[512];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    return {WEXITSTATUS(pclose(p)), out};
}

TEST(TavitoolSpell, ListsPositionsInVniForWinAndWordsAsInTheInput) {
    tavitest::TempDir dir;
    // Xin chào “bít” fan. / QUỐC gia qu 1999 f: the curly quotes, which no Vietnamese code
    // holds, stay three bytes each and count as punctuation.
    tavitest::WriteFile(dir / "unicode.txt", "Xin ch\xC3\xA0o \xE2\x80\x9C"
                                             "b\xC3\xADt\xE2\x80\x9D fan.\n"
                                             "QU\xE1\xBB\x90"
                                             "C gia qu 1999 f");
    tavitest::WriteFile(dir / "vni.txt", "Xin cha\xF8o \"b\xEDt\" fan.\nQUO\xC1"
                                         "C gia qu 1999 f");
    const struct {
        std::string args, expected;
    } cases[] = {
        {"--table Unicode " + (dir / "unicode.txt").string(), "21\tfan.\n36\tqu\n44\tf\n"},
        {(dir / "vni.txt").string(), "17\tfan.\n32\tqu\n40\tf\n"},
        {"--table \"Vni for Win\" " + (dir / "vni.txt").string(), "17\tfan.\n32\tqu\n40\tf\n"},
    };
    for (const auto& c : cases) {
        auto [status, out] = RunTavitool("spell " + c.args);
        EXPECT_EQ(status, 0) << out;
        EXPECT_EQ(out, c.expected) << c.args;
    }
    // The word as it stands in the input, in its own code.
    tavitest::WriteFile(dir / "marked.txt", "ba \xE1\xBA\xA1"
                                            "fa\xCC\x81 ca");
    auto [status, out] = RunTavitool("spell --table Unicode " + (dir / "marked.txt").string());
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "4\t\xE1\xBA\xA1"
                   "fa\xCC\x81\n");
    auto [bad, message] = RunTavitool("spell --table NoSuchTable " + (dir / "vni.txt").string());
    EXPECT_EQ(bad, 1);
    EXPECT_NE(message.find("Cannot open file"), std::string::npos) << message;
}

} // namespace

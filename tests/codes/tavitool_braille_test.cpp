// tavitool braille and tavitool emboss, run as programs on files.
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>

using tavitest::ReadFile;

namespace {

class TavitoolBraille : public ::testing::Test {
protected:
    int Run(const std::string& arguments) {
        const std::string command = "'" + (tavitest::BinaryDir() / "bin/tavitool").string() + "' " +
                                    arguments + " 2>'" + (dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Path(const std::string& name) { return "'" + (dir / name).string() + "'"; }
    tavitest::TempDir dir;
};

TEST_F(TavitoolBraille, ToBrailleAndBack) {
    const std::string text = ReadFile(tavitest::TestData("vi/braille-sentences.txt"));
    tavitest::WriteFile(dir / "in.txt", text);
    ASSERT_EQ(Run("braille --from Unicode " + Path("in.txt") + " " + Path("braille")), 0);
    ASSERT_EQ(Run("braille --back --to Unicode " + Path("braille") + " " + Path("back.txt")), 0);
    EXPECT_EQ(ReadFile(dir / "back.txt"), text);
    // Standard input and output, and Unicode Braille patterns for a terminal.
    tavitest::WriteFile(dir / "word.txt", "Vi\xE1\xBB\x87t Nam");
    ASSERT_EQ(
        Run("braille --from Unicode --unicode < " + Path("word.txt") + " > " + Path("word.brl")),
        0);
    EXPECT_EQ(ReadFile(dir / "word.brl"), "⠨⠧⠠⠊⠣⠞⠀⠨⠝⠁⠍");
}

TEST_F(TavitoolBraille, EmbossWritesBrfPages) {
    std::string text;
    for (const auto& p : {"Vie\xE4t Nam", "Ha\xF8 No\xE4i"}) // Vni for Win
        for (int i = 0; i < 40; ++i) text += std::string(p) + " " + std::to_string(i) + "\r\n";
    tavitest::WriteFile(dir / "doc.txt", text);
    ASSERT_EQ(Run("emboss --width 32 " + Path("doc.txt") + " " + Path("doc.brf")), 0);
    const std::string brf = ReadFile(dir / "doc.brf");
    EXPECT_EQ(brf.substr(0, 20), "#A\r\n.v,i<t .nam #j\r\n");
    EXPECT_NE(brf.find("\f#B\r\n"), std::string::npos);
    EXPECT_NE(brf.find("\f#D\r\n"), std::string::npos);
    EXPECT_EQ(brf.find("\f#E"), std::string::npos); // 80 lines: four pages of 24
    for (char c : brf) {
        const unsigned char b = static_cast<unsigned char>(c);
        EXPECT_TRUE((b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n' || b == '\f') << int(b);
    }
    // Already Braille: the same pages.
    ASSERT_EQ(Run("braille " + Path("doc.txt") + " " + Path("doc.braille")), 0);
    ASSERT_EQ(Run("emboss --braille --width 32 " + Path("doc.braille") + " " + Path("b.brf")), 0);
    EXPECT_EQ(ReadFile(dir / "b.brf"), brf);
}

TEST_F(TavitoolBraille, Mistakes) {
    EXPECT_EQ(Run("emboss --width 33 " + Path("none")), 2);
    EXPECT_EQ(Run("braille --back --unicode " + Path("none")), 2);
    EXPECT_EQ(Run("braille " + Path("missing.txt")), 1);
    EXPECT_NE(ReadFile(dir / "err").find("Cannot open file"), std::string::npos);
}

} // namespace

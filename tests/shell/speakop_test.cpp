// What the speak operation says for each kind of text and setting.
#include "codes/brailleconverter.h"
#include "document/editecho.h"
#include "shell/speakop.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

using tavi::TSpeakSettings;
using tavi::TSpeechAction;

namespace {

class SpeakOpTest : public ::testing::Test {
protected:
    void SetUp() override { dots.LoadFromFile(tavitest::DataDir() / "Dot"); }
    TSpeechAction Say(const std::string& text, const std::string& table, bool english = false,
                      bool controls = false) {
        return tavi::PrepareSpeech(text, table, english, controls, s, braille, dots);
    }
    TSpeakSettings s;
    tavi::TCodeConverter braille;
    tavi::TNameValueList dots;
};

TEST_F(SpeakOpTest, SpeechOffSaysNothing) {
    s.SpeechOn = false;
    EXPECT_EQ(Say("zzzmesa", "Vni for Win").kind, TSpeechAction::None);
}

TEST_F(SpeakOpTest, SingleCharacters) {
    const struct {
        bool vniDisplay, controls, vietnamese;
        std::string in, out;
    } cases[] = {
        {true, true, true, "A", "A hoa"},
        {true, true, true, "\xD1", "\xD1 hoa"}, // Đ
        {true, true, true, "a", "a"},
        {false, true, true, "A", "A"}, // no " hoa" in Braille display
        {true, true, true, " ", "zzzmesev"},
        {true, false, true, " ", "zzzmesev"}, // a space is always named
        {true, false, false, " ", "space"},
        {true, true, true, "\r", "zzzmesgm "},
        {true, false, true, "\r", "\r"}, // only while control characters are read
        {true, true, false, "\r", "next line"},
    };
    for (const auto& c : cases) {
        s.VniDisplay = c.vniDisplay;
        s.ReadControlChars = c.controls;
        s.VietnameseNames = c.vietnamese;
        const auto a = Say(c.in, "Vni for Win", false, true);
        EXPECT_EQ(a.kind, TSpeechAction::Vietnamese);
        EXPECT_EQ(a.text, c.out) << c.in;
        EXPECT_EQ(a.table, "Vni for Win");
        EXPECT_TRUE(a.symbols);
    }
}

TEST_F(SpeakOpTest, BrailleText) {
    s.VniDisplay = false;
    // A tone cell on its own is named.
    EXPECT_EQ(Say("\xDA", "Braille").text, "da\xE1u ho\xFBi");
    // Symbol mode checked but disabled: the cells are read as words; the capital signs stay
    // (the reader pauses briefly at them).
    s.SymbolModeChecked = true;
    auto a = Say(tavi::BrailleFromVni(braille, "Vie\xE4t Nam"), "Braille");
    EXPECT_EQ(a.text, "\xDEVie\xE4t \xDENam");
    EXPECT_EQ(a.table, "Vni for Win");
    // Enabled and checked: by dot numbers.
    s.SymbolModeEnabled = true;
    a = Say("ab =", "Braille");
    EXPECT_EQ(a.text, " cha\xE1m 1 cha\xE1m 1 2 khoa\xFBng tra\xE9ng cha\xE1m 2 3 5 6");
}

TEST_F(SpeakOpTest, DotReadingOfControlsAndEnglishNames) {
    EXPECT_EQ(tavi::DotReading("\t\r\n", true, s, dots), " tab xuo\xE1ng do\xF8ng");
    EXPECT_EQ(tavi::DotReading("\t\r\n", false, s, dots), "");
    s.VietnameseNames = false;
    EXPECT_EQ(tavi::DotReading("a \r", true, s, dots), " dot 1 space next line");
}

TEST_F(SpeakOpTest, EnglishGetsTabsNamed) {
    auto a = Say("a\tb", "Vni for Win", true, true);
    EXPECT_EQ(a.kind, TSpeechAction::English);
    EXPECT_EQ(a.text, "a tab b");
    s.ReadControlChars = false;
    EXPECT_EQ(Say("a\tb", "Vni for Win", true).text, "a\tb");
}

TEST_F(SpeakOpTest, DeletionNameFollowsTheEnglishItem) {
    EXPECT_EQ(tavi::DeletionName(s.EnglishNames), "zzzmeslg ");
    s.EnglishNames = true;
    EXPECT_EQ(tavi::DeletionName(s.EnglishNames), "delete ");
}

} // namespace

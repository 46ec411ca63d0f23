// The capital and number signs put into a text before Braille and taken out after it.
#include "codes/braillesigns.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <random>

using tavi::InsertBrailleSigns;
using tavi::StripBrailleSigns;

namespace {

// ^ stands for the capital sign and ~ for the number sign in the expectations.
std::string Signs(std::string s) {
    for (char& c : s) {
        if (c == '^') c = '\xDE';
        if (c == '~') c = '#';
    }
    return s;
}

TEST(BrailleSigns, Insert) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"Ab", Signs("^Ab")},
        {"AB", Signs("^^AB^")},
        {"A1", Signs("^A~1")},
        {"AB1", Signs("^^AB^~1")},
        {"12,5 kg", Signs("~12,5 kg")},             // the space ends the number
        {"HA NOI.", Signs("^^HA NOI^.")},           // the held full stop follows the closing sign
        {"HA NOI. x", Signs("^^HA NOI^. x")},       // the run closes before the held marks
        {"HA, NOI! Xa", Signs("^^HA, NOI! X^a")},   // a run goes on across spaces and marks
        {"A\xD9N", Signs("^A\xD9^N")},              // ÁN: a capital and its mark is one capital
        {"VIE\xC4T NAM", Signs("^^VIE\xC4T NAM^")}, // VIỆT NAM: mark bytes stay in the run
        {"BA\xD8", Signs("^^BA^\xD8")},             // BÀ: the closing sign comes before the mark
        {"12/05/2003", Signs("~12/05/2003")},       // a number goes on through slashes
        {"1.234,5.", Signs("~1.234,5.")},           // ... full stops and commas
        {"3-4", Signs("~3-~4")},                    // a hyphen ends it
        {"5A", Signs("~5^A")},                      // a capital after a number
        {"A\xD4", Signs("^^A\xD4^")},               // Ơ (0xD4) is a capital
        {"\xD4\xD9"
         "c",
         Signs("^\xD4\xD9"
               "c")},                     // Ớc: one capital, its mark, lower case
        {"AB \xD8", Signs("^^AB^ \xD8")}, // marks held at the end follow the sign
        {"AB  1", Signs("^^AB^  ~1")},    // a digit closes the run before the marks
        {"ABc", Signs("^^AB^c")},         //
        {"a#1", Signs("a#~1")},           // a # already there is kept
    };
    for (const auto& c : cases) EXPECT_EQ(InsertBrailleSigns(c.in), c.out) << "input: " << c.in;
}

TEST(BrailleSigns, Strip) {
    EXPECT_EQ(StripBrailleSigns(""), "");
    EXPECT_EQ(StripBrailleSigns(Signs("^^HA NOI^.")), "HA NOI.");
    EXPECT_EQ(StripBrailleSigns("#1 # #a ##2 #"), "1 # #a #2 #"); // only # before a digit
    EXPECT_EQ(StripBrailleSigns("\xDE\xDE"), "");
}

// Strip undoes Insert for every text without a capital sign of its own or a # before a digit.
TEST(BrailleSigns, StripUndoesInsert) {
    std::mt19937 rng(7);
    const std::string alphabet =
        std::string("aAzZ09#,./ !?-\r\n") + "\xC0\xC6\xCF\xD1\xD4\xD5\xD8" + "\xDC\xE2\xF4\xF9";
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 12, ' ');
        for (char& c : text) c = alphabet[rng() % alphabet.size()];
        bool hashBeforeDigit = false;
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            hashBeforeDigit |= text[i] == '#' && text[i + 1] >= '0' && text[i + 1] <= '9';
        const std::string signed_ = InsertBrailleSigns(text);
        ASSERT_GE(signed_.size(), text.size());
        if (!hashBeforeDigit) {
            ASSERT_EQ(StripBrailleSigns(signed_), text);
        }
    }
}

} // namespace

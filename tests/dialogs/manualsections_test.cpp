// Choosing a help section by typing its number.
#include "dialogs/manualsections.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

tavi::TManualSections Manual() {
    return tavi::TManualSections({"0", "Contents", "", "1", "One", "1.2", "One two", "12", "Twelve",
                                  "", "2", "Two", "  3 is not a heading", "3"});
}

TEST(ManualSections, DigitsWithinASecondMakeOneNumber) {
    auto m = Manual();
    EXPECT_EQ(m.Opening(), (Lines{"Contents", ""}));
    EXPECT_EQ(m.SectionNumber(), "");
    EXPECT_EQ(m.TypeDigit('1', 10000), (Lines{"One"}));
    EXPECT_EQ(m.TypeDigit('2', 10500), (Lines{"Twelve", ""}));
    EXPECT_EQ(m.SectionNumber(), "12");
}

TEST(ManualSections, APauseStartsTheNextLevel) {
    auto m = Manual();
    m.Opening();
    m.TypeDigit('1', 10000);
    EXPECT_EQ(m.TypeDigit('2', 11000), (Lines{"One two"}));
    EXPECT_EQ(m.SectionNumber(), "1.2");
}

TEST(ManualSections, UnknownNumberShowsTheStartAndClears) {
    auto m = Manual();
    m.Opening();
    EXPECT_EQ(m.TypeDigit('9', 5000), (Lines{})); // the lines before the first heading
    EXPECT_EQ(m.SectionNumber(), "");
    EXPECT_EQ(m.TypeDigit('2', 9000), (Lines{"Two", "  3 is not a heading"}));
    EXPECT_EQ(m.TypeDigit('3', 12000), (Lines{})); // 2.3 does not exist
    EXPECT_EQ(m.TypeDigit('3', 15000), (Lines{})); // 3 is the last line: an empty section
    EXPECT_EQ(m.SectionNumber(), "3");
}

} // namespace

// Numbers, dates, sound keys, signs and token classes: the pure rules of the word reader.
#include "speechtest.h"

#include <gtest/gtest.h>

using speechtest::Keys;
using speechtest::KeysOf;
using tavi::TTextReader;
using tavitest::Hex;

namespace {

TEST(ReadNumber, SpeaksVietnameseNumbers) {
    const struct {
        std::string token, words;
    } cases[] = {
        {"5", "năm"},
        {"15", "mười lăm"},
        {"21", "hai mươi mốt"},
        {"105", "một trăm lẻ năm"},
        {"110", "một trăm mười"},
        {"1.005", "một ngàn không trăm lẻ năm"},
        {"1.000.000", "một triệu"},
        {"3,05", "ba phẩy lẻ năm"},
        {"1.5", "một chấm năm"},
        {"1234", "một hai ba bốn"},
        {"0", "không"},
        {"1.234,5", "một ngàn hai trăm ba mươi bốn phẩy năm"},
        {"3.14", "ba chấm một bốn"},
        {"1/2", "một trên hai"},
        {"10", "mười"},
        {"11", "mười một"},
        {"20", "hai mươi"},
        {"25", "hai mươi lăm"},
        {"100", "một trăm"},
        {"101", "một trăm lẻ một"},
        {"000", "không"},                     // leading zeros go, nothing is left: zero
        {"007", "bảy"},                       // leading zeros are not read
        {"0.005", "năm"},                     // zeros and the stop after them go
        {"2.000.000.000", "hai tỉ"},          // groups of three: ngàn, triệu, tỉ
        {"1.000.000.000.000", "một ngàn tỉ"}, // tỉ is said even over a 000 group
        {"5.000.000.000.000.000", "năm triệu tỉ"},
        {"1.000.001.000.000", "một ngàn tỉ không trăm lẻ một triệu"},
        {"12.345.678", "mười hai triệu ba trăm bốn mươi lăm ngàn sáu trăm bảy mươi tám"},
        {"1,2345", "một phẩy hai ngàn ba trăm bốn mươi lăm"}, // the fraction counts in groups
        {"1,000", "một phẩy"},                                // a fraction group 000 says nothing
        {"1.23", "một chấm hai ba"},       // a stop group of two digits is not a thousand
        {"1,2,3", "một phẩy hai phẩy ba"}, // two commas: read mark by mark
        {"12.3456", "một hai chấm ba bốn năm sáu"},
        {"12/05", "một hai trên không năm"}, // four digits and a slash: mark by mark
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keys(TTextReader::ReadNumber(c.token)), KeysOf(c.words)) << c.token;
}

TEST(ReadNumber, WordsEndInOneBlank) {
    // The exact bytes of the number words, each followed by one blank.
    EXPECT_EQ(TTextReader::ReadNumber("1"), Hex("6D 93 74 35 20"));
    EXPECT_EQ(TTextReader::ReadNumber("10"), Hex("6D 9F F3 69 32 20"));
    EXPECT_EQ(TTextReader::ReadNumber("1,5"), Hex("6D 93 74 35 20 70 68 83 79 33 20 6E E8 6D 20"));
}

TEST(ReadDate, DayMonthYear) {
    const struct {
        std::string token, words;
    } cases[] = {
        {"12/05/2003", "mười hai tháng năm năm hai không không ba"},
        {"1/1/99", "một tháng một năm chín mươi chín"},
        {"01/02/", "một tháng hai năm không"},                    // an empty year reads không
        {"00/00/0000", "không tháng không năm không"},            // zeros vanish, then read không
        {"3/4/123456789", "ba tháng bốn năm một hai ba bốn năm"}, // five bytes of year
    };
    for (const auto& c : cases)
        EXPECT_EQ(Keys(TTextReader::ReadDate(c.token)), KeysOf(c.words)) << c.token;
}

TEST(ClassifyToken, NumbersAndDates) {
    const struct {
        std::string token;
        int kind;
    } cases[] = {
        {"", 0},           {"abc", 0},     {"1a", 0},     {"-5", 0},      {"1 2", 0},
        {"5", 1},          {"1.234,5", 1}, {"1/2", 1},    {",", 1},       {"1//2", 1},
        {"12/05/2003", 2}, {"1/2/", 2},    {"1/2/3", 2},  {"123/4/5", 1}, {"1/234/5", 1},
        {"1/2/3/4", 1},    {"/1/2", 1},    {"12/12/", 2}, {"1.2/3/4", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(TTextReader::ClassifyToken(c.token), c.kind) << c.token;
}

TEST(MakeSoundKey, ToneMovesToTheEndAndLettersFold) {
    const struct {
        std::string word, key;
    } cases[] = {
        {Hex("6D 93 74 35"), Hex("6D 93 74 05")}, // một
        {Hex("6D 93 35 74"), Hex("6D 93 74 05")}, // the tone digit may stand anywhere
        {Hex("4D F9 74 35"), Hex("6D 93 74 05")}, // capitals fold, F9 to 93
        {"a15", Hex("61 35 01")},                 // only the first tone digit counts
        {"x0y", "x0y"},                           // 0 and 6-9 are no tones
        {"A", "a"},                               // one byte: folded
        {"5", "5"},                               // one digit stays a digit
        {Hex("FB"), Hex("9F")},
        {"ZZZMESA", "zzzmesa"},
        {std::string(300, 'b'), std::string(255, 'b')}, // keys are short strings
    };
    for (const auto& c : cases) EXPECT_EQ(TTextReader::MakeSoundKey(c.word), c.key);
}

TEST(LowerLetter, FoldsOnlyLetters) {
    EXPECT_EQ(tavi::LowerLetter('A'), 'a');
    EXPECT_EQ(tavi::LowerLetter('Z'), 'z');
    EXPECT_EQ(tavi::LowerLetter('['), '[');
    const unsigned char upper[] = {0xFC, 0xFD, 0xAE, 0xFE, 0xF9, 0xFA, 0xFB};
    const unsigned char lower[] = {0xE8, 0x83, 0xAD, 0x88, 0x93, 0xF3, 0x9F};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(tavi::LowerLetter(upper[i]), lower[i]);
    EXPECT_EQ(tavi::LowerLetter(0xE8), 0xE8);
    EXPECT_EQ(tavi::LowerLetter(0xFF), 0xFF);
}

TEST(SplitSigns, BlanksAroundSigns) {
    const struct {
        std::string token;
        std::optional<std::string> split;
    } cases[] = {
        {"a+b", "a + b"},     {"-5", "- 5"}, {"x-", "x -"},         {"a--b", "a -- b"},
        {"ab", std::nullopt}, {"-", " -"},   {"1=2", "1 = 2"},      {"a\\b", "a \\ b"},
        {"", std::nullopt},   {"--", "- -"}, {".-.", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TTextReader::SplitSigns(c.token), c.split) << c.token;
}

TEST(SpellOut, EveryByteThenABlank) {
    EXPECT_EQ(TTextReader::SpellOut("abc"), "a b c ");
    EXPECT_EQ(TTextReader::SpellOut(""), "");
    EXPECT_EQ(tavi::TextWords("  ab  c d "), (std::vector<std::string_view>{"ab", "c", "d"}));
}

} // namespace

// Tokens and chunks: what the word reader appends for a text, on a small dictionary of its own.
#include "speechtest.h"

#include "platform/errors.h"

#include <gtest/gtest.h>

using speechtest::Reading;
using speechtest::SmallDictionary;
using Events = std::vector<std::string>;

namespace {

std::string K(const std::string& utf8) {
    return tavi::TTextReader::MakeSoundKey(Reading(utf8));
}

std::string U(const std::string& utf8) {
    return "unit " + K(utf8);
}

const std::string S1 = "silence 1000", S3 = "silence 3000", S5 = "silence 5000";

// Syllables, letters, digits, marks and one prompt.
std::vector<std::string> TestKeys() {
    std::vector<std::string> keys = {"zzzmesey", "zzzmesa", ",", ".", "-", "+", "5", "1",   "2",
                                     "3",        "4",       "a", "b", "t", "m", "=", "\x93"};
    for (const char* w : {"một",  "hai",  "ba",   "bốn",  "năm",  "mười",  "lăm",   "ngàn",
                          "trăm", "mươi", "phẩy", "chấm", "trên", "tháng", "không", "thành",
                          "phố",  "tôi",  "đi",   "học",  "lẻ",   "mốt",   "ngày"})
        keys.push_back(K(w));
    return keys;
}

std::vector<std::string> Tokens(tavi::TWordReader& reader, const std::string& text) {
    tavi::TMemoryStream& source = reader.ConvertText(text);
    std::vector<std::string> tokens;
    for (;;) {
        std::string t = reader.ReadToken(source);
        if (t == std::string(1, '\0')) break;
        tokens.push_back(t);
    }
    return tokens;
}

TEST(ReadToken, SplitsWordsMarksAndNumbers) {
    SmallDictionary d(TestKeys());
    const struct {
        std::string text;
        bool symbols;
        std::vector<std::string> tokens;
    } cases[] = {
        {"", false, {}},
        {"tôi đi", false, {Reading("tôi"), " ", Reading("đi")}},
        {"a,(b", false, {"a,", ".", "b"}}, // the parenthesis alone empties to "."
        {"a,(b", true, {"a,", "(", "b"}},  // with symbols it stays
        {"1,5;", false, {"1,5"}},          // the semicolon goes with the number
        {"1.234,5 x", false, {"1.234,5", " ", "x"}},
        {"12/05/2003.", false, {"12/05/2003."}},
        {"a-b=c", false, {"a-b=c"}},            // hyphen and equals are word bytes
        {"x/y", false, {"x/", "y"}},            // a slash is attached to the word before
        {"ab!! cd", false, {"ab!", " ", "cd"}}, // one mark attached, the next one dropped
        {" zzzmesey ", false, {" ", "zzzmesey", " "}},
        {"a\r\nb", false, {"a\r", ".", "b"}}, // the line feed alone is dropped
        {std::string(600, 'b'),
         false,
         {std::string(255, 'b'), std::string(255, 'b'), std::string(90, 'b')}},
    };
    for (const auto& c : cases) {
        d.Reader->SpeakSymbols = c.symbols;
        EXPECT_EQ(Tokens(*d.Reader, c.text), c.tokens) << c.text;
    }
}

TEST(BuildChunk, UnitsAndSilences) {
    SmallDictionary d(TestKeys(), "TP\tth\x61\x32nh ph\x93\x31\r\n");
    const struct {
        std::string text;
        bool symbols;
        Events events;
    } cases[] = {
        {"", false, {}},
        {"tôi đi", false, {U("tôi"), S1, S1, U("đi"), S1}},
        {"tôi, đi", false, {U("tôi"), S3, S1, U("đi"), S1}},
        {"tôi, đi", true, {U("tôi"), "unit ,", U("đi")}},
        {"tôi. đi? học!", false, {U("tôi"), S5, S1, U("đi"), S5, S1, U("học"), S5}},
        {"tôi\r", false, {U("tôi"), S5}},
        {"tôi,(đi", false, {U("tôi"), S3, S5, U("đi"), S1}},
        {" zzzmesey ", false, {S1, "unit zzzmesey", S1, S1}},
        {"ZZZMESA", false, {"unit zzzmesa", S1}},
        {"1,5;", false, {U("một"), U("phẩy"), U("năm"), S1}},
        {"15", false, {U("mười"), U("lăm"), S1}},
        {"1/2", false, {U("một"), U("trên"), U("hai"), S1}},
        {"12/05/2003",
         false,
         {U("mười"), U("hai"), U("tháng"), U("năm"), U("năm"), U("hai"), U("không"), U("không"),
          U("ba"), S1}},
        {"-5", false, {"unit -", "unit 5", S1}},   // a sign and a digit, not minus five
        {"Ô", false, {"unit \x93", S1}},           // F9 is looked up as 93
        {"TP", false, {U("thành"), U("phố"), S1}}, // the abbreviation's words
        {"tp", false, {"unit t", S1}},             // other case: spelled, p has no unit
        {"bâ", false, {"unit b", S1}},             // â has no unit: skipped in silence
        {"mồ",
         false,
         {"unit m", "unit \x93", "unit 2", S1}}, // unrecorded tone: spelled, tone digit too
        {"a+b", false, {"unit a", S1, "unit +", S1, "unit b", S1}}, // + is no word byte
        {"a=b", false, {"unit a", "unit =", "unit b", S1}},         // = is: split as a sign
    };
    for (const auto& c : cases) {
        EXPECT_EQ(d.Read(c.text, c.symbols), c.events) << c.text;
    }
}

TEST(BuildChunk, CopiesTheSamplesAndSilencesInOrder) {
    SmallDictionary d(TestKeys());
    d.Read("tôi, ba");
    const std::string expected = speechtest::SamplesOf(K("tôi")) + std::string(3000, '\x80') +
                                 std::string(1000, '\x80') + speechtest::SamplesOf(K("ba")) +
                                 std::string(1000, '\x80');
    EXPECT_EQ(d.Sound, expected);
}

TEST(BuildChunk, SilencesLastAsLongInEitherFormatOfDictionary) {
    const struct {
        tavi::TSoundFormat format;
        char silence;
        std::size_t comma, blank, stop; // bytes of each silence: 272, 91 and 454 ms
    } cases[] = {
        {tavi::TSoundFormat(), '\x80', 3000, 1000, 5000},
        {tavi::Pcm16Format, 0, 12000, 4000, 20000},
    };
    for (const auto& c : cases) {
        SmallDictionary d(TestKeys(), "", true, c.format);
        const auto s = [&](std::size_t n) { return "silence " + std::to_string(n); };
        EXPECT_EQ(d.Read("tôi, ba."),
                  (Events{U("tôi"), s(c.comma), s(c.blank), U("ba"), s(c.stop)}));
        EXPECT_EQ(d.Sound, speechtest::SamplesOf(K("tôi"), c.format) +
                               std::string(c.comma + c.blank, c.silence) +
                               speechtest::SamplesOf(K("ba"), c.format) +
                               std::string(c.stop, c.silence));
    }
}

TEST(BuildChunk, StopsAfterTheTokenThatReachesAHundredUnits) {
    SmallDictionary d(TestKeys());
    std::string text;
    for (int i = 0; i < 99; ++i) text += "ba ";
    text += "1.234 ba ba"; // the number adds several units at once
    tavi::TMemoryStream& source = d.Reader->ConvertText(text);
    tavi::TMemoryStream chunk;
    const int first = d.Reader->BuildChunk(source, chunk);
    // 99 syllables, then "một ngàn hai trăm ba mươi bốn": 7 units in one token.
    EXPECT_EQ(first, 106);
    EXPECT_FALSE(source.AtEnd());
    tavi::TMemoryStream rest;
    EXPECT_EQ(d.Reader->BuildChunk(source, rest), 2);
    EXPECT_TRUE(source.AtEnd());
}

TEST(BuildChunk, EmptySourceAndSourceWithoutEnd) {
    SmallDictionary d(TestKeys());
    tavi::TMemoryStream empty, chunk;
    EXPECT_EQ(d.Reader->BuildChunk(empty, chunk), 0);
    EXPECT_EQ(chunk.Size(), 0u);
    tavi::TMemoryStream raw; // no final 00: the last byte is lost, nothing runs past the end
    raw.Data = "ba ba";
    EXPECT_EQ(d.Reader->BuildChunk(raw, chunk), 2); // "ba" and "b"
    EXPECT_TRUE(raw.AtEnd());
}

TEST(FindAbbreviation, BinarySearchOverSortedLines) {
    SmallDictionary d({"a"},
                      "  CB \tc\x61\x31n b\x93\x35\r\nGS\tgiao s\x9F\r\nTP\t thanh2 ph\x93\x31 \r\n"
                      "UBND\t\x9Fy3 ban nh\x83n d\x83n\r\n");
    EXPECT_EQ(d.Reader->FindAbbreviation("TP"), "thanh2 ph\x93\x31 ");
    EXPECT_EQ(d.Reader->FindAbbreviation("CB"), "ca1n b\x93\x35 ");
    EXPECT_EQ(d.Reader->FindAbbreviation("UBND"), "\x9Fy3 ban nh\x83n d\x83n ");
    EXPECT_EQ(d.Reader->FindAbbreviation("tp"), "");
    EXPECT_EQ(d.Reader->FindAbbreviation("T"), "");
    EXPECT_EQ(d.Reader->FindAbbreviation(""), "");

    SmallDictionary none({"a"}, "", false);
    EXPECT_FALSE(none.Reader->Abbreviations.has_value());
    EXPECT_EQ(none.Reader->FindAbbreviation("TP"), "");

    SmallDictionary noTab({"a"}, "whole line\r\nX\tex\n");
    EXPECT_EQ(noTab.Reader->FindAbbreviation(""), "whole line ");
    EXPECT_EQ(noTab.Reader->FindAbbreviation("X"), "ex ");
}

TEST(SetCodeTable, ConvertsCallersText) {
    SmallDictionary d(TestKeys());
    d.Reader->SetCodeTable("Vni for Win");
    EXPECT_EQ(d.Reader->CodeTable, "Vni for Win");
    // "tôi" in VNI for Windows is t, o, the circumflex byte 0xE2, i.
    EXPECT_EQ(d.Read("to\xE2i"), (Events{U("tôi"), S1}));
    d.Reader->SetCodeTable("Vni for Win"); // the same name keeps the converter as it is
    EXPECT_EQ(d.Read("to\xE2i"), (Events{U("tôi"), S1}));
}

TEST(Reader, StartsIdleWithoutDevice) {
    SmallDictionary d(TestKeys());
    EXPECT_EQ(d.Reader->State, 2);
    EXPECT_FALSE(d.Reader->DeviceOpen);
    EXPECT_TRUE(d.Reader->ErrorText.empty());
    EXPECT_EQ(d.Reader->Converter.DestName, tavi::ReadingCodeName);
}

TEST(Reader, MissingFilesNameTheFile) {
    tavitest::TempDir dir;
    tavi::WriteSoundDictionary(dir / "d.dat", dir / "d.idx", tavi::TSoundFormat(), {{"a", "x"}});
    const struct {
        std::string data, index, abbr, missing;
    } cases[] = {
        {"none.dat", "d.idx", "", "none.dat"},
        {"d.dat", "none.idx", "", "none.idx"},
        {"d.dat", "d.idx", "none.txt", "none.txt"},
    };
    for (const auto& c : cases) {
        try {
            tavi::TWordReader r(dir / c.data, dir / c.index, c.abbr.empty() ? "" : dir / c.abbr);
            ADD_FAILURE() << "no error for " << c.missing;
        } catch (const tavi::EFOpenError& e) {
            EXPECT_EQ(std::string(e.what()), "Cannot open file " + (dir / c.missing).string());
        }
    }
}

} // namespace

// Base64, quoted-printable and uuencode.
#include "mail/mailerrors.h"
#include "mail/mimecoding.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <random>

using namespace tavi;

namespace {

std::string RandomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

std::vector<std::string> Lines(void (*encode)(std::string_view, const TLineSink&),
                               std::string_view data) {
    std::vector<std::string> lines;
    encode(data, [&](std::string_view l) { lines.emplace_back(l); });
    return lines;
}

TEST(Base64, PublishedVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {tavitest::Hex("FB FF BF"), "+/+/"},
    };
    for (const auto& [plain, coded] : cases) {
        EXPECT_EQ(Base64Encode(plain), coded);
        EXPECT_EQ(Base64Decode(coded), plain) << coded;
    }
}

TEST(Base64, DecoderToleratesLayoutButNotForeignCharacters) {
    const std::pair<std::string, std::string> ok[] = {
        {"Zm9v\r\nYmFy", "foobar"},                 // line ends
        {" Zm9 vYg==\t", "foob"},                   // blanks and tabs
        {"Zg==Zm8=", "ffo"},                        // pieces encoded one after another
        {"Zm9vYg", "foob"},                         // padding lost
        {"Zm9vYmE", "fooba"},       {"Zg===", "f"}, // stray padding
    };
    for (const auto& [coded, plain] : ok) EXPECT_EQ(Base64Decode(coded), plain) << coded;
    for (const std::string bad : {"Zm9v!", "Zm9v-_", "Z===", "Zg=x", "Zm\x80v"}) {
        try {
            Base64Decode(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EMailError& e) {
            EXPECT_STREQ(e.what(), "Invalid Character");
        }
    }
}

TEST(Base64, LinesOf76FromLargeData) {
    // More than a short string's worth: every size must code correctly.
    const std::string data = RandomBytes(3 * 1024 * 1024 + 7, 1);
    const auto lines = Lines(Base64EncodeLines, data);
    ASSERT_EQ(lines.size(), (data.size() + 56) / 57);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) ASSERT_EQ(lines[i].size(), 76u);
    std::string decoded;
    for (const auto& l : lines) Base64DecodeAppend(l, decoded);
    EXPECT_EQ(decoded, data);
}

TEST(QuotedPrintable, ParagraphEncoder) {
    const std::string letters100(100, 'a');
    const struct {
        std::string in;
        std::vector<std::string> out;
    } cases[] = {
        // 100 letters without blanks: a 65-byte piece with "=" and a 35-byte piece.
        {letters100 + "\r\n", {std::string(65, 'a') + "=", std::string(35, 'a')}},
        // Cut after the last blank within 65 bytes.
        {std::string(60, 'x') + " yyyyyyyyyy\r\n", {std::string(60, 'x') + " =", "yyyyyyyyyy"}},
        {"a=b\tc\x7F\xE9\r\n", {"a=3Db=09c\x7F=E9"}},
        {"one\r\n\r\ntwo\r\n", {"one", "", "two"}}, // empty paragraph, empty line
        {"one\n\rtwo\r\n", {"one", "two"}},         // LF CR is one line end
        {"one\r\rtwo\n", {"one", "", "two"}},
        {"ends with blank \r\n", {"ends with blank=20"}}, // no blank at a line's end
        {"no line end", {"no line end="}},                // soft break keeps it exact
        {"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> lines;
        QPEncode(c.in, [&](std::string_view l) { lines.emplace_back(l); });
        EXPECT_EQ(lines, c.out) << c.in;
    }
}

TEST(QuotedPrintable, LineDecoder) {
    const std::pair<std::string, std::string> cases[] = {
        {"a=3Db", "a=b\r\n"},   {"caf=e9", "caf\xE9\r\n"}, // lower-case digits too
        {"soft=", "soft"},      {"soft=  \t", "soft"},     // blanks after a soft break
        {"=4", "=4\r\n"},                                  // not two digits: kept
        {"a=ZZb", "a=ZZb\r\n"}, {"eof\x1A", "eof\x1A"},    // ends in byte 26: no line end
        {"", "\r\n"},           {"trailing  ", "trailing  \r\n"},
    };
    for (const auto& [line, decoded] : cases) {
        std::string out;
        QPDecodeLine(line, out);
        EXPECT_EQ(out, decoded) << line;
    }
}

TEST(QuotedPrintable, RoundTripOfTextWithCRLF) {
    // Text in its canonical form (CR LF line ends) comes back byte for byte, whatever bytes
    // and line lengths it has.
    std::mt19937 rng(7);
    std::string text;
    for (int i = 0; i < 20000; ++i) {
        const unsigned r = rng() % 100;
        if (r < 3)
            text += "\r\n";
        else if (r < 15)
            text += ' ';
        else
            text += static_cast<char>(rng() % 256 == 0 ? 'x' : rng() % 256);
    }
    std::erase_if(text, [&](char c) { return c == '\r' || c == '\n'; });
    text = "\r\n" + text.substr(0, 9000) + "\r\n\r\n" + text.substr(9000) + " ";
    EXPECT_EQ(QPDecodeText(QPEncodeText(text)), text);
    const std::string longParagraph(100000, 'z'); // no length limit
    EXPECT_EQ(QPDecodeText(QPEncodeText(longParagraph)), longParagraph);
}

TEST(Uuencode, LinesAndAlphabet) {
    const std::string data = RandomBytes(100, 3);
    const auto lines = Lines(UUEncode, data);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 61u); // 45 bytes
    EXPECT_EQ(lines[0][0], 'M');
    EXPECT_EQ(lines[2][0], static_cast<char>(32 + 10));
    for (const auto& l : lines)
        for (char c : l) EXPECT_TRUE(c == '`' || (c >= 33 && c <= 95)) << l;
    EXPECT_EQ(UUEncodeLine(std::string(3, '\0')), "#````");
    EXPECT_EQ(UUEncodeLine("Cat"), "#0V%T");
    std::string decoded;
    for (const auto& l : lines) UUDecodeLine(l, decoded);
    EXPECT_EQ(decoded, data);
}

TEST(Uuencode, DecoderReadsBlankAsZeroAndRefusesOthers) {
    std::string out;
    UUDecodeLine("#    ", out); // blanks as the zero value
    EXPECT_EQ(out, std::string(3, '\0'));
    out.clear();
    UUDecodeLine("#0V%T", out);
    EXPECT_EQ(out, "Cat");
    out.clear();
    UUDecodeLine("#0V", out); // trailing blanks lost on the way
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], 'C');
    out.clear();
    UUDecodeLine("`", out);
    EXPECT_TRUE(out.empty());
    for (const std::string bad : {"#0v%T", "#0V%\x7F", "\x1F"}) {
        try {
            UUDecodeLine(bad, out);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EMailError& e) {
            EXPECT_STREQ(e.what(), "Invalid Character");
        }
    }
}

TEST(SplitLines, AllLineEnds) {
    std::vector<std::string> lines;
    SplitLines("a\r\nb\rc\n\nd\r\n", [&](std::string_view l) { lines.emplace_back(l); });
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c", "", "d"}));
}

} // namespace

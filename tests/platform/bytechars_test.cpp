// The byte <-> character map of the widgets.
#include "platform/bytechars.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(ByteChars, EveryByteHasItsOwnCharacterAndComesBack) {
    std::set<char16_t> seen;
    for (unsigned b = 0; b < 256; ++b) {
        const char16_t c = tavi::ByteToChar(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(c).second) << "byte " << b;
        unsigned char back = 0;
        ASSERT_TRUE(tavi::CharToByte(c, back)) << "byte " << b;
        EXPECT_EQ(back, b);
    }
}

TEST(ByteChars, KnownCodePoints) {
    const struct {
        unsigned char byte;
        char16_t ch;
    } cases[] = {{'a', u'a'},    {0x80, 0x20AC}, {0x81, 0xF781}, {0x9D, 0xF79D}, {0x9F, 0x0178},
                 {0xA0, 0x00A0}, {0xAD, 0xF7AD}, {0xF9, 0x00F9}, {0xFF, 0x00FF}};
    for (const auto& c : cases) EXPECT_EQ(tavi::ByteToChar(c.byte), c.ch) << int(c.byte);
}

TEST(ByteChars, CharactersOutsideTheMapHaveNoByte) {
    unsigned char b = 0;
    for (char16_t c : {char16_t(0x0100), char16_t(0x1EA1), char16_t(0xF700), char16_t(0xF741),
                       char16_t(0xF7A0), char16_t(0x00AD)})
        EXPECT_FALSE(tavi::CharToByte(c, b)) << int(c);
    EXPECT_EQ(tavi::CharsToBytes(u"a\u1EA1b"), "a?b");
    const std::string all = [] {
        std::string s;
        for (int i = 0; i < 256; ++i) s += static_cast<char>(i);
        return s;
    }();
    EXPECT_EQ(tavi::CharsToBytes(tavi::BytesToChars(all)), all);
}

} // namespace

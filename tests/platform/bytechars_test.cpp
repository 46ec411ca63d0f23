// The byte map of the widgets: Windows-1252 as iconv knows it, the six remapped bytes, and a
// one-to-one round trip.
#include "platform/bytechars.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <set>

namespace {

// The code point iconv gives a byte read as Windows-1252; -1 where the code page has none.
int Cp1252(unsigned char b) {
    iconv_t cd = iconv_open("UTF-16LE", "CP1252");
    if (cd == iconv_t(-1)) return -2;
    char in[1] = {static_cast<char>(b)};
    unsigned char out[4] = {};
    char* inp = in;
    char* outp = reinterpret_cast<char*>(out);
    std::size_t inLeft = 1, outLeft = sizeof out;
    const std::size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == std::size_t(-1) || outLeft != 2) return -1;
    return out[0] | (out[1] << 8);
}

TEST(ByteChars, AreWindows1252ExceptTheSixUndrawableBytes) {
    const std::set<int> remapped = {0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xAD};
    for (int b = 0; b < 256; ++b) {
        const char16_t c = tavi::ByteToChar(static_cast<unsigned char>(b));
        if (remapped.count(b)) {
            EXPECT_EQ(int(c), 0xF000 + b) << std::hex << b;
        } else {
            ASSERT_NE(Cp1252(static_cast<unsigned char>(b)), -2) << "iconv lacks CP1252";
            EXPECT_EQ(int(c), Cp1252(static_cast<unsigned char>(b))) << std::hex << b;
        }
    }
}

TEST(ByteChars, RoundTripOneToOne) {
    std::set<char16_t> seen;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = tavi::ByteToChar(static_cast<unsigned char>(b));
        EXPECT_TRUE(seen.insert(c).second) << std::hex << b;
        EXPECT_EQ(tavi::CharToByte(c), b);
    }
    // Every other character stands for no byte.
    int mapped = 0;
    for (int c = 0; c <= 0xFFFF; ++c)
        if (tavi::CharToByte(char16_t(c)) >= 0) ++mapped;
    EXPECT_EQ(mapped, 256);
    EXPECT_EQ(tavi::CharToByte(0x00AD), -1);
    EXPECT_EQ(tavi::CharToByte(0xF041), -1);
}

} // namespace

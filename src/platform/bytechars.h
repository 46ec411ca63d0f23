// The fixed map between the bytes of the 8-bit text and the characters the widgets hold: one
// character per byte, so that widget positions are byte positions and a two-byte letter is two
// positions. Bytes read as Windows-1252, except the five bytes that code page leaves undefined
// (81, 8D, 8F, 90, 9D) and AD (the soft hyphen is never drawn), which go to the Private Use
// code point F000 + byte, where symbol fonts put their bytes too.
#pragma once

#include <array>
#include <cstdint>

namespace tavi {

// Where the bytes that have no drawable Windows-1252 character go.
constexpr char16_t PrivateByteBase = 0xF000;

namespace detail {

// Windows-1252 from 80 to 9F; 0 marks the undefined bytes.
inline constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace detail

// The character that stands for a byte.
constexpr char16_t ByteToChar(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) {
        const char16_t c = detail::Cp1252High[b - 0x80];
        return c ? c : char16_t(PrivateByteBase + b);
    }
    if (b == 0xAD) return char16_t(PrivateByteBase + b);
    return b;
}

// The byte a character stands for, or -1 for a character that stands for no byte.
constexpr int CharToByte(char16_t c) {
    if (c < 0x80) return c;
    if (c >= 0xA0 && c <= 0xFF) return c == 0xAD ? -1 : int(c);
    if (c >= PrivateByteBase && c <= PrivateByteBase + 0xFF) {
        const auto b = static_cast<unsigned char>(c - PrivateByteBase);
        return ByteToChar(b) == c ? int(b) : -1;
    }
    for (unsigned i = 0; i < detail::Cp1252High.size(); ++i)
        if (detail::Cp1252High[i] == c) return int(0x80 + i);
    return -1;
}

} // namespace tavi

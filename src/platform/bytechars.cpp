#include "platform/bytechars.h"

#include <array>

namespace tavi {

namespace {

constexpr char16_t PrivateBase = 0xF700;

// Windows-1252 for 0x80-0x9F; 0 marks the bytes it leaves undefined.
constexpr std::array<char16_t, 32> Cp1252High = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool FindHigh(char16_t ch, unsigned char& byte) {
    for (unsigned b = 0; b < 32; ++b) {
        if (Cp1252High[b] != 0 && Cp1252High[b] == ch) {
            byte = static_cast<unsigned char>(0x80 + b);
            return true;
        }
    }
    return false;
}

} // namespace

char16_t ByteToChar(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte < 0xA0) {
        const char16_t c = Cp1252High[byte - 0x80];
        return c ? c : static_cast<char16_t>(PrivateBase + byte);
    }
    if (byte == 0xAD) return static_cast<char16_t>(PrivateBase + byte);
    return byte;
}

bool CharToByte(char16_t ch, unsigned char& byte) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF && ch != 0xAD)) {
        byte = static_cast<unsigned char>(ch);
        return true;
    }
    if (ch >= PrivateBase + 0x80 && ch <= PrivateBase + 0xFF) {
        const unsigned char b = static_cast<unsigned char>(ch - PrivateBase);
        if (ByteToChar(b) == ch) {
            byte = b;
            return true;
        }
        return false;
    }
    return FindHigh(ch, byte);
}

std::u16string BytesToChars(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (char b : bytes) out += ByteToChar(static_cast<unsigned char>(b));
    return out;
}

std::string CharsToBytes(std::u16string_view chars) {
    std::string out;
    out.reserve(chars.size());
    for (char16_t c : chars) {
        unsigned char b = '?';
        CharToByte(c, b);
        out += static_cast<char>(b);
    }
    return out;
}

} // namespace tavi

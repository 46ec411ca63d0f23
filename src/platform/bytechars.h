// The fixed, invertible map between the bytes of the program's 8-bit text and the characters
// that Qt widgets hold, so that a widget holds one character per byte and positions in it are
// byte positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavi {

// Windows-1252 code points, except the five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) and the soft hyphen 0xAD (never drawn), which go to Private Use code
// points U+F700 + byte.
char16_t ByteToChar(unsigned char byte);

// The inverse of ByteToChar. A character outside the map has no byte: the result is false.
bool CharToByte(char16_t ch, unsigned char& byte);

// Whole strings: bytes to UTF-16 and back. Characters outside the map become '?'.
std::u16string BytesToChars(std::string_view bytes);
std::string CharsToBytes(std::u16string_view chars);

} // namespace tavi

// Quoted-printable: the line decoder on any lines, and the paragraph encoder, whose output
// must decode to the text it was given (in its CR LF form).
#include "mail/mimecoding.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string decoded;
    tavi::SplitLines(input, [&](std::string_view line) { tavi::QPDecodeLine(line, decoded); });
    // The input as text with CR LF line ends only.
    std::string text;
    for (char c : input) {
        if (c == '\n')
            text += "\r\n";
        else if (c != '\r')
            text += c;
    }
    if (tavi::QPDecodeText(tavi::QPEncodeText(text)) != text) std::abort();
    return 0;
}

// Uudecoder on any lines; the encoder's lines must decode to the bytes they came from.
#include "mail/mailerrors.h"
#include "mail/mimecoding.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string decoded;
    try {
        tavi::SplitLines(input, [&](std::string_view line) { tavi::UUDecodeLine(line, decoded); });
    } catch (const tavi::EMailError&) {
    }
    std::string back;
    tavi::UUEncode(input, [&](std::string_view line) { tavi::UUDecodeLine(line, back); });
    if (back != input) std::abort();
    return 0;
}

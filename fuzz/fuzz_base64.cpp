// Base64 decoder: any text. What decodes must encode and decode to the same bytes, and any
// bytes must come back from their encoding.
#include "mail/mailerrors.h"
#include "mail/mimecoding.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (tavi::Base64Decode(tavi::Base64Encode(input)) != input) std::abort();
    try {
        const std::string decoded = tavi::Base64Decode(input);
        if (tavi::Base64Decode(tavi::Base64Encode(decoded)) != decoded) std::abort();
    } catch (const tavi::EMailError&) {
    }
    return 0;
}

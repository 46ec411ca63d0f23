// RTF from anywhere: the reader must not fail on it, and what it read must write and read back
// to the same document.
#include "document/rtf.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    tavi::TRtfDocument doc;
    if (!tavi::ReadRtf(in, doc)) return 0;
    tavi::TRtfDocument again;
    if (!tavi::ReadRtf(tavi::WriteRtf(doc), again) || !(again == doc)) std::abort();
    return 0;
}

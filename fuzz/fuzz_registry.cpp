// The registry file parser: any text parses, and what it formats parses back the same.
#include "platform/registry.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tavi::TRegistryData first;
    first.Parse(std::string(reinterpret_cast<const char*>(data), size));
    const std::string text = first.Format();
    tavi::TRegistryData second;
    second.Parse(text);
    if (second.Format() != text || !second.Problems.empty()) std::abort();
    return 0;
}

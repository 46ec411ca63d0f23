// The sound dictionary's index loader on arbitrary index bytes: it either refuses the index
// or returns records with short names, sorted and unique, as the binary search needs.
#include "speech/sounddata.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string index(reinterpret_cast<const char*>(data), size);
    try {
        const auto records = tavi::ParseSoundIndex(index, "fuzz");
        for (std::size_t i = 1; i < records.size(); ++i)
            if (!(records[i - 1].Name < records[i].Name)) __builtin_trap(); // sorted, unique
        for (const auto& r : records)
            if (r.Name.size() > tavi::IndexNameMax) __builtin_trap();
    } catch (const std::exception&) {
    }
    return 0;
}

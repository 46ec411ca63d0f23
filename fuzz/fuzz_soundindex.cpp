// The sound dictionary's index loader and lookups on arbitrary index bytes.
#include "speech/sounddata.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string key = in.ConsumeRandomLengthString(24);
    const std::string index = in.ConsumeRemainingBytesAsString();
    try {
        const auto records = tavi::ParseSoundIndex(index, "fuzz");
        for (std::size_t i = 1; i < records.size(); ++i)
            if (!(records[i - 1].Name < records[i].Name)) __builtin_trap(); // sorted, unique
        for (const auto& r : records)
            if (r.Name.size() > tavi::IndexNameMax) __builtin_trap();
        (void)key;
    } catch (const std::exception&) {
    }
    return 0;
}

// The end of a zip package and its central directory, from anywhere: found or refused, never
// read past. A directory that is found lies inside the file.
#include "document/zippackage.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    if (const auto d = tavi::FindZipDirectory(in, size)) {
        if (d->Offset + d->Size > size) std::abort();
        tavi::ZipUnpackedSize(in.substr(d->Offset, d->Size));
    }
    tavi::ZipUnpackedSize(in);
    return 0;
}

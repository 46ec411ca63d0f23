// The files the document commands read from outside: the recovery file (which a crash may
// have cut short or a disk damaged) and the mount table of the drive list, with the file masks.
// A recovery file that parses is written back to the same document (a length with leading
// zeros reads, though we never write one).
#include "dialogs/filenames.h"
#include "shell/recovery.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view in(reinterpret_cast<const char*>(data), size);
    if (const auto r = tavi::ParseRecovery(in)) {
        if (tavi::ParseRecovery(tavi::FormatRecovery(*r)) != r) std::abort();
    }
    for (const auto& mount : tavi::RemovableMounts(in))
        if (!mount.string().starts_with("/media/") && !mount.string().starts_with("/run/media/"))
            std::abort();
    const std::size_t tab = in.find('\t');
    if (tab != std::string_view::npos) tavi::MatchesMasks(in.substr(0, tab), in.substr(tab + 1));
    return 0;
}

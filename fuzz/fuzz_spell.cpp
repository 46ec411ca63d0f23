// Typed text through the spelling checker: any document and start position, and any bytes
// through the syllable test. The search must stay inside the text and report whole words.
#include "dialogs/spellcheck.h"
#include "dialogs/syllable.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static tavi::TSpellChecker checker; // the delivered code tables, read once
    FuzzedDataProvider in(data, size);
    const std::size_t start = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, 300);
    const std::string text = in.ConsumeRemainingBytesAsString();
    tavi::IsValidSyllable(text);
    const auto blank = [&](std::size_t p) {
        return tavi::IsSpellBlank(static_cast<unsigned char>(text[p - 1]));
    };
    const std::size_t end = std::min(length, text.size());
    for (std::size_t from = start;;) {
        const tavi::TSpellResult r = checker.FindSuspect(text, length, from);
        if (!r.Found) break;
        // A word found lies inside the text after the start, and ends at a blank or the end.
        if (r.Position < std::max<std::size_t>(from, 1) || r.Length == 0 || r.End > end + 1 ||
            r.End != r.Position + r.Length || (r.End <= end && !blank(r.End)))
            std::abort();
        for (std::size_t p = r.Position; p < r.End; ++p)
            if (blank(p)) std::abort();
        from = r.End;
    }
    return 0;
}

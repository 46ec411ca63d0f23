// What a screen reader asks of the editor's text: any offset, any unit, any text, and a layout
// that names any lines. Every answer must lie in the text, and hold the letter asked for.
#include "document/textunits.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct TQuestion {
    std::int32_t offset, caret, lineStart, lineEnd;
    std::uint8_t unit, ask;
};

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TQuestion q;
    if (size < sizeof q) return 0;
    std::memcpy(&q, data, sizeof q);
    std::u16string text((size - sizeof q) / 2, u' ');
    std::memcpy(text.data(), data + sizeof q, text.size() * 2);
    const int length = static_cast<int>(text.size());
    const auto unit = static_cast<tavi::TTextUnit>(q.unit % 6);
    const tavi::TTextUnits units(text, q.caret % (length + 2), [&](int) {
        return tavi::TTextRange{q.lineStart, q.lineEnd};
    });
    const tavi::TTextRange r = q.ask % 3 == 0   ? units.At(q.offset, unit)
                               : q.ask % 3 == 1 ? units.Before(q.offset, unit)
                                                : units.After(q.offset, unit);
    Check(r == tavi::TTextRange{} || (0 <= r.Start && r.Start <= r.End && r.End <= length));
    const bool inside = q.offset >= 0 && q.offset < length;
    if (inside && q.ask % 3 == 0) Check(r.Start <= q.offset && q.offset < r.End);
    return 0;
}

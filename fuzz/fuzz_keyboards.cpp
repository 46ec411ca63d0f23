// The keyboards' tables (letter tables, cell tables: user files) and any key sequence: the
// engines must never read or write outside their tables or the text they type into.
#include "codes/brailkey.h"
#include "codes/vnkey.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace {

tavi::TKeyEvent RandomKey(FuzzedDataProvider& in) {
    tavi::TKeyEvent key;
    key.Key = in.ConsumeIntegralInRange<int>(-1, 300);
    key.Shift = in.ConsumeBool();
    key.Control = in.ConsumeBool();
    key.Alt = in.ConsumeBool();
    key.Extended = in.ConsumeBool();
    key.Keypad = in.ConsumeBool();
    key.AutoRepeat = in.ConsumeBool();
    key.Typed = in.ConsumeBool();
    key.Char = in.ConsumeIntegralInRange<int>(-1, 255);
    return key;
}

void Check(const tavi::TTextBuffer& buffer) {
    if (buffer.SelStart > buffer.Text.size()) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    tavi::TVnKey accents;
    accents.LoadTable(in.ConsumeRandomLengthString(4096));
    accents.SetAccentKeys(in.ConsumeRandomLengthString(16));
    tavi::TBrailKey sixKeys;
    sixKeys.LoadCells(in.ConsumeRandomLengthString(4096));
    sixKeys.SetDotKeys(in.ConsumeRandomLengthString(8));
    tavi::TTextBuffer buffer;
    buffer.Text = in.ConsumeRandomLengthString(64);
    while (in.remaining_bytes() > 0) {
        buffer.SelStart = std::min<std::size_t>(buffer.SelStart, buffer.Text.size());
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0: accents.KeyDown(RandomKey(in), buffer); break;
        case 1: accents.MouseDown(); break;
        case 2: sixKeys.KeyDown(RandomKey(in), buffer); break;
        case 3: sixKeys.KeyUp(RandomKey(in), buffer); break;
        case 4: sixKeys.KeyboardLost(); break;
        case 5:
            buffer.SelStart = in.ConsumeIntegralInRange<std::size_t>(0, buffer.Text.size());
            break;
        }
        Check(buffer);
        accents.Combination(accents.PrevText(), in.ConsumeIntegralInRange(-1, 10));
    }
    return 0;
}

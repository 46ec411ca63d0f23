// How the user prints: the printer chosen, whether it is a Braille embosser, the embosser's
// line width and the margins on paper, as the printer dialog sets them and the settings keep
// them.
#pragma once

#include "platform/registryfield.h"

#include <cstdint>
#include <vector>

namespace tavi {

struct TPrintSetup {
    static constexpr int NarrowLine = 32, WideLine = 40; // the two paper formats of an embosser

    std::int32_t PrinterIndex = 0; // in the system's list of printers
    bool Embosser = false;
    std::int32_t CharsLine = 0; // NarrowLine or WideLine once the dialog was confirmed
    std::int16_t LeftMargin = 0, RightMargin = 0;

    // The printer to offer of a list of count: the one chosen, or the first when the list has
    // changed under it.
    int PrinterOf(int count) const {
        return PrinterIndex >= 0 && PrinterIndex < count ? PrinterIndex : 0;
    }
    bool operator==(const TPrintSetup&) const = default;
};

// The fields in the user's registry key.
inline const std::vector<TRegistryRow<TPrintSetup>>& PrintRows() {
    static const std::vector<TRegistryRow<TPrintSetup>> rows = {
        {"Printer", &TPrintSetup::PrinterIndex}, {"Embosser", &TPrintSetup::Embosser},
        {"CharsLine", &TPrintSetup::CharsLine},  {"LMargin", &TPrintSetup::LeftMargin},
        {"RMargin", &TPrintSetup::RightMargin},
    };
    return rows;
}

} // namespace tavi

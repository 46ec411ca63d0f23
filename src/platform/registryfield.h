// A field of a settings structure as the registry keeps it: a boolean as a number 1 or 0, a
// number, or a string.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace tavi {

template <class TPart>
using TRegistryField =
    std::variant<bool TPart::*, std::int16_t TPart::*, std::int32_t TPart::*, std::string TPart::*>;

// A value of the registry and the field that holds it.
template <class TPart> struct TRegistryRow {
    const char* Value;
    TRegistryField<TPart> Field;
};

} // namespace tavi

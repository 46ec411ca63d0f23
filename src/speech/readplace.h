// Where a voice that reads texts one after another is: the text (numbered from 0) and the
// offset in it of the word being heard.
#pragma once

#include <cstddef>

namespace tavi {

struct TReadPlace {
    std::size_t Text = 0;
    std::size_t Offset = 0;
    bool operator==(const TReadPlace&) const = default;
};

} // namespace tavi

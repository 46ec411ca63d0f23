#include "codes/wordplaces.h"

#include <algorithm>

namespace tavi {

TWordStarts::TWordStarts(std::string_view text) : Size(text.size()) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool blank = IsWordBlank(text[i]);
        const bool wasBlank = i == 0 || IsWordBlank(text[i - 1]);
        if (!blank && wasBlank) Starts.push_back(i);
        if (blank && !wasBlank) Ends.push_back(i);
    }
    if (Ends.size() < Starts.size()) Ends.push_back(text.size());
}

std::size_t TWordStarts::NumberAt(std::size_t offset) const {
    // The words that start at or before offset; the last of them holds it unless it has ended.
    const auto n = static_cast<std::size_t>(std::upper_bound(Starts.begin(), Starts.end(), offset) -
                                            Starts.begin());
    return n > 0 && offset < Ends[n - 1] ? n - 1 : n;
}

std::size_t TWordStarts::Start(std::size_t n) const {
    return n < Starts.size() ? Starts[n] : Size;
}

} // namespace tavi

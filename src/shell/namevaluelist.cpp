#include "shell/namevaluelist.h"

#include "codes/memorystream.h"

#include <algorithm>

namespace tavi {

void TNameValueList::SetText(std::string_view text) {
    Lines.clear();
    Sorted = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            Lines.push_back({std::string(line), {}});
        else
            Lines.push_back({std::string(line.substr(0, eq)), std::string(line.substr(eq + 1))});
        start = end + 1;
    }
}

void TNameValueList::LoadFromFile(const std::filesystem::path& file) {
    SetText(ReadWholeFile(file));
}

void TNameValueList::Sort() {
    std::stable_sort(Lines.begin(), Lines.end(),
                     [](const Line& a, const Line& b) { return a.name < b.name; });
    Sorted = true;
}

std::string TNameValueList::Value(std::string_view name) const {
    if (Sorted) {
        auto it = std::lower_bound(Lines.begin(), Lines.end(), name,
                                   [](const Line& l, std::string_view n) { return l.name < n; });
        return it != Lines.end() && it->name == name ? it->value : std::string();
    }
    for (const auto& l : Lines)
        if (l.name == name) return l.value;
    return {};
}

bool TNameValueList::Contains(std::string_view name) const {
    for (const auto& l : Lines)
        if (l.name == name) return true;
    return false;
}

} // namespace tavi

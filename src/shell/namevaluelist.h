// A list of name=value lines, as the menu speech list ("Menu") and the dot list ("Dot") are.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

class TNameValueList {
public:
    // Lines end in CR LF or LF; a line without "=" has that line as its name and no value.
    void SetText(std::string_view text);
    // Throws EFOpenError naming the file when it cannot be read.
    void LoadFromFile(const std::filesystem::path& file);
    void Sort();

    // The value of the first line whose name equals name, or empty.
    std::string Value(std::string_view name) const;
    bool Contains(std::string_view name) const;
    std::size_t Count() const { return Lines.size(); }

private:
    struct Line {
        std::string name, value;
    };
    std::vector<Line> Lines;
    bool Sorted = false;
};

} // namespace tavi

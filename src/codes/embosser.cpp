#include "codes/embosser.h"

#include "codes/brailleconverter.h"

#include <algorithm>
#include <stdexcept>

namespace tavi {

std::string EmbosserPageNumber(std::size_t page) {
    std::string line = "#";
    for (char d : std::to_string(page)) line += d == '0' ? 'J' : char('A' + (d - '1'));
    return line;
}

std::vector<std::string> CutEmbosserLines(std::string_view text, std::size_t charsPerLine) {
    if (charsPerLine == 0) throw std::invalid_argument("An embosser line must hold a character");
    const auto at = [&](std::size_t i) { return i < text.size() ? text[i] : '\0'; };
    const auto lineEnd = [&](std::size_t i) { return at(i) == '\r' || at(i) == '\n'; };
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        if (lines.size() % EmbosserPageLines == 0)
            lines.push_back(EmbosserPageNumber(lines.size() / EmbosserPageLines + 1));
        const std::size_t limit = std::min(from + charsPerLine, text.size());
        std::size_t i = from;
        while (i < limit && !lineEnd(i)) ++i;
        // Past the width the line goes back to its last space, unless it ends right there.
        if (i == limit && limit < text.size() && !lineEnd(i)) {
            while (i > from && at(i) != ' ') --i;
            if (i == from) i = limit; // no space to break at
        }
        lines.emplace_back(text.substr(from, i - from));
        // A lone CR or LF ends a line too, and skipping a CR never swallows what follows it.
        if (at(i) == '\r')
            from = i + (at(i + 1) == '\n' ? 2 : 1);
        else if (at(i) == '\n' || at(i) == ' ')
            from = i + 1;
        else
            from = i;
    }
    return lines;
}

std::string JoinEmbosserPages(const std::vector<std::string>& lines) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0 && i % EmbosserPageLines == 0) out += '\f';
        out += lines[i];
        out += "\r\n";
    }
    return out;
}

std::string EmbossBraille(TCodeConverter& converter, std::string_view brailleText,
                          std::size_t charsPerLine) {
    converter.SetSourceTable(PrintSourceName);
    converter.SetDestTable(PrintDestName);
    return JoinEmbosserPages(CutEmbosserLines(converter.ConvertText(brailleText), charsPerLine));
}

} // namespace tavi

#include "codes/braillecells.h"

#include "codes/memorystream.h"
#include "platform/errors.h"
#include "platform/paths.h"

namespace tavi {

TBrailleCells ParseBrailleCells(std::string_view text) {
    TBrailleCells cells{};
    std::size_t lineNo = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty() || line[0] == '#') continue;
        const auto bad = [&] {
            return EDataError("Braille cell map, line " + std::to_string(lineNo) + ": " +
                              std::string(line));
        };
        const auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                          : -1;
        };
        if (line.size() < 4 || hex(line[0]) < 0 || hex(line[1]) < 0 || line[2] != ' ') throw bad();
        const unsigned byte = unsigned(hex(line[0]) * 16 + hex(line[1]));
        std::uint8_t cell = 0;
        for (char d : line.substr(3)) {
            if (d < '1' || d > '6' || (cell >> (d - '1') & 1)) throw bad();
            cell |= std::uint8_t(1u << (d - '1'));
        }
        if (cells[byte] != 0 && cells[byte] != cell) throw bad();
        cells[byte] = cell;
    }
    return cells;
}

TBrailleCells LoadBrailleCells(const std::filesystem::path& folder) {
    const auto dir = folder.empty() ? ProgramFolder() : folder;
    return ParseBrailleCells(ReadWholeFile(dir / BrailleCellsFileName));
}

std::string CellDots(std::uint8_t cell) {
    std::string dots;
    for (int d = 0; d < 6; ++d)
        if (cell >> d & 1) dots += char('1' + d);
    return dots;
}

std::string CellPattern(std::uint8_t cell) {
    const unsigned cp = 0x2800u + (cell & 0x3F);
    return {char(0xE0 | (cp >> 12)), char(0x80 | ((cp >> 6) & 0x3F)), char(0x80 | (cp & 0x3F))};
}

std::string BraillePatterns(std::string_view braille, const TBrailleCells& cells, bool keepSpaces) {
    std::string out;
    out.reserve(braille.size() * 3);
    for (const char ch : braille) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r' || c == '\n' || (c == ' ' && keepSpaces))
            out += ch;
        else if (c == ' ' || cells[c])
            out += CellPattern(cells[c]);
        else
            out += "\xEF\xBF\xBD";
    }
    return out;
}

} // namespace tavi

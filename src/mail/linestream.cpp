#include "mail/linestream.h"

namespace tavi {

bool TLineStream::AtEnd() const {
    if (Pos >= Text.size()) return true;
    if (!DotStuffed) return false;
    // A "." line ends the transfer form.
    const std::size_t end = Text.find_first_of("\r\n", Pos);
    return Text.substr(Pos, end == std::string_view::npos ? end : end - Pos) == ".";
}

bool TLineStream::ReadLine(std::string_view& line) {
    if (AtEnd()) {
        EndReached = true;
        line = {};
        return false;
    }
    std::size_t end = Text.find_first_of("\r\n", Pos);
    if (end == std::string_view::npos) end = Text.size();
    line = Text.substr(Pos, end - Pos);
    Pos = end;
    if (Pos < Text.size()) {
        const char first = Text[Pos++];
        if (first == '\r' && Pos < Text.size() && Text[Pos] == '\n') ++Pos;
    }
    if (DotStuffed && !line.empty() && line.front() == '.') line.remove_prefix(1);
    return true;
}

std::string TLineStream::ReadLine() {
    std::string_view line;
    return ReadLine(line) ? std::string(line) : std::string(EndLine);
}

} // namespace tavi

#include "mail/linestream.h"

namespace tavi {

namespace {

// The end of the line starting at pos: the first CR or LF, or the end of the text.
std::size_t LineEnd(std::string_view text, std::size_t pos) {
    const char* p = text.data() + pos;
    const char* end = text.data() + text.size();
    while (p < end && *p != '\r' && *p != '\n') ++p;
    return static_cast<std::size_t>(p - text.data());
}

} // namespace

bool TLineStream::AtEnd() const {
    if (Pos >= Text.size()) return true;
    // A "." line ends the transfer form.
    return DotStuffed && Text[Pos] == '.' && LineEnd(Text, Pos) == Pos + 1;
}

bool TLineStream::ReadLine(std::string_view& line) {
    if (AtEnd()) {
        EndReached = true;
        line = {};
        return false;
    }
    const std::size_t end = LineEnd(Text, Pos);
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

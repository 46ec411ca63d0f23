// Reads text line by line; lines end at CR, LF or CR LF, and may be of any length.
#pragma once

#include "codes/memorystream.h"

#include <string>
#include <string_view>

namespace tavi {

class TLineStream {
public:
    // What ReadLine returns once the text is used up.
    static constexpr std::string_view EndLine = "\xFF\xFF\xFF\xFF";

    // The text must outlive the stream. With dotStuffed the text is in the transfer form of
    // SMTP and POP3: a line "." ends it and a leading "." of any other line is dropped.
    explicit TLineStream(std::string_view text, bool dotStuffed = false)
        : Text(text), DotStuffed(dotStuffed) {}
    explicit TLineStream(const TMemoryStream& stream, bool dotStuffed = false)
        : TLineStream(std::string_view(stream.Data), dotStuffed) {}

    // The next line as a view into the text; false (and Eof set) when there is none.
    bool ReadLine(std::string_view& line);
    // The next line, or EndLine with Eof set when there is none.
    std::string ReadLine();
    // True once a read found no more lines.
    bool Eof() const { return EndReached; }
    // True when no line is left to read.
    bool AtEnd() const;
    std::size_t Position() const { return Pos; }
    void Seek(std::size_t position) {
        Pos = position;
        EndReached = false;
    }
    void Rewind() { Seek(0); }

private:
    std::string_view Text;
    bool DotStuffed;
    std::size_t Pos = 0;
    bool EndReached = false;
};

} // namespace tavi

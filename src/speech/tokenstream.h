// A text of any length read token by token exactly as the word reader reads a whole text
// (converted into the reading code, ended by 00, read with ReadToken to the end), in bounded
// memory: the text comes in blocks, is converted block by block, and a token is taken only
// from a window that holds all of it and what follows it.
#pragma once

#include "codes/memorystream.h"
#include "codes/vncodeconverter.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tavi {

class TTextReader;

class TTokenStream {
public:
    // Puts up to room bytes of the text at to and returns how many; 0 at its end.
    using TRead = std::function<std::size_t(char* to, std::size_t room)>;
    // The longest token read; a longer one is an EDataError (a window that large is the only
    // memory the stream needs).
    static constexpr std::size_t MaxToken = 16u << 20;

    // Reads with reader's converter and ReadToken; the text ends at its first 00 byte. The text
    // is read blockSize bytes at a time, and as many are kept ahead of a token.
    TTokenStream(TTextReader& reader, TRead read, std::size_t blockSize = 64 * 1024);

    // The next token (the final 00 comes as a token of its own, as from ReadToken); false
    // after the last.
    bool Next(std::string& token);
    // How many bytes of the text have been read so far.
    std::uint64_t BytesRead() const { return BytesIn; }

private:
    void Fill();
    void Compact();

    TTextReader& Reader;
    TRead Input;
    std::size_t BlockSize;
    TBlockConverter Blocks;
    TMemoryStream Window; // reading code from the token being read on
    std::size_t Lookahead;
    bool Final = false; // the window holds the end of the text and its 00
    std::uint64_t BytesIn = 0;
};

} // namespace tavi

#include "speech/tokenstream.h"

#include "platform/errors.h"
#include "speech/wordreader.h"

#include <algorithm>

namespace tavi {

TTokenStream::TTokenStream(TTextReader& reader, TRead read, std::size_t blockSize)
    : Reader(reader), Input(std::move(read)), BlockSize(std::max<std::size_t>(blockSize, 1)),
      Blocks(reader.Converter, BlockSize), Lookahead(BlockSize) {}

void TTokenStream::Fill() {
    char* to = Blocks.Room();
    std::size_t n = 0;
    while (n < BlockSize) {
        const std::size_t got = Input(to + n, BlockSize - n);
        if (got == 0) break;
        n += got;
    }
    BytesIn += n;
    const std::size_t nul = std::string_view(to, n).find('\0');
    const bool last = n < BlockSize || nul != std::string_view::npos;
    Window.Data += Blocks.Convert(nul == std::string_view::npos ? n : nul, last);
    if (last) {
        Window.Data += '\0';
        Final = true;
    }
}

void TTokenStream::Compact() {
    if (Window.Position < BlockSize || Window.Position < Window.Data.size() / 2) return;
    Window.Data.erase(0, Window.Position);
    Window.Position = 0;
}

bool TTokenStream::Next(std::string& token) {
    for (;;) {
        Compact();
        while (!Final && Window.Data.size() - Window.Position < Lookahead) Fill();
        if (Window.AtEnd()) return false;
        const std::size_t start = Window.Position;
        token = Reader.ReadToken(Window);
        // ReadToken steps back one byte only when it has not met the end of its source: a
        // token that stops before the end of the window never saw that end, and is the token
        // that the whole text gives.
        if (Final || Window.Position < Window.Data.size()) {
            Lookahead = BlockSize;
            return true;
        }
        Window.Position = start;
        if (Lookahead >= MaxToken)
            throw EDataError("A word of the text is longer than " + std::to_string(MaxToken >> 20) +
                             " MB");
        Lookahead *= 2;
    }
}

} // namespace tavi

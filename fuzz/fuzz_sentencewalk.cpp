// Reading a document on from any caret, with a spoken text of another length than the
// document's bytes (as Braille cells read as VNI): every sentence is a piece of the document
// after the one before, no longer than the most read as one, and every place the voice may
// report falls back inside the sentence it was heard in.
#include "document/sentencewalk.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

void Check(bool holds) {
    if (!holds) __builtin_trap();
}

// Each letter said as two bytes, so that offsets in the spoken text are not the document's.
std::string Doubled(std::string_view bytes) {
    std::string out;
    for (char c : bytes) out += c == ' ' ? std::string(1, c) : std::string(2, c);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint16_t caret = 0, offset = 0;
    if (size < sizeof caret + sizeof offset) return 0;
    std::memcpy(&caret, data, sizeof caret);
    std::memcpy(&offset, data + sizeof caret, sizeof offset);
    const std::string doc(reinterpret_cast<const char*>(data) + 4, size - 4);
    const tavi::TTextWindow window = [&](std::size_t pos, std::size_t count) {
        return pos < doc.size() ? doc.substr(pos, count) : std::string();
    };
    const std::size_t from = caret % (doc.size() + 2);
    tavi::TReadOnSource source(window, from,
                               (caret & 1) != 0 ? Doubled : tavi::TReadOnSource::TSpoken());
    std::size_t end = tavi::ReadOnStart(window, from);
    Check(end <= from);
    for (std::size_t n = 0; const auto text = source.Next(); ++n) {
        const std::size_t start = source.Start(n);
        const tavi::TSentence s = tavi::NextSentence(window, start);
        Check(start >= end && !s.Bytes.empty() && s.End() <= doc.size());
        Check(s.Bytes.size() <= tavi::SentenceMost + 16 &&
              doc.compare(start, s.Bytes.size(), s.Bytes) == 0);
        const std::size_t place = source.Place(n, offset % (text->size() + 2));
        Check(place >= start && place <= s.End());
        end = s.End();
    }
    return 0;
}

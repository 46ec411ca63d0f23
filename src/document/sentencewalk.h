// Reading a document on from the caret, sentence by sentence. The walker asks for the bytes it
// needs a window at a time, so the first sentence of a large document is found without the
// rest of its text being built or looked at.
#pragma once

#include "document/doctext.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavi {

// Up to count bytes of the document from pos on: fewer at its end, none past it.
using TTextWindow = std::function<std::string(std::size_t pos, std::size_t count)>;

// The bytes that end a sentence, as for selecting one (Ctrl+L) and for sentence echo. The
// full stop is the same byte in Braille text.
inline constexpr std::string_view SentenceDelims = "!?.\r\n";
// The most bytes read as one sentence: a longer run without an end mark is read in parts, cut
// after a blank, so that a paragraph of one endless run never has to be prepared whole.
constexpr std::size_t SentenceMost = 1000;

// A sentence of the document: where it starts and its bytes, end marks included.
struct TSentence {
    std::size_t Start = 0;
    std::string Bytes;
    std::size_t End() const { return Start + Bytes.size(); }
};

// Where reading on from the caret starts: at the start of the word the caret stands in, so that
// no word is heard cut in two; a caret on a blank or an end mark stays where it is.
std::size_t ReadOnStart(const TTextWindow& text, std::size_t caret);

// The first sentence at or after pos, without the blanks and line breaks before it; its end
// marks (a run such as "?!" or "...") are part of it. A full stop between two digits ends
// nothing ("1.000.000", "3.14"). Empty Bytes at the end of the text.
TSentence NextSentence(const TTextWindow& text, std::size_t pos);

// The sentences of a document from the caret to its end, as the voice reads them: in Braille
// display each sentence's cells become the VNI text that is spoken (spoken), and a place in
// that text is taken back to the document's cells word for word.
class TReadOnSource {
public:
    using TSpoken = std::function<std::string(std::string_view bytes)>;
    TReadOnSource(TTextWindow text, std::size_t caret, TSpoken spoken = {});

    // The text of the next sentence to be read; nullopt at the end of the document.
    std::optional<std::string> Next();
    // Where the nth sentence handed out (from 0) starts in the document.
    std::size_t Start(std::size_t n) const;
    // The document position of a byte offset in the text of the nth sentence: the start of the
    // word it falls in, or of the word after it when it falls between words.
    std::size_t Place(std::size_t n, std::size_t offset) const;

private:
    struct TGiven {
        TSentence Sentence;
        std::string Spoken;
    };
    const TGiven& Given(std::size_t n) const;

    TTextWindow Text;
    TSpoken Spoken;
    std::size_t Pos;
    std::size_t First = 0;   // the number of the oldest sentence still kept
    std::deque<TGiven> Kept; // the last sentences handed out
};

} // namespace tavi

// A text read in blocks is read exactly as the whole text is: the same units and silences,
// wherever the blocks end.
#include "speechtest.h"

#include "speech/tokenstream.h"
#include "support/corpus.h"

#include <gtest/gtest.h>

namespace {

// What the reader appends for the text read through a token stream of the given block size.
std::vector<std::string> Streamed(speechtest::SmallDictionary& d, const std::string& text,
                                  std::size_t block, std::string* sound) {
    d.Events.clear();
    std::size_t at = 0;
    tavi::TTokenStream tokens(
        *d.Reader,
        [&](char* to, std::size_t room) {
            const std::size_t n = text.copy(to, std::min<std::size_t>(room, 3), at);
            at += n; // a few bytes at a time, as a pipe may give them
            return n;
        },
        block);
    tavi::TMemoryStream chunk;
    std::string token;
    while (tokens.Next(token))
        if (token != std::string(1, '\0'))
            d.Reader->SayToken(std::move(token), sound ? &chunk : nullptr);
    if (sound) *sound = chunk.Data;
    return d.Events;
}

TEST(TokenStream, ReadsAsTheWholeTextWhereverTheBlocksEnd) {
    std::vector<std::string> keys = {"a", "b", "t", "m", "1", "2", "5", ",", ".", "-", "="};
    for (const char* w : {"một", "hai", "năm", "ngàn", "trăm", "tôi", "đi", "học", "người"})
        keys.push_back(tavi::TTextReader::MakeSoundKey(speechtest::Reading(w)));
    speechtest::SmallDictionary d(keys, "TP\tthành phố\r\n");
    const std::string texts[] = {
        tavitest::ProseText(),
        "Tôi đi học, 1.234,5 người; 12/05/2003 TP a-b=c (x) ... ?! " + std::string(300, 'b'),
        std::string("tôi\0đi học", 10), // the text ends at its first 00
        "một",
        "",
    };
    for (const bool symbols : {false, true}) {
        d.Reader->SpeakSymbols = symbols;
        for (const auto& text : texts) {
            const std::size_t before = d.Sound.size();
            const auto whole = d.Read(text, symbols);
            const std::string wholeSound = d.Sound.substr(before);
            for (std::size_t block : {1, 2, 7, 64, 65536})
                EXPECT_EQ(Streamed(d, text, block, nullptr), whole)
                    << "block " << block << ": " << text.substr(0, 40);
            std::string sound;
            EXPECT_EQ(Streamed(d, text, 5, &sound), whole);
            EXPECT_EQ(sound, wholeSound) << text.substr(0, 40);
        }
    }
}

} // namespace

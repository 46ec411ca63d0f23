// Reading on from the caret: where it starts, the sentences one after another, and the places
// the voice reports taken back to the document.
#include "document/sentencewalk.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <algorithm>

using tavitest::Hex;

namespace {

// A document read through windows, noting the most bytes asked for from one place on.
struct Document {
    explicit Document(std::string text) : Bytes(std::move(text)) {}
    tavi::TTextWindow Window() {
        return [this](std::size_t pos, std::size_t count) {
            Asked += std::min(count, Bytes.size() - std::min(pos, Bytes.size()));
            return pos < Bytes.size() ? Bytes.substr(pos, count) : std::string();
        };
    }
    std::string Bytes;
    std::size_t Asked = 0;
};

// The sentences read from a caret, each as its text and start: "text@start".
std::vector<std::string> ReadOn(Document& doc, std::size_t caret) {
    tavi::TReadOnSource source(doc.Window(), caret);
    std::vector<std::string> out;
    for (std::size_t n = 0; auto text = source.Next(); ++n)
        out.push_back(*text + "@" + std::to_string(source.Start(n)));
    return out;
}

TEST(ReadOn, SentencesFromTheCaret) {
    const std::string viet = "Vie" + Hex("E4") + "t Nam"; // Việt Nam
    const struct {
        std::string text;
        std::size_t caret;
        std::vector<std::string> sentences;
    } cases[] = {
        {"", 0, {}},
        {"One. Two! Three?", 0, {"One.@0", "Two!@5", "Three?@10"}},
        {"One. Two", 6, {"Two@5"}},           // mid-word: from the word's start
        {"One. Two three.", 9, {"three.@9"}}, // mid-sentence: from the caret's word
        {"One. Two", 4, {"Two@5"}},           // on the blank after a full stop
        {"One. Two", 8, {}},                  // at the end
        {"One. Two", 99, {}},                 // past the end
        {"Wait... What?! No", 0, {"Wait...@0", "What?!@8", "No@15"}}, // runs of end marks
        {"a\r\n\r\nb.\r\nc", 0, {"a@0", "b.@5", "c@9"}}, // paragraphs; empty ones skipped
        {"x\r\n", 1, {}},                                // on the break before an empty end
        {"1.000.000 con. 3.14 km", 0, {"1.000.000 con.@0", "3.14 km@15"}}, // numbers
        {"Tel 5. 6", 0, {"Tel 5.@0", "6@7"}},                // a full stop then a blank ends
        {viet + " la\xF8 ...", 3, {viet + " la\xF8 ...@0"}}, // a VNI letter, caret on its mark
        {"  \t ", 0, {}},                                    // only blanks
    };
    for (const auto& c : cases) {
        Document doc(c.text);
        EXPECT_EQ(ReadOn(doc, c.caret), c.sentences) << c.text << " @" << c.caret;
    }
}

TEST(ReadOn, LongRunsAreReadInPartsWithoutPreparingTheWholeText) {
    const std::string marked = "a" + Hex("F8"); // à: a letter and its mark
    const struct {
        std::string name;
        std::string text;
        std::size_t firstSize; // bytes of the first sentence
    } cases[] = {
        {"300,000 letters", std::string(300000, 'x'), tavi::SentenceMost},
        {"words without a full stop",
         [] {
             std::string t;
             while (t.size() < 300000) t += "word ";
             return t;
         }(),
         tavi::SentenceMost}, // cut after a blank
        {"two-byte letters",
         [&] {
             std::string t = "x";
             while (t.size() < 300000) t += marked;
             return t;
         }(),
         tavi::SentenceMost + 1}, // never between letter and mark
        {"one byte too many", "x" + std::string(tavi::SentenceMost, 'y'), tavi::SentenceMost},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Document doc(c.text);
        tavi::TReadOnSource source(doc.Window(), 0);
        const auto first = source.Next();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->size(), c.firstSize);
        EXPECT_LT(doc.Asked, 10000u); // a window, not the document
        const auto second = source.Next();
        ASSERT_TRUE(second);
        EXPECT_EQ(source.Start(1), c.firstSize); // the next part goes on where this one stopped
        EXPECT_EQ(c.text.compare(0, first->size() + second->size(), *first + *second), 0);
    }
}

TEST(ReadOn, PlacesOfTheVoiceGoBackToTheDocument) {
    // Braille display: the cells of a sentence are spoken as other bytes; the place of a word
    // in the spoken text is the place of the same word among the cells.
    Document doc("ab cd. ,x yy!");
    tavi::TReadOnSource source(doc.Window(), 0, [](std::string_view cells) {
        std::string spoken;
        for (char c : cells) spoken += c == ' ' ? " " : std::string(2, c); // each cell 2 bytes
        return spoken;
    });
    ASSERT_EQ(source.Next(), "aabb ccdd..");
    ASSERT_EQ(source.Next(), ",,xx yyyy!!");
    const struct {
        std::size_t n, offset, place;
    } cases[] = {
        {0, 0, 0},               // the first word
        {0, 3, 0},               // inside it: its start
        {0, 4, 3},               // on the blank after it: the next word
        {0, 7, 3},               // inside the second word
        {0, 11, 6},              // the end of the text: the end of the sentence
        {1, 0, 7},               // the second sentence
        {1, 5, 10}, {1, 99, 13}, // past its end
    };
    for (const auto& c : cases)
        EXPECT_EQ(source.Place(c.n, c.offset), c.place) << c.n << " @" << c.offset;
    EXPECT_EQ(source.Next(), std::nullopt);
}

} // namespace

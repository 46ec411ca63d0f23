// English words inside Vietnamese text: which words go to the English voice (with Debian's
// word list), how the word reader reads them in place, and the pieces of each voice in order.
#include "speechtest.h"

#include "platform/errors.h"
#include "speech/englishwords.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tavi {
void PrintTo(const TVoicePiece& p, std::ostream* os) {
    *os << (p.English ? "en:" : "vi:") << p.Text;
}
} // namespace tavi

namespace {

using Events = std::vector<std::string>;
using Pieces = std::vector<tavi::TVoicePiece>;

const tavi::TEnglishWords& List() {
    static const tavi::TEnglishWords list(tavi::EnglishWordsFile);
    return list;
}

TEST(EnglishWords, WordsOfTheListThatAreNoVietnameseSyllable) {
    const struct {
        const char* word;
        bool english;
    } cases[] = {
        {"Windows", true},   {"windows", true}, {"WINDOWS", true},      {"Facebook", true},
        {"FACEBOOK", true},  {"email", true},   {"Email", true},        {"wINDOWS", false},
        {"facebook", false}, {"Gmail", false},  {"USB", false},         {"PDF", false},
        {"CD", false},       {"HTML", false},   {"MOUSE", true},        {"the", false}, // thé
        {"can", false},      {"an", false},     {"I", false},           {"Windows7", false},
        {"e-mail", false},   {"", false},       {"caf\xC3\xA9", false},
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::ReadInEnglish(c.word, List()), c.english) << c.word;
}

TEST(EnglishWords, TheListKeepsWordsOfAsciiLettersOnly) {
    const auto list = tavi::TEnglishWords::FromText("zebra\r\nAsunci\xC3\xB3n\nit's\nzebra\nOK\n");
    EXPECT_EQ(list.Size(), 2u);
    EXPECT_TRUE(list.Contains("Zebra"));
    EXPECT_FALSE(list.Contains("Asunci"));
    EXPECT_THROW(tavi::TEnglishWords("/nonexistent/words"), tavi::EFOpenError);
}

// A small dictionary whose reader hands English words to the real English voice.
struct EnglishReader : speechtest::SmallDictionary {
    EnglishReader() : SmallDictionary({"a", "b", "w", "i", "n", "d", "o", "s", "u", "qua"}) {
        speechtest::ReadEnglishWords(*Reader);
        Reader->OnEnglish = [this](const std::string& w) { Events.push_back("english " + w); };
    }
};

TEST(EnglishWords, TheReaderReadsThemInPlaceOrSpellsThemWhenSwitchedOff) {
    const struct {
        std::string text;
        bool on;
        Events events;
        std::size_t sound; // bytes of units and silences, the rest being the English word
    } cases[] = {
        {"a Windows, b",
         true,
         {"unit a", "silence 1000", "silence 1000", "english Windows", "silence 3000",
          "silence 1000", "unit b", "silence 1000"},
         2 * 11 + 7000},
        {"Windows",
         false,
         {"unit w", "unit i", "unit n", "unit d", "unit o", "unit w", "unit s", "silence 1000"},
         7 * 11 + 1000},
        {"USB", true, {"unit u", "unit s", "unit b", "silence 1000"}, 3 * 11 + 1000},
        {"qua", true, {"unit qua", "silence 1000"}, 13 + 1000},
    };
    for (const auto& c : cases) {
        EnglishReader d;
        d.Reader->EnglishWords = c.on;
        EXPECT_EQ(d.Read(c.text), c.events) << c.text;
        // An English word is at least a quarter of a second of the English voice.
        const bool english = std::count(c.events.begin(), c.events.end(), "english Windows") > 0;
        EXPECT_EQ(d.Sound.size() >= c.sound + 11025 / 4, english) << c.text;
    }
}

TEST(EnglishWords, PiecesOfEachVoiceInOrderInTheCallersOwnBytes) {
    const std::string sentence = "Tôi dùng Windows và Facebook, gửi email qua Gmail.";
    const struct {
        std::string text;
        bool on;
        Pieces pieces;
    } cases[] = {
        {sentence,
         true,
         {{false, "Tôi dùng "},
          {true, "Windows"},
          {false, " và "},
          {true, "Facebook"},
          {false, ", gửi "},
          {true, "email"},
          {false, " qua Gmail."}}},
        {sentence, false, {{false, sentence}}},
        {"Windows7 Windows", true, {{false, "Windows7 "}, {true, "Windows"}}},
        {"", true, {{false, ""}}},
    };
    for (const auto& c : cases) {
        EnglishReader d;
        d.Reader->EnglishWords = c.on;
        EXPECT_EQ(d.Reader->VoicePieces(c.text), c.pieces) << c.text;
    }
}

} // namespace

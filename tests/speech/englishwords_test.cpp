// English words inside Vietnamese text: which words go to the English voice (with Debian's
// word list), how the word reader reads them in place, and the pieces of each voice in order.
#include "speechtest.h"

#include "platform/errors.h"
#include "speech/englishwords.h"

#include <gtest/gtest.h>

namespace tavi {
void PrintTo(const TVoicePiece& p, std::ostream* os) {
    *os << (p.English ? "en:" : "vi:") << p.Text;
}
} // namespace tavi

namespace {

using Events = std::vector<std::string>;
using Pieces = std::vector<tavi::TVoicePiece>;

TEST(EnglishWords, WordsOfTheListThatAreNoVietnameseSyllable) {
    const tavi::TEnglishWords list(tavi::EnglishWordsFile);
    const struct {
        const char* word;
        bool english;
    } cases[] = {
        {"Windows", true}, {"WINDOWS", true},      {"Facebook", true},  {"FACEBOOK", true},
        {"Email", true},   {"MOUSE", true},        {"wINDOWS", false},  {"facebook", false},
        {"Gmail", false},  {"USB", false},         {"HTML", false},     {"the", false}, // thé
        {"can", false},    {"I", false},           {"Windows7", false}, {"e-mail", false},
        {"", false},       {"caf\xC3\xA9", false},
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::ReadInEnglish(c.word, list), c.english) << c.word;
    // Words of other than ASCII letters never count; CR LF lines and repeats are read.
    const auto small = tavi::TEnglishWords::FromText("zebra\r\nAsunci\xC3\xB3n\nit's\nzebra\n");
    EXPECT_EQ(small.Size(), 1u);
    EXPECT_TRUE(small.Contains("Zebra"));
    EXPECT_THROW(tavi::TEnglishWords("/nonexistent/words"), tavi::EFOpenError);
}

// A small dictionary whose reader hands English words to the real English voice.
struct EnglishReader : speechtest::SmallDictionary {
    EnglishReader(bool on) : SmallDictionary({"a", "b", "w", "i", "n", "d", "o", "s"}) {
        speechtest::ReadEnglishWords(*Reader);
        Reader->EnglishWords = on;
        Reader->OnEnglish = [this](const std::string& w) { Events.push_back("english " + w); };
    }
};

TEST(EnglishWords, TheReaderReadsThemInPlaceOrSpellsThemWhenSwitchedOff) {
    EnglishReader on(true);
    EXPECT_EQ(on.Read("a Windows, b"),
              (Events{"unit a", "silence 1000", "silence 1000", "english Windows", "silence 3000",
                      "silence 1000", "unit b", "silence 1000"}));
    // Between the units and silences: at least a quarter of a second of the English voice.
    EXPECT_GE(on.Sound.size(), 2 * 11 + 7000 + 11025 / 4);
    EnglishReader off(false);
    EXPECT_EQ(off.Read("Windows"), (Events{"unit w", "unit i", "unit n", "unit d", "unit o",
                                           "unit w", "unit s", "silence 1000"}));
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(EnglishReader(c.on).Reader->VoicePieces(c.text), c.pieces);
}

} // namespace

// tavitool speak --units and --wav, run as a program on real prose with the built voice: the
// same units and the same WAV bytes as reading the whole text in memory, files in parts, and a
// refusal before anything is written when the sound would not fit in one WAV file.
#include "speechtest.h"

#include "speech/wavfile.h"
#include "support/corpus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#ifdef TAVI_HAVE_DICT

namespace {

using tavitest::DataDir;
using tavitest::ReadFile;

class TavitoolSpeak : public ::testing::Test {
protected:
    TavitoolSpeak()
        : Reader(DataDir() / "dict.dat", DataDir() / "dict.idx", DataDir() / "abbr.txt") {
        Reader.SetCodeTable("Vni for Win");
    }
    int Run(const std::string& command) { return tavitest::RunTavitoolIn(Dir.path(), command); }
    std::string File(const std::string& name) { return ReadFile(Dir / name); }

    tavitest::TempDir Dir;
    tavi::TWordReader Reader;
};

std::string Escaped(const std::string& name) {
    char hex[5];
    std::string out;
    for (unsigned char c : name) {
        if (c >= 0x21 && c <= 0x7E) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

TEST_F(TavitoolSpeak, WritesWhatReadingTheWholeTextGives) {
    const std::string text = tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::ProseText());
    tavitest::WriteFile(Dir / "in.txt", text);
    std::string listing;
    Reader.OnUnit = [&](const tavi::TIndexRecord& r) {
        listing += "unit " + Escaped(r.Name) + "\n";
    };
    Reader.OnSilence = [&](std::size_t n) { listing += "silence " + std::to_string(n) + "\n"; };
    const std::string wav =
        tavi::WaveFileBytes(Reader.Sounds->ReadFormat(), Reader.WholeSound(text));
    const struct {
        std::string command, output, expected;
    } cases[] = {
        {"$T speak --spell-english --units - < in.txt > out", "out", listing},
        {"$T speak --spell-english --wav book.wav - < in.txt", "book.wav", wav},
        {"cat in.txt | $T speak --spell-english --wav piped.wav -", "piped.wav", wav},
        {"$T speak --spell-english --wav - - < in.txt > out.wav", "out.wav", wav},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Run(c.command), 0) << c.command << ": " << File("err");
        EXPECT_EQ(File(c.output), c.expected) << c.command;
    }
}

TEST_F(TavitoolSpeak, SplitsTheSoundIntoFilesOfSoManyMinutes) {
    const std::string text = tavi::ConvertBetween("Unicode", "Vni for Win", tavitest::ProseText());
    tavitest::WriteFile(Dir / "in.txt", text);
    // Every token ends with its silence: where a file may end.
    std::vector<std::size_t> tokenEnds;
    std::size_t at = 0;
    Reader.OnUnit = [&](const tavi::TIndexRecord& r) { at += static_cast<std::size_t>(r.Size); };
    Reader.OnSilence = [&](std::size_t n) { tokenEnds.push_back(at += n); };
    const std::string sound = Reader.WholeSound(text);
    const std::size_t minute = 60 * Reader.Sounds->ReadFormat().AvgBytesPerSec;
    ASSERT_GT(sound.size(), 3 * minute);
    ASSERT_EQ(Run("$T speak --spell-english --wav book.wav --split-minutes 1 - < in.txt"), 0)
        << File("err");
    const auto part = [](int k) {
        char name[32];
        std::snprintf(name, sizeof name, "book-%02d.wav", k);
        return std::string(name);
    };
    std::string joined;
    for (int k = 1; std::filesystem::exists(Dir / part(k)); ++k) {
        const auto wav = tavi::ParseWav(File(part(k)));
        EXPECT_EQ(wav.Format.Bytes(), Reader.Sounds->ReadFormat().Bytes());
        const std::size_t start = joined.size();
        joined += wav.Samples;
        // A file ends with the first token that brings it to the minute (or with the text).
        const auto end = std::lower_bound(tokenEnds.begin(), tokenEnds.end(), start + minute);
        EXPECT_EQ(joined.size(), end == tokenEnds.end() ? sound.size() : *end) << part(k);
    }
    EXPECT_EQ(joined, sound);
    EXPECT_FALSE(std::filesystem::exists(Dir / "book.wav"));
}

TEST_F(TavitoolSpeak, ReadsEnglishWordsInEnglishAndChangesTheRate) {
    tavitest::WriteFile(Dir / "in.txt", "Tôi dùng Windows và Facebook, gửi email qua Gmail.");
    const struct {
        std::string command;
        int status;
        std::string english; // the lines of out that name English words
    } cases[] = {
        {"$T speak --table Unicode --units - < in.txt > out", 0,
         "english Windows\nenglish Facebook\nenglish email\n"},
        {"$T speak --table Unicode --spell-english --units - < in.txt > out", 0, ""},
        {"$T speak --table Unicode --rate 3.5 --units - < in.txt > out", 0,
         "english Windows\nenglish Facebook\nenglish email\n"},
        {"$T speak --rate 5.5 --units x > out", 2, ""},
        {"$T speak --rate fast --units x > out", 2, ""},
        {"$T speak --rate 2 --wav - x > out", 2, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.command), c.status) << c.command << ": " << File("err");
        std::string english;
        for (const std::string& line : tavi::SplitLines(File("out")))
            if (line.rfind("english ", 0) == 0) english += line + "\n";
        EXPECT_EQ(english, c.english) << c.command;
    }
    // The same sentence, as sound, at the voice's own rate and three and a half times it.
    ASSERT_EQ(Run("$T speak --table Unicode --wav r1.wav - < in.txt"), 0) << File("err");
    ASSERT_EQ(Run("$T speak --table Unicode --rate 3.5 --wav r35.wav - < in.txt"), 0);
    const double normal = static_cast<double>(tavi::ParseWav(File("r1.wav")).Samples.size());
    const double fast = static_cast<double>(tavi::ParseWav(File("r35.wav")).Samples.size());
    EXPECT_NEAR(fast * 3.5, normal, 0.05 * normal);
}

TEST_F(TavitoolSpeak, RefusesSoundOverFourGigabytesBeforeWritingAnything) {
    // "a." is a unit and the silence after a full stop: enough of them pass 4 GB of sound.
    const tavi::TIndexRecord* a = Reader.Sounds->Find("a");
    ASSERT_NE(a, nullptr);
    const std::size_t count = (std::size_t{1} << 32) / (a->Size + tavi::StopSilence) + 1;
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += "a.";
    tavitest::WriteFile(Dir / "in.txt", text);
    EXPECT_EQ(Run("$T speak --wav big.wav - < in.txt"), 1);
    EXPECT_NE(File("err").find("--split-minutes"), std::string::npos) << File("err");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dir.path()), {}), 2); // in, err
}

} // namespace

#endif

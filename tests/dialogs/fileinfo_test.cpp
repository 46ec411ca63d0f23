// Word counts, date texts, file times and sizes, refused characters.
#include "dialogs/fileinfo.h"
#include "dialogs/refusedchars.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

namespace {

TEST(WordCount, CountsWordsBetweenBlanksAndBreaks) {
    const struct {
        const char* text;
        std::size_t words;
    } cases[] = {
        {"", 0},
        {"   ", 0},
        {"a b c", 3},
        {"  a   b  ", 2},
        {"a\r\nb", 2},
        {"a\tb\t\tc", 3},
        {"a\rb\nc", 3},
        {"\x01"
         "a\x02",
         1},
        {"Vi\xEA\xE4t Nam, 2024.", 3},
        {"\x01\x02", 0},
        {"a\x01"
         "b",
         1},
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::WordCount(c.text), c.words) << c.text;
}

TEST(DateText, VietnameseWordsWithoutLeadingZeros) {
    std::tm t{};
    t.tm_mday = 5;
    t.tm_mon = 0;
    t.tm_year = 2024 - 1900;
    t.tm_hour = 7;
    t.tm_min = 3;
    t.tm_sec = 9;
    EXPECT_EQ(tavi::DateText(t),
              " Nga\xF8y 5 Tha\xF9ng 1 Na\xEAm 2024   7 Gi\xF4\xF8 3 Phu\xF9t 9 Gia\xE2y ");
}

TEST(FileInfo, TimesAndSizeOfRealFiles) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "a.txt", "12345");
    const auto [created, modified] = tavi::FileTimes(dir / "a.txt");
    EXPECT_EQ(modified.rfind(" Nga\xF8y ", 0), 0u) << modified;
    EXPECT_TRUE(created == tavi::UnknownTimeText || created.rfind(" Nga\xF8y ", 0) == 0) << created;
    EXPECT_EQ(tavi::FileSize(dir / "a.txt"), 5);
    const auto missing = tavi::FileTimes(dir / "none.txt");
    EXPECT_EQ(missing.first, tavi::UnknownTimeText);
    EXPECT_EQ(missing.second, tavi::UnknownTimeText);
    EXPECT_EQ(tavi::FileSize(dir / "none.txt"), -1);
}

TEST(RefusedChars, TheTwoSetsDifferWhereTheyShould) {
    using tavi::TRefusedSet;
    int path = 0, name = 0, fileName = 0;
    for (int c = 0; c < 256; ++c) {
        path += tavi::IsRefused(TRefusedSet::Path, static_cast<unsigned char>(c));
        name += tavi::IsRefused(TRefusedSet::Name, static_cast<unsigned char>(c));
        fileName += tavi::IsRefused(TRefusedSet::FileName, static_cast<unsigned char>(c));
    }
    EXPECT_EQ(path, 32); // control characters only: any file can be named
    EXPECT_EQ(name, 29);
    EXPECT_EQ(fileName, 33); // and the slash
    for (char c : std::string("-_()+,&'!#$%;=@[]{}^`~ "))
        EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, static_cast<unsigned char>(c))) << c;
    EXPECT_TRUE(tavi::IsRefused(TRefusedSet::FileName, '/'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, '/')); // "~/thu/bai.txt"
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, '~'));
    EXPECT_TRUE(tavi::IsRefused(TRefusedSet::Name, '/'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, '-'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Name, '-'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, ':'));
    EXPECT_TRUE(tavi::IsRefused(TRefusedSet::Name, ':'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Path, '\\'));
    EXPECT_TRUE(tavi::IsRefused(TRefusedSet::Name, '\\'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Name, '_'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::None, '!'));
    EXPECT_FALSE(tavi::IsRefused(TRefusedSet::Name, 0xE1)); // Vietnamese bytes are letters
}

} // namespace

// Our grade 1 Braille beside liblouis's uncontracted Vietnamese table (vi-vn-g0), word by word
// in dots. Three differences are known and adjusted for in liblouis's input: the alphabet (here
// đ is 145 and d 1356: liblouis gets z for d and d for đ), the capital signs and the number
// signs (liblouis gets lower case and digits as the letters a-j, with Braille patterns for
// the signs where InsertBrailleSigns puts them).
#include "braille_corpus.h"
#include "codes/braillecells.h"
#include "codes/brailleconverter.h"
#include "codes/braillesigns.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

namespace {

using TCells = std::vector<std::uint8_t>;
using TWords = std::vector<TCells>;
constexpr std::uint8_t NoCell = 0xFF;

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (auto p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size()))
        s.replace(p, from.size(), to);
    return s;
}

// The text liblouis is given for a UTF-8 text, with our signs already in it. A line end
// closes the signs as the end of a text does, so many lines can go at once.
std::string LiblouisInput(const std::string& utf8) {
    EXPECT_EQ(utf8.find_first_of("#\x01\x02"), std::string::npos) << utf8;
    std::string vni = tavi::InsertBrailleSigns(tavitest::Vni(utf8));
    // A capital sign that closes a heading before the mark byte of its last letter goes after it.
    for (std::size_t i = 0; i + 1 < vni.size(); ++i) {
        const unsigned char next = static_cast<unsigned char>(vni[i + 1]);
        const bool mark = (next >= 0xC0 && next <= 0xC5) || (next >= 0xC8 && next <= 0xCB) ||
                          next == 0xCF || next == 0xD5 || (next >= 0xD8 && next <= 0xDC);
        if (vni[i] == tavi::BrailleCapitalSign && mark) std::swap(vni[i], vni[i + 1]);
    }
    vni = Replace(Replace(vni, "\xDE", "\x01"), "#", "\x02");
    std::string text = tavitest::ChangeCase(tavitest::Utf8(vni), false);
    text = Replace(Replace(text, "d", "z"), "\xC4\x91", "d"); // d -> z, then đ -> d
    for (char& c : text)
        if (c >= '0' && c <= '9') c = c == '0' ? 'j' : char('a' + (c - '1'));
    text = Replace(text, "\x01", "\xE2\xA0\xA8"); // the capital sign, dots 46
    text = Replace(text, "\x02", "\xE2\xA0\xBC"); // the number sign, dots 3456
    return Replace(text, "\\", "\\\\");           // lou_translate reads escapes
}

// Cells split into words at blank cells.
TWords SplitWords(const TCells& cells) {
    TWords words(1);
    for (std::uint8_t c : cells) {
        if (c == 0) {
            words.emplace_back();
        } else {
            words.back().push_back(c);
        }
    }
    return words;
}

// liblouis's cells for each line.
std::vector<TWords> Liblouis(const std::vector<std::string>& lines) {
    tavitest::TempDir dir;
    std::string input;
    for (const auto& l : lines) input += l + "\n";
    tavitest::WriteFile(dir / "in.txt", LiblouisInput(input));
    const std::string command = "lou_translate --forward unicode.dis,vi-vn-g0.utb < '" +
                                (dir / "in.txt").string() + "' > '" + (dir / "out.txt").string() +
                                "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "lou_translate (Debian liblouis-bin) failed";
    std::istringstream out(tavitest::ReadFile(dir / "out.txt"));
    std::vector<TWords> result;
    for (std::string line; std::getline(out, line);) {
        TCells cells;
        for (const auto& ch : tavitest::Utf8Chars(line)) {
            const bool pattern = ch.size() == 3 && ch[0] == '\xE2' && (ch[1] & 0xFC) == 0xA0;
            cells.push_back(pattern ? std::uint8_t((ch[1] & 3) << 6 | (ch[2] & 0x3F)) : NoCell);
        }
        result.push_back(SplitWords(cells));
    }
    return result;
}

// Our cells for each line.
std::vector<TWords> Ours(const std::vector<std::string>& lines) {
    const tavi::TBrailleCells cells = tavi::LoadBrailleCells(tavitest::DataDir());
    std::string all;
    for (const auto& l : lines) all += l + "\n";
    tavi::TCodeConverter conv;
    std::vector<TWords> result;
    TCells line;
    for (unsigned char b : tavi::BrailleFromVni(conv, tavitest::Vni(all))) {
        if (b == '\n') {
            result.push_back(SplitWords(line));
            line.clear();
        } else {
            line.push_back(b == ' ' ? 0 : cells[b] ? cells[b] : NoCell);
        }
    }
    return result;
}

std::string DotsOf(const TCells& cells) {
    std::string s;
    for (auto c : cells) s += (s.empty() ? "" : "-") + tavi::CellDots(c);
    return s;
}

// An open oa, oe or uy with the tone mark on its second vowel (hoà, khoẻ, thuỷ).
bool MarkOnSecondVowel(const std::string& word) {
    const auto chars = tavitest::Utf8Chars(tavitest::ChangeCase(word, false) + " ");
    const auto letters = tavitest::VietnameseAlphabet();
    const auto toned = [&](const std::string& c, const char* plain) {
        for (int g = 0; g < 73; ++g)
            if (letters[g] == c) return letters[g - g % 6] == plain && g % 6 != 0;
        return false;
    };
    for (std::size_t i = 0; i + 2 < chars.size(); ++i) {
        const bool end =
            !std::isalpha(static_cast<unsigned char>(chars[i + 2][0])) && chars[i + 2].size() == 1;
        if (end && ((chars[i] == "o" && (toned(chars[i + 1], "a") || toned(chars[i + 1], "e"))) ||
                    (chars[i] == "u" && toned(chars[i + 1], "y"))))
            return true;
    }
    return false;
}

// Why our Braille of a word may differ from liblouis's: the print symbols that take the cells
// of the six-key keyboard rather than liblouis's (the closing quotation mark, the slash, the
// apostrophe, brackets, braces and other ASCII symbols), and the tone spelling that keeps its
// place. Empty when nothing explains it.
std::string KnownCause(const std::string& word) {
    if (word.find('"') != std::string::npos) return "quotation mark";
    if (word.find('/') != std::string::npos) return "slash";
    if (word.find('\'') != std::string::npos) return "apostrophe";
    if (word.find_first_of("[]{}") != std::string::npos) return "bracket";
    if (word.find_first_of("_^~|\\`") != std::string::npos) return "ASCII symbol";
    if (MarkOnSecondVowel(word)) return "tone mark on the second vowel";
    return "";
}

TEST(Liblouis, EverySyllableAgrees) {
    std::vector<std::string> lines;
    std::vector<bool> markOnSecond;
    for (const auto& s : tavitest::VietnameseSyllables())
        for (const auto& form :
             {s.text, tavitest::Title(s.text), tavitest::ChangeCase(s.text, true)}) {
            lines.push_back(form);
            markOnSecond.push_back(s.markOnSecond);
        }
    const auto ours = Ours(lines);
    const auto theirs = Liblouis(lines);
    ASSERT_EQ(theirs.size(), lines.size());
    ASSERT_EQ(ours.size(), lines.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TCells expected = theirs[i].front();
        if (markOnSecond[i]) {
            // Ours keeps the tone cell before the vowel that carries it in print.
            const auto tone = std::find_if(expected.begin(), expected.end(), [](std::uint8_t c) {
                return c == 0x14 || c == 0x30 || c == 0x22 || c == 0x24 || c == 0x20;
            });
            ASSERT_NE(tone, expected.end()) << lines[i];
            std::iter_swap(tone, tone + 1);
        }
        if (ours[i].front() != expected && ++differ <= 20)
            ADD_FAILURE() << lines[i] << ": ours " << DotsOf(ours[i].front()) << ", liblouis "
                          << DotsOf(theirs[i].front());
    }
    EXPECT_EQ(differ, 0u) << "of " << lines.size();
}

// Compares the words of the lines and returns the share that is identical in dots; every word
// that differs must differ for a known cause.
double ShareOfIdenticalWords(const std::vector<std::string>& lines, const std::string& corpus) {
    const auto ours = Ours(lines);
    const auto theirs = Liblouis(lines);
    if (theirs.size() != lines.size() || ours.size() != lines.size()) {
        ADD_FAILURE() << "the lines do not line up";
        return 0;
    }
    std::size_t words = 0, same = 0;
    std::map<std::string, std::size_t> causes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> print;
        std::istringstream split(lines[i]);
        for (std::string w; std::getline(split, w, ' ');) print.push_back(w);
        if (ours[i].size() != print.size() || theirs[i].size() != print.size()) {
            ADD_FAILURE() << "words do not line up: " << lines[i];
            continue;
        }
        for (std::size_t w = 0; w < print.size(); ++w) {
            if (print[w].empty()) continue;
            ++words;
            if (ours[i][w] == theirs[i][w]) {
                ++same;
                continue;
            }
            const std::string cause = KnownCause(print[w]);
            ++causes[cause.empty() ? "unexplained" : cause];
            EXPECT_FALSE(cause.empty()) << print[w] << ": ours " << DotsOf(ours[i][w])
                                        << ", liblouis " << DotsOf(theirs[i][w]);
        }
    }
    const double share = words ? double(same) / double(words) : 0;
    std::cout << corpus << ": " << same << " of " << words
              << " words identical in dots to liblouis vi-vn-g0 (" << share * 100 << " %)\n";
    for (const auto& [cause, n] : causes) std::cout << "  differ by " << cause << ": " << n << "\n";
    return share;
}

TEST(Liblouis, ShareOfIdenticalWords) {
    EXPECT_GT(ShareOfIdenticalWords(tavitest::VietnameseProse(), "Prose"), 0.97);
    std::vector<std::string> sentences;
    std::istringstream in(tavitest::ReadFile(tavitest::TestData("vi/braille-sentences.txt")));
    for (std::string line; std::getline(in, line);) sentences.push_back(line);
    EXPECT_GT(ShareOfIdenticalWords(sentences, "Sentences"), 0.9);
}

} // namespace

// The delivered Braille data: the table pair "Vni for Win" / "Braille", the print tables, the
// dot list and the cell map; the Braille they give and the exact way back.
#include "braille_corpus.h"
#include "codes/braillecells.h"
#include "codes/brailleconverter.h"
#include "codes/braillesigns.h"
#include "codes/tabletree.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>

using tavitest::DataDir;
using tavitest::ReadFile;

namespace {

std::string Table(const std::string& name) {
    return ReadFile(DataDir() / (name + ".vnc"));
}

const tavi::TBrailleCells& Cells() {
    static const tavi::TBrailleCells cells = tavi::LoadBrailleCells(DataDir());
    return cells;
}

// Braille bytes as dot numbers, cells joined by "-", words by a space; "?" for a byte with no
// cell.
std::string Dots(const std::string& braille) {
    std::string out;
    bool first = true;
    for (char ch : braille) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == ' ') {
            out += ' ';
            first = true;
            continue;
        }
        if (!first) out += '-';
        out += Cells()[c] ? tavi::CellDots(Cells()[c]) : "?";
        first = false;
    }
    return out;
}

std::string ToBraille(const std::string& utf8) {
    tavi::TCodeConverter conv;
    return tavi::BrailleFromVni(conv, tavitest::Vni(utf8));
}

TEST(BrailleTables, KeepTheFileRules) {
    for (const char* name : {"Vni for Win", "Braille", "PrtSrc"}) {
        const std::string table = Table(name);
        const auto problems = tavi::TableRuleProblems(table, tavi::BrailleTableMax);
        EXPECT_TRUE(problems.empty()) << name << ": " << problems.front();
        // Read as a destination, the table has exactly its entries.
        EXPECT_EQ(tavi::CountDestEntries(table), tavi::SplitTableEntries(table).size()) << name;
    }
    EXPECT_EQ(tavi::SplitTableEntries(Table("Vni for Win")).size(),
              tavi::SplitTableEntries(Table("Braille")).size());
    EXPECT_EQ(tavi::SplitTableEntries(Table("PrtSrc")).size(),
              tavi::SplitTableEntries(Table("PrtDes")).size());
}

// The six-key cell table is the one source of which byte is which cell: the cell map, the dot
// list and the Braille the table pair writes all follow it.
TEST(BrailleTables, CellMapDotListAndSixKeyTableAgree) {
    std::map<unsigned char, std::uint8_t> expected;
    std::istringstream sixkey(ReadFile(tavitest::SourceDir() / "data/braille/sixkey-cells.txt"));
    std::string line;
    int rows = 0;
    while (std::getline(sixkey, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream in(line);
        int row;
        std::string dots, column;
        in >> row >> dots;
        ++rows;
        EXPECT_EQ(tavi::CellDots(std::uint8_t(row)), dots) << line;
        for (int c = 0; c < 4 && in >> column; ++c)
            if (column != "-") expected[std::uint8_t(std::stoi(column, nullptr, 16))] = row;
    }
    EXPECT_EQ(rows, 63);
    const std::string digitDots[] = {"245", "1",   "12",   "14",  "145",
                                     "15",  "124", "1245", "125", "24"};
    for (int d = 0; d < 10; ++d) expected['0' + d] = 0;
    for (unsigned b = 0; b < 256; ++b) {
        if (b >= '0' && b <= '9') {
            EXPECT_EQ(tavi::CellDots(Cells()[b]), digitDots[b - '0']) << char(b);
            continue;
        }
        const auto it = expected.find(static_cast<unsigned char>(b));
        EXPECT_EQ(Cells()[b], it == expected.end() ? 0 : it->second) << std::hex << b;
    }

    std::istringstream dot(ReadFile(DataDir() / "Dot"));
    std::size_t lines = 0;
    while (std::getline(dot, line)) {
        ASSERT_GE(line.size(), 4u);
        ASSERT_EQ(line.back(), '\r');
        ASSERT_EQ(line[1], '=') << line;
        const unsigned char b = static_cast<unsigned char>(line[0]);
        // Dot numbers one by one, as the dot reading speaks them: "1 2 4".
        std::string spoken;
        for (char d : tavi::CellDots(Cells()[b]))
            spoken += std::string(spoken.empty() ? "" : " ") + d;
        EXPECT_EQ(line.substr(2, line.size() - 3), spoken) << line;
        ++lines;
    }
    // Every byte that has a cell, except "=", which cannot name a name=value line.
    EXPECT_EQ(lines, expected.size() - 1);

    // Every byte that the table pair writes can be drawn.
    const std::string braille = Table("Braille");
    for (auto entry : tavi::SplitTableEntries(braille))
        for (unsigned char b : entry) EXPECT_NE(Cells()[b], 0) << std::hex << int(b);
}

TEST(BrailleTables, PrintTablesWriteBrailleAscii) {
    // North American Braille ASCII by cell (dot 1 = bit 0), as BRF files hold it.
    const std::string brf = " a1b'k2l@cif/msp\"e3h9o6r^djg>ntq,*5<-u8v.%[$+x!&;:4\\0z7(_?w]#y)=";
    const std::string sourceTable = Table("PrtSrc"), destTable = Table("PrtDes");
    const auto source = tavi::SplitTableEntries(sourceTable);
    const auto dest = tavi::SplitTableEntries(destTable);
    ASSERT_EQ(source.size(), dest.size());
    for (std::size_t k = 0; k < source.size(); ++k) {
        ASSERT_EQ(source[k].size(), 1u);
        const std::uint8_t cell = Cells()[static_cast<unsigned char>(source[k][0])];
        ASSERT_NE(cell, 0) << "byte " << int(static_cast<unsigned char>(source[k][0]));
        EXPECT_EQ(dest[k], std::string(1, brf[cell])) << source[k];
    }
}

TEST(BrailleTables, Grade1Braille) {
    const struct {
        const char* print;
        const char* dots;
    } cases[] = {
        // The tone goes after the initial consonants and before the vowel group.
        {"má mà mả mã mạ ma", "134-35-1 134-56-1 134-26-1 134-36-1 134-6-1 134-1"},
        {"người", "1345-1245-56-1256-246-24"},
        {"việt", "1236-6-24-126-2345"},
        {"khuấy", "13-125-35-136-16-13456"},
        {"rượu", "1235-6-1256-246-136"},
        {"thuở", "2345-125-26-136-246"},
        {"huế", "125-35-136-126"},
        {"hoặc", "125-6-135-345-14"},
        {"hoàng hoài xoáy", "125-56-135-1-1345-1245 125-56-135-1-24 1346-35-135-1-13456"},
        {"khoét ngoẹo huỳnh tuýt khuỷu khuỵa",
         "13-125-35-135-15-2345 1345-1245-6-135-15-135 125-56-136-13456-1345-125 "
         "2345-35-136-13456-2345 13-125-26-136-13456-136 13-125-6-136-13456-1"},
        {"khuyến yêu yến", "13-125-35-136-13456-126-1345 13456-126-136 35-13456-126-1345"},
        // qu and gi are consonants.
        {"quốc quấy quả quỳnh quyết quở", "12345-136-35-1456-14 12345-136-35-16-13456 "
                                          "12345-136-26-1 12345-136-56-13456-1345-125 "
                                          "12345-136-35-13456-126-2345 12345-136-26-246"},
        {"giếng giữa gì", "1245-24-35-126-1345-1245 1245-24-36-1256-1 1245-56-24"},
        // Both spellings of an open oa, oe, uy: the old one gives the Braille of the rule, the
        // new one keeps the tone before its own vowel, so that each comes back as it was.
        {"hòa hoà", "125-56-135-1 125-135-56-1"},
        {"khỏe khoẻ", "13-125-26-135-15 13-125-135-26-15"},
        {"thủy thuỷ", "2345-125-26-136-13456 2345-125-136-26-13456"},
        // The older alphabet: đ is 145 and d is 1356.
        {"đi da Đà", "145-24 1356-1 46-145-56-1"},
        // Capitals: the sign before the tone; runs of capitals by InsertBrailleSigns.
        {"Ở Ước", "46-26-246 46-35-1256-246-14"},
        {"HÀ NỘI", "46-46-125-56-1 1345-6-1456-24-46"},
        {"BÀ", "46-46-12-56-1-46"},
        {"ÂU", "46-16-46-136"}, // a capital with its mark is a single capital
        {"QUỐC", "46-46-12345-136-35-1456-14-46"},
        // Numbers keep their digit bytes, which show as the cells a-j.
        {"12,5 1.234 12/05/2003",
         "3456-1-12-2-15 3456-1-256-12-14-145 3456-1-12-256-245-15-256-12-245-245-14"},
        {"A1 1234567890", "46-1-3456-1 3456-1-12-14-145-15-124-1245-125-24-245"},
        // Punctuation: the cells of the six-key keyboard; parentheses and operators in two.
        {"a, b; c: d. e? f! \"g\" h-i", "1-2 12-23 14-25 1356-256 15-26 124-235 236-1245-236 "
                                        "125-36-24"},
        {"(a) a+b a*b a=b a<b a>b", "4-126-1-4-345 1-5-235-12 1-5-236-12 1-5-2356-12 "
                                    "1-5-246-12 1-5-135-12"},
        {"50% a/b a@b a&b", "3456-15-245-3456-245-356 1-256-12 1-4-12 1-5-12"},
    };
    for (const auto& c : cases) EXPECT_EQ(Dots(ToBraille(c.print)), c.dots) << c.print;
}

// Converts each line to Braille and back and reports the lines that do not come back.
void ExpectRoundTrip(const std::vector<std::string>& utf8Lines, const std::string& what) {
    std::string all;
    for (const auto& l : utf8Lines) all += l + "\r\n";
    const std::string vni = tavitest::Vni(all);
    tavi::TCodeConverter conv;
    const std::string braille = tavi::BrailleFromVni(conv, vni);
    const std::string back = tavi::VniFromBraille(conv, braille);
    if (back == vni) return;
    std::istringstream a(vni), b(back), c(braille);
    std::string la, lb, lc;
    int shown = 0;
    while (std::getline(a, la) && std::getline(b, lb) && std::getline(c, lc))
        if (la != lb && ++shown <= 10)
            ADD_FAILURE() << what << ": " << tavitest::Utf8(la) << " came back as "
                          << tavitest::Utf8(lb) << " (Braille " << Dots(lc) << ")";
    EXPECT_TRUE(back == vni) << what << ": " << shown << " lines do not come back";
}

TEST(BrailleTables, EverySyllableComesBack) {
    const auto syllables = tavitest::VietnameseSyllables();
    ASSERT_GT(syllables.size(), 15000u);
    const std::function<std::string(const std::string&)> contexts[] = {
        [](const std::string& s) { return s; },
        [](const std::string& s) { return "x " + s + ". " + s + ", " + s + "! y"; },
        [](const std::string& s) { return "(" + s + ") \"" + s + "\" " + s + "-" + s + "/" + s; },
        [](const std::string& s) { return s + "1 " + s + "#2 3" + s; },
    };
    for (const auto& context : contexts) {
        std::vector<std::string> lines;
        for (const auto& s : syllables) {
            lines.push_back(context(s.text));
            lines.push_back(context(tavitest::Title(s.text)));
            lines.push_back(context(tavitest::ChangeCase(s.text, true)));
            lines.push_back(context(tavitest::ChangeCase(s.text, true)) + " " + context(s.text));
        }
        ExpectRoundTrip(lines, "syllables");
    }
}

TEST(BrailleTables, ProseAndSentencesComeBack) {
    auto prose = tavitest::VietnameseProse();
    std::istringstream in(ReadFile(tavitest::TestData("vi/braille-sentences.txt")));
    for (std::string line; std::getline(in, line);) prose.push_back(line);
    ExpectRoundTrip(prose, "text");
    for (auto& p : prose) p = tavitest::ChangeCase(p, true);
    ExpectRoundTrip(prose, "text in capitals");
}

// Bytes that no entry holds pass through both ways, and text that is not Vietnamese at all never
// makes the conversion fail or lose bytes.
TEST(BrailleTables, OtherBytesPassThrough) {
    std::string text;
    for (int c = 1; c < 0x20; ++c) text += char(c);
    for (int c = 0x80; c < 0xA0; ++c) text += char(c);
    tavi::TCodeConverter conv;
    const std::string braille = tavi::BrailleFromVni(conv, text);
    EXPECT_EQ(braille, text);
    EXPECT_EQ(tavi::VniFromBraille(conv, braille), text);
    std::string every;
    for (int c = 0; c < 256; ++c) every += char(c);
    EXPECT_GE(tavi::BrailleFromVni(conv, every + every).size(), 512u);
}

} // namespace

// The syllable test: the one-byte letter code, the rime table against the syllable inventory,
// and the words the test must accept and refuse.
#include "codes/vncodeconverter.h"
#include "dialogs/syllable.h"
#include "speech/wordreader.h"
#include "support/knownrimes.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using tavi::RimeTable;
using tavi::TVnCodeConverter;

namespace {

// Converts UTF-8 text to a code table, as the program's own converter does.
class FromUnicode {
public:
    explicit FromUnicode(const std::string& table) {
        Converter.SetSourceTable("Unicode");
        Converter.SetDestTable(table);
    }
    std::string operator()(const std::string& text) {
        Converter.InStream.Data = text;
        Converter.Convert();
        return Converter.OutStream.Data;
    }

private:
    TVnCodeConverter Converter;
};

std::vector<std::string> Inventory() {
    std::vector<std::string> out;
    for (const std::string& line :
         tavi::SplitLines(tavitest::ReadFile(tavitest::SourceDir() / "data/syllables.txt")))
        if (!line.empty()) out.push_back(line);
    return out;
}

// The rimes in their table order with the tones each can carry, as the checker's design
// gives them.
const char* const RimeList =
    "a (0-5); ac (1,5); ach (1,4,5); ai (0-5); am (0-5); an (0-5); ang (0-5); anh (0-5); "
    "ao (0-5); ap (1,5); at (1,5); au (0-5); ay (0-5); e (0-5); ec (1,5); em (0-5); en (0-5); "
    "eng (0,2,3); eo (0-5); ep (1,5); et (1,5); i (0-5); ia (0-5); ich (1,5); im (0-5); "
    "in (0-5); inh (0-5); ip (1,5); it (0,1,5); iu (0-5); iêc (0,1,5); iêm (0-5); iên (0-5); "
    "iêng (0-5); iêp (1,5); iêt (1,5); iêu (0-5); o (0-5); oa (0-5); oac (1,5); oach (1,5); "
    "oai (0-5); oam (2,5); oan (0-5); oang (0-5); oanh (0-5); oao (0,1,5); oat (1,5); "
    "oay (0,1,3); oc (1,5); oe (0-5); oen (0,1,2,3); oeo (0,1,2,3,5); oet (1,5); oi (0-5); "
    "om (0-5); on (0-5); ong (0-5); ooc (0,5); oong (0); op (0,1,5); ot (1,5); oăc (1,5); "
    "oăm (0,1,2,5); oăn (0,1,2); oăng (0-5); oăt (1,5); u (0-5); ua (0-5); uc (1,5); ui (0-5); "
    "um (0-5); un (0-5); ung (0-5); up (1,5); ut (1,5); uy (0-5); uya (0); uych (1,5); "
    "uynh (0-5); uyt (1,4,5); uyu (3,4); uyên (0-5); uyêt (1,5); uân (0-5); uâng (0); "
    "uât (1,5); uây (0,1,3,5); uê (0,1,2,3,5); uêch (1,5); uênh (0,2,4); uôc (1,5); "
    "uôi (0-5); uôm (0,1,2,4,5); uôn (0-5); uông (0-5); uôt (1,5); uơ (0,3); y (0-5); "
    "ynh (1,2,3); yt (1,5); yêm (1,3); yên (0-5); yêng (0); yêt (1,5); yêu (0,1,3); âc (1,5); "
    "âm (0-5); ân (0-5); âng (0-5); âp (1,5); ât (1,5); âu (0-5); ây (0-5); ê (0-5); "
    "êch (1,5); êm (0,1,2,4,5); ên (0-5); êng (0,1,2); ênh (0-5); êp (1,5); êt (1,4,5); "
    "êu (0-5); ô (0-5); ôc (1,5); ôi (0-5); ôm (0-5); ôn (0-5); ông (0-5); ôp (1,5); "
    "ôt (1,5); ư (0-5); ưa (0-5); ưc (1,5); ưi (0,1,3,4,5); ưng (0-5); ưt (1,5); ưu (0-5); "
    "ươc (1,5); ươi (0-5); ươm (0-5); ươn (0-5); ương (0-5); ươp (1,5); ươt (1,5); "
    "ươu (0,1,2,5); ăc (1,5); ăm (0-5); ăn (0-5); ăng (0-5); ăp (1,5); ăt (1,5); ơ (0-5); "
    "ơi (0-5); ơm (0-5); ơn (0-5); ơp (1,5); ơt (1,4,5)";

// Tones that real words of the word list carry beyond the list above (béng, coóc, oẳn,
// khuỵu, yểng).
const std::map<std::string, std::set<int>> ExtraTones = {
    {"eng", {1}}, {"ooc", {1}}, {"oăn", {3}}, {"uyu", {5}}, {"yêng", {3}}};

struct ListedRime {
    std::string Utf8;
    std::set<int> Tones;
};

std::vector<ListedRime> ListedRimes() {
    std::vector<ListedRime> out;
    std::string_view list = RimeList;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find("; "), list.size());
        const std::string_view item = list.substr(0, end);
        list.remove_prefix(std::min(end + 2, list.size()));
        const std::size_t open = item.find(" (");
        ListedRime r{std::string(item.substr(0, open)), {}};
        std::string_view tones = item.substr(open + 2, item.size() - open - 3);
        if (tones.size() == 3 && tones[1] == '-') {
            for (int t = tones[0] - '0'; t <= tones[2] - '0'; ++t) r.Tones.insert(t);
        } else {
            for (char c : tones)
                if (c != ',') r.Tones.insert(c - '0');
        }
        out.push_back(r);
    }
    return out;
}

std::string Key(const std::array<unsigned char, tavi::RimeMax>& rime) {
    std::string s;
    for (unsigned char c : rime)
        if (c) s += static_cast<char>(c);
    return s;
}

TEST(SpellLetters, BaseAndToneOfEveryLetterOfTheOneByteCode) {
    // The "Vni for Dos" table lists the 146 letters in the letter order: 12 vowels with six
    // tones each, đ, then the capitals in the same order.
    const std::string table = tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Dos.vnc");
    const auto entries = tavi::SplitTableEntries(table);
    ASSERT_EQ(entries.size(), 146u);
    const unsigned char vowels[] = {97, 232, 131, 101, 136, 105, 111, 147, 243, 117, 159, 121};
    for (std::size_t k = 0; k < 146; ++k) {
        ASSERT_EQ(entries[k].size(), 1u) << k + 1;
        const unsigned char c = static_cast<unsigned char>(entries[k][0]);
        const std::size_t inCase = k % 73;
        const unsigned char base = inCase == 72 ? 173 : vowels[inCase / 6];
        const int tone = inCase == 72 ? 0 : static_cast<int>(inCase % 6);
        EXPECT_EQ(tavi::SpellBase(c), base) << "entry " << k + 1;
        EXPECT_EQ(tavi::SpellTone(c), tone) << "entry " << k + 1;
    }
    // The third form of á, the capitals of ASCII and the bytes that are no letter.
    EXPECT_EQ(tavi::SpellBase(255), 97);
    EXPECT_EQ(tavi::SpellTone(255), 1);
    for (unsigned c = 'A'; c <= 'Z'; ++c) EXPECT_EQ(tavi::SpellBase(c), c + 32);
    for (unsigned char c : {'0', '-', '\t', '['}) {
        EXPECT_EQ(tavi::SpellBase(c), c);
        EXPECT_EQ(tavi::SpellTone(c), 0);
    }
}

TEST(SpellLetters, FortyTwoConsonantBytes) {
    std::string consonants;
    for (unsigned c = 0; c < 256; ++c)
        if (tavi::IsSpellConsonant(static_cast<unsigned char>(c)))
            consonants += static_cast<char>(c);
    EXPECT_EQ(consonants, "BCDFGHJKLMNPQRSTVWXZbcdfghjklmnpqrstvwxz\xAD\xAE");
}

TEST(RimeTable, HoldsTheRimesInOrderWithTheirTones) {
    FromUnicode toDos("Vni for Dos");
    const auto listed = ListedRimes();
    ASSERT_EQ(listed.size(), tavi::RimeCount);
    for (std::size_t i = 0; i < tavi::RimeCount; ++i) {
        const auto& entry = RimeTable[i];
        EXPECT_EQ(Key(entry.Rime), toDos(listed[i].Utf8)) << listed[i].Utf8;
        if (i > 0) {
            EXPECT_LT(RimeTable[i - 1].Rime, entry.Rime) << listed[i].Utf8;
        }
        std::set<int> allowed = listed[i].Tones;
        if (auto it = ExtraTones.find(listed[i].Utf8); it != ExtraTones.end())
            allowed.insert(it->second.begin(), it->second.end());
        for (int tone = 0; tone < 6; ++tone) {
            const std::uint32_t mask = entry.Masks[static_cast<std::size_t>(tone)];
            EXPECT_EQ(mask >> 28, 0u) << listed[i].Utf8;
            if (!allowed.count(tone)) {
                EXPECT_EQ(mask, 0u) << listed[i].Utf8 << " tone " << tone;
            }
        }
        EXPECT_EQ(tavi::FindRime(Key(entry.Rime)), &entry) << listed[i].Utf8;
    }
    for (const char* absent : {"", "b", "ab", "oaa", "uyênh", "\xFF"})
        EXPECT_EQ(tavi::FindRime(absent), nullptr) << absent;
}

TEST(RimeTable, KnownRowsExactly) {
    const auto& known = tavitest::KnownRimeRows();
    for (const auto& [rime, masks] : known) {
        const tavi::TRimeEntry* entry = tavi::FindRime(rime);
        ASSERT_NE(entry, nullptr) << rime;
        EXPECT_EQ(entry->Masks, masks) << rime;
    }
}

// Every mask bit is a syllable of the inventory and every syllable of the inventory is a mask
// bit; every syllable is accepted as written, with a capital and in capitals.
TEST(RimeTable, AgreesWithTheSyllableInventoryBothWays) {
    FromUnicode toDos("Vni for Dos");
    // Small letters to capitals in the one-byte code: entry k and entry k + 73 of the table.
    const std::string table = tavitest::ReadFile(tavitest::DataDir() / "VNCFiles/Vni for Dos.vnc");
    const auto entries = tavi::SplitTableEntries(table);
    std::array<unsigned char, 256> upper{};
    for (unsigned c = 0; c < 256; ++c)
        upper[c] = static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    for (std::size_t k = 0; k < 73; ++k)
        upper[static_cast<unsigned char>(entries[k][0])] =
            static_cast<unsigned char>(entries[k + 73][0]);
    const auto capitals = [&](std::string s, std::size_t count) {
        for (std::size_t i = 0; i < std::min(count, s.size()); ++i)
            s[i] = static_cast<char>(upper[static_cast<unsigned char>(s[i])]);
        return s;
    };

    std::map<std::string, std::array<std::uint32_t, 6>> masks;
    const auto inventory = Inventory();
    ASSERT_GT(inventory.size(), 6500u);
    for (const std::string& syllable : inventory) {
        const std::string word = toDos(syllable);
        const auto parts = tavi::SplitSyllable(word);
        ASSERT_TRUE(parts) << syllable;
        masks[parts->Rime][static_cast<std::size_t>(parts->Tone)] |= 1u << parts->Initial;
        EXPECT_TRUE(tavi::IsValidSyllable(word)) << syllable;
        EXPECT_TRUE(tavi::IsValidSyllable(capitals(word, 1))) << syllable;
        EXPECT_TRUE(tavi::IsValidSyllable(capitals(word, word.size()))) << syllable;
    }
    for (const auto& entry : RimeTable) {
        std::array<std::uint32_t, 6> expected{};
        if (auto it = masks.find(Key(entry.Rime)); it != masks.end()) expected = it->second;
        EXPECT_EQ(entry.Masks, expected) << Key(entry.Rime);
    }
    EXPECT_EQ(masks.size(), tavi::RimeCount); // every rime has a syllable
}

TEST(SyllableTest, AcceptsAndRefuses) {
    FromUnicode toDos("Vni for Dos");
    const struct {
        const char* word;
        bool valid;
    } cases[] = {
        {"bit", false}, // tone 0 with rime it is allowed only with no initial or ch
        {"it", true},     {"chit", true},     {"bít", true},       {"tiếngg", false},
        {"viêtj", false},                                                         // no such rime
        {"hoàá", false},  {"tíếng", false},                                       // two tones
        {"gi", false},    {"qu", false},      {"GI", false},       {"QU", false}, // empty rime
        {"gì", true},     {"GÌ", true},       {"gìn", true},       {"giữ", true},
        {"quốc", true},   {"QUỐC", true},     {"GIÀ", true},       {"Quốc", true},
        {"fa", false},    {"ja", false},      {"wa", false},       {"za", false},
        {"Fa", false},    {"nghiêng", true},  {"nghiêngg", false}, // 7 and 8 bytes
        {"nghhĩ", false}, {"khoanhh", false}, // a fourth consonant, a fifth rime letter
        {"khoanh", true}, {"khuya", true},    {"nguya", false},    {"quỳnh", true},
        {"quynh", false}, {"huỳnh", true},    {"gha", false},      {"ghe", true},
        {"ka", false},    {"kê", true},       {"đường", true},     {"Đường", true},
        {"ĐƯỜNG", true},  {"soóc", true},     {"khuỵu", true},     {"béng", true},
        {"yểng", true},   {"", false},        {"b", false},        {"a", true},
        {"y", true},
    };
    for (const auto& c : cases) EXPECT_EQ(tavi::IsValidSyllable(toDos(c.word)), c.valid) << c.word;
    // The split itself.
    const auto parts = tavi::SplitSyllable(toDos("nghiêng"));
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->Initial, 16);
    EXPECT_EQ(parts->Rime, "i\x88ng");
    EXPECT_EQ(parts->Tone, 0);
    const auto gi = tavi::SplitSyllable(toDos("gì"));
    ASSERT_TRUE(gi);
    EXPECT_EQ(gi->Initial, 6);
    EXPECT_EQ(gi->Rime, "i");
    EXPECT_EQ(gi->Tone, 2);
}

} // namespace

// The voice's real data: the prompt catalogue, the syllable inventory, the built dictionary and
// abbreviation list, and the dictionary builder itself.
#include "speechtest.h"
#include "support/knownrimes.h"

#include "platform/errors.h"
#include "speech/loudness.h"
#include "support/corpus.h"

#include <gtest/gtest.h>

#include <array>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <map>
#include <numbers>
#include <set>

using speechtest::Reading;
using tavi::TTextReader;
using tavitest::DataDir;
using tavitest::ReadFile;
using tavitest::SourceDir;
namespace fs = std::filesystem;

namespace {

// Every message key that the program speaks somewhere.
const std::vector<std::string> MessageKeys = {
    "zzzmesa",  "zzzmesac",  "zzzmesaf",  "zzzmesag",  "zzzmesaja", "zzzmesak",  "zzzmesam",
    "zzzmesan", "zzzmesaqa", "zzzmesasa", "zzzmesba",  "zzzmesbb",  "zzzmesbc",  "zzzmesbd",
    "zzzmesbe", "zzzmesbf",  "zzzmesbi",  "zzzmesbja", "zzzmesbl",  "zzzmesbn",  "zzzmesbo",
    "zzzmesbp", "zzzmesbr",  "zzzmesbsa", "zzzmesbv",  "zzzmesca",  "zzzmescc",  "zzzmesce",
    "zzzmescg", "zzzmesci",  "zzzmescu",  "zzzmescw",  "zzzmesde",  "zzzmesdf",  "zzzmesdg",
    "zzzmesdh", "zzzmesdi",  "zzzmesdk",  "zzzmesdn",  "zzzmesdo",  "zzzmesdr",  "zzzmesdt",
    "zzzmesdw", "zzzmesdx",  "zzzmesdy",  "zzzmesdza", "zzzmeseja", "zzzmesek",  "zzzmesel",
    "zzzmesem", "zzzmesen",  "zzzmeseo",  "zzzmesep",  "zzzmeseqa", "zzzmeser",  "zzzmesesa",
    "zzzmeset", "zzzmeseu",  "zzzmesev",  "zzzmesew",  "zzzmesexa", "zzzmesey",  "zzzmeseza",
    "zzzmesfa", "zzzmesfb",  "zzzmesfc",  "zzzmesfd",  "zzzmesfe",  "zzzmesfg",  "zzzmesfh",
    "zzzmesfi", "zzzmesfja", "zzzmesfk",  "zzzmesfl",  "zzzmesfm",  "zzzmesfn",  "zzzmesfo",
    "zzzmesfp", "zzzmesfqa", "zzzmesfr",  "zzzmesfsa", "zzzmesft",  "zzzmesgb",  "zzzmesgc",
    "zzzmesgd", "zzzmesge",  "zzzmesgg",  "zzzmesgh",  "zzzmesgk",  "zzzmesgl",  "zzzmesgm",
    "zzzmesgn", "zzzmesgo",  "zzzmesgp",  "zzzmesgqa", "zzzmesgr",  "zzzmesgsa", "zzzmesgt",
    "zzzmesgu", "zzzmesgv",  "zzzmesgw",  "zzzmesha",  "zzzmesjo",  "zzzmesjp",  "zzzmesjt",
    "zzzmesju", "zzzmesjv",  "zzzmesjw",  "zzzmesjx",  "zzzmeski",  "zzzmeskj",  "zzzmeskk",
    "zzzmeskl", "zzzmeskm",  "zzzmeskn",  "zzzmesko",  "zzzmeskp",  "zzzmeskr",  "zzzmesks",
    "zzzmesku", "zzzmeskv",  "zzzmeskz",  "zzzmesla",  "zzzmeslc",  "zzzmesld",  "zzzmesle",
    "zzzmeslf", "zzzmeslg",  "zzzmeslh",  "zzzmesp",   "zzzmesrc",  "zzzmessa",  "zzzmesu",
    "zzzmesv",  "zzzmeswa",  "zzzmeswb",  "zzzmeswc",  "zzzmeswd",  "zzzmesya",  "zzzmesyb",
    "zzzmesyc", "zzzmesyd",  "zzzmesye",
};

std::map<std::string, std::string> Catalogue() {
    std::map<std::string, std::string> out;
    for (const std::string& line :
         tavi::SplitLines(ReadFile(SourceDir() / "data/speech/prompts.txt"))) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        EXPECT_NE(tab, std::string::npos) << line;
        if (tab != std::string::npos) out[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return out;
}

std::vector<std::string> Inventory() {
    std::vector<std::string> out;
    for (const std::string& line : tavi::SplitLines(ReadFile(SourceDir() / "data/syllables.txt")))
        if (!line.empty()) out.push_back(line);
    return out;
}

TEST(PromptCatalogue, HasEveryMessageKey) {
    EXPECT_EQ(MessageKeys.size(), 143u);
    const auto catalogue = Catalogue();
    for (const std::string& key : MessageKeys) {
        const auto it = catalogue.find(key);
        ASSERT_NE(it, catalogue.end()) << key << " has no prompt";
        EXPECT_FALSE(tavi::TrimSpaces(it->second).empty()) << key;
    }
    for (const auto& [key, text] : catalogue) {
        EXPECT_LE(key.size(), tavi::IndexNameMax) << key;
        EXPECT_EQ(TTextReader::MakeSoundKey(key), key) << key << " would never be found";
    }
}

// A syllable in the reading code split as the spelling checker splits it: initial class, rime
// (base letters) and tone.
struct Split {
    int Initial = -1;
    std::string Rime;
    int Tone = 0;
};

Split SplitSyllable(const std::string& code) {
    static const std::array<std::string, 28> initials = {
        "",  "b",  "c",   "ch", "d", "\xAD", "g",  "gh", "gi", "h", "k",  "kh", "l", "m",
        "n", "ng", "ngh", "nh", "p", "ph",   "qu", "r",  "s",  "t", "th", "tr", "v", "x"};
    const std::string consonants = "bcdfghjklmnpqrstvwxz\xAD";
    // Letters with the tone of each (a digit after a letter is its tone).
    std::vector<std::pair<char, int>> letters;
    for (char c : code) {
        if (c >= '1' && c <= '5' && !letters.empty())
            letters.back().second = c - '0';
        else
            letters.push_back({c, 0});
    }
    Split s;
    std::size_t i = 0;
    std::string initial;
    while (i < letters.size() && consonants.find(letters[i].first) != std::string::npos)
        initial += letters[i++].first;
    if ((initial == "g" || initial == "q") && i < letters.size() &&
        letters[i] == std::pair<char, int>{initial == "g" ? 'i' : 'u', 0})
        initial += letters[i++].first;
    for (std::size_t k = 0; k < initials.size(); ++k)
        if (initials[k] == initial) s.Initial = static_cast<int>(k);
    for (; i < letters.size(); ++i) {
        s.Rime += letters[i].first;
        if (letters[i].second) s.Tone = letters[i].second;
    }
    return s;
}

TEST(SyllableInventory, GivesTheKnownRimeMasks) {
    const auto& known = tavitest::KnownRimeRows();
    std::map<std::string, std::array<std::uint32_t, 6>> masks;
    std::set<std::string> rimes;
    for (const std::string& syllable : Inventory()) {
        const Split s = SplitSyllable(Reading(syllable));
        ASSERT_GE(s.Initial, 0) << syllable;
        ASSERT_FALSE(s.Rime.empty()) << syllable;
        masks[s.Rime][s.Tone] |= 1u << s.Initial;
        rimes.insert(s.Rime);
    }
    for (const auto& [rime, row] : known) EXPECT_EQ(masks[rime], row) << rime;
    EXPECT_GE(rimes.size(), 157u);
}

TEST(SyllableInventory, HoldsEverySyllableOfRealProse) {
    std::set<std::string> keys;
    for (const std::string& s : Inventory()) {
        EXPECT_TRUE(keys.insert(TTextReader::MakeSoundKey(Reading(s))).second) << s << " twice";
    }
    EXPECT_GT(keys.size(), 6000u);
    std::size_t words = 0;
    for (const std::string& paragraph : tavitest::VietnameseProse()) {
        std::string text = paragraph;
        for (char& c : text)
            if (std::string(",.;:!?()[]{}<>\"'").find(c) != std::string::npos) c = ' ';
        for (std::string_view w : tavi::TextWords(text)) {
            const std::string word(w);
            const std::string code = Reading(word);
            // Words with a Vietnamese letter; runs of two syllables that lost their blank in
            // the corpus have two tones and are left out.
            const bool vietnamese =
                std::any_of(word.begin(), word.end(), [](char c) { return c & 0x80; });
            const auto tones = std::count_if(code.begin(), code.end(),
                                             [](char c) { return c >= '1' && c <= '5'; });
            if (!vietnamese || tones > 1 ||
                word.find_first_of("-/_0123456789") != std::string::npos)
                continue;
            ++words;
            EXPECT_TRUE(keys.count(TTextReader::MakeSoundKey(code))) << word;
        }
    }
    EXPECT_GT(words, 1000u);
}

// Sample k of 16-bit samples.
int Sample(const std::string& d, std::size_t k) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(
        static_cast<unsigned char>(d[2 * k]) | static_cast<unsigned char>(d[2 * k + 1]) << 8));
}

// The share of the energy of 16-bit samples that lies above a frequency, summed over the
// spectra of pieces of 256 samples.
double EnergyAbove(const std::string& d, double rate, double hz) {
    constexpr std::size_t n = 256;
    double above = 0, total = 0;
    for (std::size_t at = 0; at + n <= d.size() / 2; at += n) {
        for (std::size_t k = 1; k < n / 2; ++k) {
            std::complex<double> x = 0;
            for (std::size_t i = 0; i < n; ++i)
                x += static_cast<double>(Sample(d, at + i)) *
                     std::polar(1.0, -2 * std::numbers::pi * static_cast<double>(k * i) / n);
            total += std::norm(x);
            if (k * rate / n > hz) above += std::norm(x);
        }
    }
    return total > 0 ? above / total : 0;
}

#ifdef TAVI_HAVE_DICT

// The level of sample k on the scale of 8-bit samples (0 to 128).
int Level(const std::string& d, std::size_t k) {
    return std::abs(Sample(d, k)) / 256;
}

TEST(BuiltDictionary, HoldsEveryUnitTheReaderNeeds) {
    tavi::TSoundData store(DataDir() / "dict.dat", DataDir() / "dict.idx");
    const tavi::TSoundFormat& f = store.ReadFormat();
    EXPECT_EQ(f.FormatTag, 1);
    EXPECT_EQ(f.Channels, 1);
    EXPECT_EQ(f.SamplesPerSec, 22050u); // espeak-ng's own format: nothing above 5.5 kHz is lost
    EXPECT_EQ(f.BitsPerSample, 16);
    for (const std::string& key : MessageKeys) EXPECT_NE(store.Find(key), nullptr) << key;
    for (const std::string& s : Inventory())
        EXPECT_NE(store.Find(TTextReader::MakeSoundKey(Reading(s))), nullptr) << s;
    for (const char* letters :
         {"abcdefghijklmnopqrstuvwxyz0123456789", ",.;:?!()-+=/", "\xE8\x83\xAD\x88\x93\xF3\x9F"})
        for (const char* p = letters; *p; ++p)
            EXPECT_NE(store.Find(std::string(1, *p)), nullptr) << *p;
    EXPECT_EQ(store.Find(" "), nullptr); // a blank must stay silent
}

TEST(BuiltDictionary, UnitsAreTrimmedSoundWithinTheDataFile) {
    tavi::TSoundData store(DataDir() / "dict.dat", DataDir() / "dict.idx");
    ASSERT_EQ(store.ReadFormat().Bytes(), tavi::Pcm16Format.Bytes());
    const auto& entries = store.Entries();
    std::size_t checked = 0;
    for (std::size_t i = 0; i < entries.size(); i += 97) { // a spread sample
        const tavi::TIndexRecord& r = entries[i];
        ASSERT_GE(r.Offset, 16);
        ASSERT_LE(static_cast<std::uint64_t>(r.Offset) + static_cast<std::uint64_t>(r.Size),
                  store.DataSize());
        tavi::TMemoryStream unit;
        store.AppendSound(r, unit);
        const auto& d = unit.Data;
        const std::size_t frames = d.size() / 2;
        ASSERT_EQ(d.size() % 2, 0u) << r.Name;
        ASSERT_GT(frames, 600u) << r.Name; // at least 27 ms of sound
        const auto level = [&](std::size_t k) { return Level(d, k); };
        EXPECT_LE(level(0), 2) << r.Name;          // fades in from silence
        EXPECT_LE(level(frames - 1), 2) << r.Name; // and back out
        int loudest = 0;
        for (std::size_t k = 0; k < std::min<std::size_t>(frames, 882); ++k)
            loudest = std::max(loudest, level(k));
        EXPECT_GE(loudest, 3) << r.Name << ": no sound in the first 40 ms";
        ++checked;
    }
    EXPECT_GT(checked, 60u);
}

// Every unit at one loudness: the widest gap between two units, over the whole inventory
// and over the syllables alone. The gap between the extremes, not between percentiles: a
// listener hears every odd syllable, and there are thousands, so none may be left out.
TEST(BuiltDictionary, UnitsAreEquallyLoudAndNoneIsClipped) {
    tavi::TSoundData store(DataDir() / "dict.dat", DataDir() / "dict.idx");
    ASSERT_EQ(store.ReadFormat().Bytes(), tavi::Pcm16Format.Bytes());
    std::set<std::string> syllables;
    for (const std::string& s : Inventory())
        syllables.insert(TTextReader::MakeSoundKey(Reading(s)));
    const int ceiling = static_cast<int>(tavi::TLevelling().Ceiling * 32768) + 1;
    std::vector<double> all, spoken;
    for (const tavi::TIndexRecord& r : store.Entries()) {
        tavi::TMemoryStream unit;
        store.AppendSound(r, unit);
        std::vector<float> samples(unit.Data.size() / 2);
        for (std::size_t k = 0; k < samples.size(); ++k) {
            samples[k] = static_cast<float>(Sample(unit.Data, k)) / 32768;
            ASSERT_LE(std::abs(Sample(unit.Data, k)), ceiling) << r.Name << " is clipped";
        }
        const std::optional<double> level = tavi::UnitLoudness(samples, 22050);
        ASSERT_TRUE(level) << r.Name << " is silent";
        all.push_back(*level);
        if (syllables.count(r.Name)) spoken.push_back(*level);
    }
    EXPECT_EQ(spoken.size(), syllables.size());
    for (const auto* levels : {&all, &spoken}) {
        const auto [low, high] = std::minmax_element(levels->begin(), levels->end());
        std::printf("%zu units from %.2f to %.2f dB\n", levels->size(), *low, *high);
        EXPECT_LE(*high - *low, 3.0);
    }
}

TEST(BuiltDictionary, ReadsVietnameseWithoutSpellingOut) {
    tavi::TWordReader reader(DataDir() / "dict.dat", DataDir() / "dict.idx",
                             DataDir() / "abbr.txt");
    reader.SetCodeTable("Unicode");
    std::vector<std::string> units;
    reader.OnUnit = [&](const tavi::TIndexRecord& r) { units.push_back(r.Name); };
    tavi::TMemoryStream& source =
        reader.ConvertText("Người Việt Nam đọc sách ở UBND TP HCM, năm 2003: 1.234,5 đồng.");
    while (!source.AtEnd()) reader.BuildChunk(source, reader.Buffer);
    // A colon is no attached mark: it starts a token of its own and is read.
    const std::vector<std::string> expected = speechtest::KeysOf(
        "Người Việt Nam đọc sách ở ủy ban nhân dân thành phố Hồ Chí Minh năm hai không không ba : "
        "một ngàn hai trăm ba mươi bốn phẩy năm đồng");
    EXPECT_EQ(units, expected);
    EXPECT_GT(reader.Buffer.Size(), reader.Sounds->ReadFormat().AvgBytesPerSec); // over a second
}

TEST(BuiltAbbreviations, SortedReadingCodeLinesWithCrLf) {
    const std::string text = ReadFile(DataDir() / "abbr.txt");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
    std::string previous;
    for (const std::string& line : tavi::SplitLines(text)) {
        const std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        const std::string key = tavi::TrimSpaces(line.substr(0, tab));
        EXPECT_LT(previous, key); // std::string compares bytes unsigned
        previous = key;
    }
    EXPECT_NE(text.find("TP\ttha2nh ph\x93\x31\r\n"), std::string::npos);
}

#endif // TAVI_HAVE_DICT

// Runs the dictionary builder; returns its exit status and output.
std::pair<int, std::string> RunBuilder(const std::string& args) {
    const std::string command = std::string(TAVI_DICTBUILD) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    std::string out;
    char buf[512];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    const int status = pclose(p);
    return {WEXITSTATUS(status), out};
}

// A 16-bit stereo WAV at 44100 Hz: 0.2 s of silence, 0.3 s of a 440 Hz tone, 0.2 s of silence.
std::string ToneWav() {
    std::string pcm;
    for (int i = 0; i < 44100 * 7 / 10; ++i) {
        const bool on = i >= 8820 && i < 8820 + 13230;
        const auto v =
            static_cast<std::int16_t>(on ? 20000 * std::sin(i * 2 * 3.14159265 * 440 / 44100) : 0);
        for (int ch = 0; ch < 2; ++ch) pcm.append(reinterpret_cast<const char*>(&v), 2);
    }
    tavi::TSoundFormat f{1, 2, 44100, 44100 * 4, 4, 16};
    return tavi::WaveFileBytes(f, pcm);
}

// A 32-bit float WAV of a tenth of a second whose middle sample is not a number.
std::string NotANumberWav() {
    std::vector<float> samples(2205, 0.25f);
    samples[1102] = std::numeric_limits<float>::quiet_NaN();
    const tavi::TSoundFormat f{3, 1, 22050, 22050 * 4, 4, 32};
    return tavi::WaveFileBytes(
        f, {reinterpret_cast<const char*>(samples.data()), samples.size() * sizeof(float)});
}

TEST(DictionaryBuilder, RecordingsReplaceSyntheticUnitsAndBuildsAreCached) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "syl.txt", "ba\nmột\n");
    tavitest::WriteFile(dir / "names.txt", "b\tbê\n,\tphẩy\n");
    tavitest::WriteFile(dir / "prompts.txt", "# comment\nzzzmesa\tTrở lại soạn thảo.\n");
    tavitest::WriteFile(dir / "rec/ba.wav", ToneWav());
    const std::string args =
        "dict --tables " + (SourceDir() / "data/VNCFiles").string() + " --syllables " +
        (dir / "syl.txt").string() + " --names " + (dir / "names.txt").string() + " --prompts " +
        (dir / "prompts.txt").string() + " --recordings " + (dir / "rec").string() + " --data " +
        (dir / "d.dat").string() + " --index " + (dir / "d.idx").string() + " --jobs 2 --bits 8";
    auto [status, out] = RunBuilder(args);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("5 units"), std::string::npos) << out;
    {
        tavi::TSoundData store(dir / "d.dat", dir / "d.idx");
        EXPECT_EQ(store.Entries().size(), 5u);
        tavi::TMemoryStream ba, comma;
        store.AppendSound(*store.Find("ba"), ba);
        // The tone's 0.3 s, with its silences cut to a few milliseconds.
        EXPECT_NEAR(static_cast<double>(ba.Size()), 0.3 * 11025, 0.02 * 11025);
        store.AppendSound(*store.Find(","), comma);
        EXPECT_GT(comma.Size(), 1000u); // "phẩy" from the synthetic voice
        // The recording is brought to the loudness of the synthetic units.
        for (const tavi::TMemoryStream* unit : {&ba, &comma}) {
            std::vector<float> samples;
            for (char c : unit->Data)
                samples.push_back((static_cast<unsigned char>(c) - 128) / 128.f);
            EXPECT_NEAR(tavi::UnitLoudness(samples, 11025).value_or(0), tavi::TLevelling().Target,
                        0.5);
        }
        EXPECT_NE(store.Find(TTextReader::MakeSoundKey(Reading("một"))), nullptr);
    }
    const std::string before = ReadFile(dir / "d.dat");
    std::tie(status, out) = RunBuilder(args);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("up to date"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(dir / "d.dat"), before);

    tavitest::WriteFile(dir / "prompts.txt", "zzzmesa\tVăn bản.\n"); // a changed input rebuilds
    std::tie(status, out) = RunBuilder(args);
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(out.find("up to date"), std::string::npos) << out;
    EXPECT_NE(ReadFile(dir / "d.dat"), before);
}

TEST(DictionaryBuilder, SixteenBitUnitsKeepTheHissAndLastAsLongAsEightBitOnes) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "syl.txt", "xa\nba\n");
    tavitest::WriteFile(dir / "names.txt", "b\tbê\n");
    tavitest::WriteFile(dir / "prompts.txt", "zzzmesa\tXin chào.\n");
    tavitest::WriteFile(dir / "rec/ba.wav", ToneWav());
    const std::string lists =
        "dict --tables " + (SourceDir() / "data/VNCFiles").string() + " --syllables " +
        (dir / "syl.txt").string() + " --names " + (dir / "names.txt").string() + " --prompts " +
        (dir / "prompts.txt").string() + " --recordings " + (dir / "rec").string();
    std::map<std::string, double> seconds; // of the same text read with each dictionary
    for (const std::string bits : {"16", "8"}) {
        const fs::path data = dir / (bits + ".dat"), index = dir / (bits + ".idx");
        const auto [status, out] = RunBuilder(lists + " --bits " + bits + " --data " +
                                              data.string() + " --index " + index.string());
        ASSERT_EQ(status, 0) << out;
        tavi::TWordReader reader(data, index, "");
        reader.SetCodeTable("Unicode");
        const std::string sound = reader.WholeSound("xa, ba zzzmesa");
        const tavi::TSoundFormat& f = reader.Sounds->ReadFormat();
        EXPECT_EQ(f.BitsPerSample, std::stoi(bits));
        EXPECT_EQ(sound.size() % f.BlockAlign, 0u);
        seconds[bits] = static_cast<double>(sound.size()) / f.AvgBytesPerSec;
    }
    EXPECT_NEAR(seconds["16"], seconds["8"], 0.02 * seconds["8"]);
    tavi::TSoundData store(dir / "16.dat", dir / "16.idx");
    EXPECT_EQ(store.ReadFormat().Bytes(), tavi::Pcm16Format.Bytes());
    tavi::TMemoryStream ba, xa;
    store.AppendSound(*store.Find("ba"), ba); // the recording's 0.3 s, at 22050 Hz
    EXPECT_NEAR(static_cast<double>(ba.Size()), 0.3 * 44100, 0.02 * 44100);
    store.AppendSound(*store.Find("xa"), xa); // about 1 %: the hiss of x, which 11025 Hz loses
    EXPECT_GT(EnergyAbove(xa.Data, 22050, 5500), 0.004);
}

TEST(DictionaryBuilder, RefusesBadLists) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "syl.txt", "ba\nthành\nphố\n");
    tavitest::WriteFile(dir / "names.txt", "b\tbê\n");
    const std::string common = "--tables " + (SourceDir() / "data/VNCFiles").string() +
                               " --syllables " + (dir / "syl.txt").string() + " --names " +
                               (dir / "names.txt").string();
    const struct {
        std::string prompts, abbr;
        const char* error;
        std::string recording = {}; // of "ba"
    } cases[] = {
        {"zzzmesa\tA.\nzzzmesa\tB.\n", "", "same key"},
        {"zzzmesA\tA.\n", "", "not a message key"},
        {"zzzmesa no tab\n", "", "expected a key"},
        {"zzzmesa\tA.\n", "TP\tthành phố\nTP\tthành phố\n", "listed twice"},
        {"zzzmesa\tA.\n", "BA\tthành\n", "would never be expanded"},
        {"zzzmesa\tA.\n", "TP\tthành phốx\n", "not a syllable"},
        {"zzzmesa\tA.\n", "", "ba.wav: a sample is not a number", NotANumberWav()},
    };
    for (const auto& c : cases) {
        tavitest::WriteFile(dir / "prompts.txt", c.prompts);
        tavitest::WriteFile(dir / "abbr-src.txt", c.abbr);
        tavitest::WriteFile(dir / "rec/ba.wav", c.recording.empty() ? ToneWav() : c.recording);
        const auto [status, out] =
            c.abbr.empty()
                ? RunBuilder("dict " + common + " --prompts " + (dir / "prompts.txt").string() +
                             " --recordings " + (dir / "rec").string() + " --data " +
                             (dir / "d.dat").string() + " --index " + (dir / "d.idx").string())
                : RunBuilder("abbr " + common + " " + (dir / "abbr-src.txt").string() + " " +
                             (dir / "abbr.txt").string());
        EXPECT_NE(status, 0) << c.error;
        EXPECT_NE(out.find(c.error), std::string::npos) << out;
    }
    tavitest::WriteFile(dir / "abbr-src.txt", "# list\nTP\tthành phố\nBCH\tba\n");
    const auto [status, out] = RunBuilder("abbr " + common + " " + (dir / "abbr-src.txt").string() +
                                          " " + (dir / "abbr.txt").string());
    ASSERT_EQ(status, 0) << out;
    EXPECT_EQ(ReadFile(dir / "abbr.txt"), "BCH\tba\r\nTP\ttha2nh ph\x93\x31\r\n");
}

} // namespace

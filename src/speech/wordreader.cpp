#include "speech/wordreader.h"

#include "platform/errors.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace tavi {

namespace {

using ByteSet = std::array<bool, 256>;

struct Range {
    unsigned char lo, hi;
};

ByteSet MakeSet(std::initializer_list<Range> ranges) {
    ByteSet s{};
    for (const Range& r : ranges)
        for (unsigned c = r.lo; c <= r.hi; ++c) s[c] = true;
    return s;
}

const ByteSet WordSet = MakeSet({{0x2D, 0x2D},
                                 {0x30, 0x39},
                                 {0x3C, 0x3E},
                                 {0x41, 0x5A},
                                 {0x61, 0x7A},
                                 {0x83, 0x83},
                                 {0x88, 0x88},
                                 {0x93, 0x93},
                                 {0x9F, 0x9F},
                                 {0xAD, 0xAE},
                                 {0xE8, 0xE8},
                                 {0xF3, 0xF3},
                                 {0xF9, 0xFE}});
const ByteSet DroppedSet = MakeSet({{0x09, 0x0A},
                                    {0x0D, 0x0D},
                                    {0x21, 0x29},
                                    {0x2C, 0x2C},
                                    {0x2E, 0x2E},
                                    {0x3B, 0x3B},
                                    {0x3F, 0x40},
                                    {0x5B, 0x5D},
                                    {0x5F, 0x5F},
                                    {0xDE, 0xDE}});
const ByteSet ShortPauseSet = MakeSet({{0x09, 0x09},
                                       {0x22, 0x29},
                                       {0x2C, 0x2C},
                                       {0x40, 0x40},
                                       {0x5B, 0x5D},
                                       {0x5F, 0x5F},
                                       {0xDE, 0xDE}});
const ByteSet LongPauseSet =
    MakeSet({{0x0A, 0x0A}, {0x0D, 0x0D}, {0x21, 0x21}, {0x2E, 0x2E}, {0x3A, 0x3B}, {0x3F, 0x3F}});
const ByteSet SignSet =
    MakeSet({{0x2B, 0x2B}, {0x2D, 0x2D}, {0x2F, 0x2F}, {0x3D, 0x3D}, {0x5C, 0x5C}});
const ByteSet SignNeighbourSet =
    MakeSet({{0x30, 0x39}, {0x40, 0x5A}, {0x5E, 0x5E}, {0x60, 0x7E}, {0x80, 0xFF}});

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

unsigned char At(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool ByteLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

// The number words, each with its trailing blank.
constexpr std::array<std::string_view, 10> DigitWords = {"kh\x93ng ", "m\x93t5 ", "hai ",  "ba ",
                                                         "b\x93n1 ",  "n\xE8m ",  "sau1 ", "bay3 ",
                                                         "tam1 ",     "chin1 "};
constexpr std::array<std::string_view, 3> PlaceWords = {"", "m\x9F\xF3i ", "tr\xE8m "};
constexpr std::array<std::string_view, 3> GroupNames = {"ngan2 ", "tri\x88u5 ", "ti3 "};
constexpr std::string_view LeWord = "le3 ";
constexpr std::string_view TenWord = "m\x9F\xF3i2 ";
constexpr std::string_view MotWord = "m\x93t1 ";
constexpr std::string_view LamWord = "l\xE8m ";
constexpr std::string_view CommaWord = "ph\x83y3 ";
constexpr std::string_view StopWord = "ch\x83m1 ";
constexpr std::string_view SlashWord = "tr\x88n ";
constexpr std::string_view MonthWord = "thang1 ";
constexpr std::string_view YearWord = "n\xE8m ";

std::string_view DigitWord(unsigned char c) {
    return IsDigit(c) ? DigitWords[c - '0'] : std::string_view();
}

int NumberKind(std::string_view s) {
    int kind = 2;
    if (s.find_first_of(",.") != std::string_view::npos) {
        char sep = 0;
        int n = 0;
        bool decided = false;
        for (char b : s) {
            if (b == ',' || b == '.') {
                if ((sep == 0 && n >= 1 && n <= 3) || (sep == '.' && n == 3)) {
                    sep = b;
                    n = 0;
                } else {
                    kind = 1;
                    decided = true;
                    break;
                }
            }
            if (IsDigit(static_cast<unsigned char>(b))) ++n;
        }
        if (!decided && sep == '.' && n != 3) kind = 1;
    } else if (s.size() > 3) {
        kind = 3;
    }
    if (s.find_first_of("*+-/:<=>") != std::string_view::npos) kind = 1;
    return kind;
}

// One group of at most three digits; a longer string counts by its first three bytes.
std::string ReadGroup(std::string_view g) {
    if (g.size() > 3) g = g.substr(0, 3);
    if (g == "000" || g.empty()) return {};
    const std::size_t k = g.size();
    unsigned char d[3] = {'0', '0', '0'}; // units, tens, hundreds
    for (std::size_t p = 0; p < k; ++p) d[p] = At(g, k - 1 - p);
    const auto value = [](unsigned char c) { return IsDigit(c) ? c - '0' : 0; };
    std::string out;
    for (int p = 2; p >= 0; --p) {
        if (static_cast<std::size_t>(p) >= k) continue;
        std::string_view word = DigitWord(d[p]);
        std::string_view place = PlaceWords[p];
        if (p < 2) {
            if (p == 1 && value(d[1]) < 2) place = {};
            if (value(d[p]) == 0 && k > 1) word = value(d[0]) != 0 ? LeWord : std::string_view();
            if (value(d[p]) == 1) {
                if (p == 1)
                    word = TenWord;
                else if (value(d[1]) > 1)
                    word = MotWord;
            }
            if (value(d[p]) == 5 && p == 0 && value(d[1]) > 0) word = LamWord;
        }
        out += word;
        out += place;
    }
    return out;
}

std::string ReadGroupedNumber(std::string_view s, bool integerPart) {
    if (integerPart) {
        do {
            while (!s.empty() && s.front() == '0') s.remove_prefix(1);
            if (!s.empty() && s.front() == '.') s.remove_prefix(1);
        } while (!s.empty() && s.front() == '0');
        if (s.empty()) s = "0";
    }
    // Groups from the right: three digits each, skipping one separator between integer groups.
    std::vector<std::string_view> groups;
    std::size_t end = s.size();
    while (end > 0) {
        const std::size_t start = end >= 3 ? end - 3 : 0;
        groups.push_back(s.substr(start, end - start));
        if (start == 0) break;
        end = integerPart ? start - 1 : start;
    }
    std::string out;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        std::string text = ReadGroup(groups[i]);
        const bool higher =
            std::any_of(groups.begin() + static_cast<std::ptrdiff_t>(i) + 1, groups.end(),
                        [](std::string_view g) { return g != "000"; });
        if (i > 0 && groups[i] != "000") {
            text += GroupNames[(i - 1) % 3];
        } else if (i > 0 && (i - 1) % 3 == 2 && higher) {
            // Names repeat after tỉ (ngàn tỉ, triệu tỉ): a 000 group in the place of tỉ still
            // says tỉ under a higher group, or 10^12 would be read as one thousand.
            text += GroupNames[2];
        }
        out.insert(0, text);
    }
    return out;
}

} // namespace

namespace readingcode {
bool IsWord(unsigned char c) {
    return WordSet[c];
}
bool IsAttachedMark(unsigned char c) {
    return DroppedSet[c] || c == 0x2F;
}
bool IsDroppedMark(unsigned char c) {
    return DroppedSet[c];
}
bool IsFinalMark(unsigned char c) {
    return DroppedSet[c] || c == 0x3A;
}
bool IsShortPause(unsigned char c) {
    return ShortPauseSet[c];
}
bool IsLongPause(unsigned char c) {
    return LongPauseSet[c];
}
bool IsSign(unsigned char c) {
    return SignSet[c];
}
bool IsSignNeighbour(unsigned char c) {
    return SignNeighbourSet[c];
}
} // namespace readingcode

unsigned char LowerLetter(unsigned char c) {
    if (c >= 0x41 && c <= 0x5A) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0xFC: return 0xE8;
    case 0xFD: return 0x83;
    case 0xAE: return 0xAD;
    case 0xFE: return 0x88;
    case 0xF9: return 0x93;
    case 0xFA: return 0xF3;
    case 0xFB: return 0x9F;
    default: return c;
    }
}

std::vector<std::string_view> TextWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

TTextReader::TTextReader(const std::filesystem::path& soundFile,
                         const std::filesystem::path& indexFile,
                         const std::filesystem::path& abbrFile) {
    Converter.SetDestTable(ReadingCodeName);
    Sounds = std::make_unique<TSoundData>(soundFile, indexFile);
    if (!abbrFile.empty()) Abbreviations = SplitLines(ReadWholeFile(abbrFile));
    SetWaveOut(AudioSystem().CreateDevice());
}

TTextReader::~TTextReader() {
    TTextReader::Stop();
    TTextReader::CloseDevice();
}

void TTextReader::SetCodeTable(const std::string& name) {
    if (name == CodeTable) return;
    Converter.SetSourceTable(name);
    CodeTable = name;
}

TMemoryStream& TTextReader::ConvertText(std::string_view text) {
    Converter.InStream.Data.assign(text.substr(0, text.find('\0')));
    Converter.Convert();
    Converter.OutStream.Data += '\0';
    Converter.OutStream.Rewind();
    return Converter.OutStream;
}

std::string TTextReader::WholeSound(std::string_view text) {
    TMemoryStream& source = ConvertText(text);
    std::string sound;
    while (!source.AtEnd()) {
        TMemoryStream chunk;
        BuildChunk(source, chunk);
        sound += chunk.Data;
    }
    if (FRate == 1.0 || !IsPlayableFormat(Sounds->ReadFormat())) return sound;
    TTimeScaler scaler(Sounds->ReadFormat(), FRate);
    std::string scaled = scaler.Scale(sound);
    return scaled + scaler.Flush();
}

bool TTextReader::Speak(std::string_view text) {
    ConvertText(text);
    StartPieces();
    return ReadNextChunk();
}

bool TTextReader::ReadNextChunk() {
    if (!DeviceOpen) OpenDevice();
    if (State != 2) Stop();
    if (Pieced) return PlayNextPiece();
    TMemoryStream& source = Converter.OutStream;
    if (source.AtEnd()) {
        CloseDevice();
        return false;
    }
    // A chunk whose building failed half-way may have left units behind.
    Buffer.Clear();
    BuildChunk(source, Buffer);
    return PlayBuffer(Buffer);
}

bool TTextReader::OpenDevice() {
    DeviceOpen = WaveOut->Open(Sounds->ReadFormat());
    if (!DeviceOpen) {
        const std::string error = WaveOut->ErrorText();
        Stop();
        ErrorText = error;
    }
    return DeviceOpen;
}

bool TTextReader::PlayBuffer(TMemoryStream& stream) {
    if (stream.Size() == 0) return true;
    ErrorText.clear();
    const std::uint64_t tag = ++LastTag;
    if (!WaveOut->Write(stream.Data, tag)) {
        const std::string error = WaveOut->ErrorText();
        Stop();
        ErrorText = error;
        return false;
    }
    PlayingTag = tag;
    State = 0;
    return true;
}

bool TTextReader::Pause() {
    if (State != 0) return false;
    ErrorText.clear();
    if (!WaveOut->Pause()) {
        ErrorText = WaveOut->ErrorText();
        return false;
    }
    State = 1;
    return true;
}

bool TTextReader::Resume() {
    if (State != 1) return false;
    ErrorText.clear();
    if (!WaveOut->Restart()) {
        ErrorText = WaveOut->ErrorText();
        return false;
    }
    State = 0;
    return true;
}

bool TTextReader::Stop() {
    ErrorText.clear();
    State = 2;
    PlayingTag = 0;
    OnDevice.clear();
    if (!WaveOut->Reset()) {
        ErrorText = WaveOut->ErrorText();
        return false;
    }
    Buffer.Clear();
    return true;
}

bool TTextReader::CloseDevice() {
    if (WaveOut->Close())
        DeviceOpen = false;
    else
        ErrorText = WaveOut->ErrorText();
    return DeviceOpen;
}

bool TTextReader::StopReading() {
    Stop();
    DropPieces();
    return CloseDevice();
}

bool TTextReader::PauseReading() {
    return Pause();
}

bool TTextReader::ResumeReading() {
    return Resume();
}

void TTextReader::SetWaveOut(std::unique_ptr<TWaveOut> device) {
    if (WaveOut) StopReading();
    WaveOut = device ? std::move(device) : std::make_unique<TNoWaveOut>();
    DeviceOpen = false;
    WaveOut->OnDone = [this](std::uint64_t tag) { DeviceDone(tag); };
}

void TTextReader::DeviceDone(std::uint64_t tag) {
    if (State != 0 || tag != PlayingTag) return;
    try {
        if (Pieced && WaveOut->Queues()) return PieceDone(tag);
        Stop();
        ReadNextChunk();
    } catch (const std::exception& e) {
        // Nobody is there to catch it: the device reported from the event loop. The reader
        // is idle after the Stop above, and the reason stays readable.
        Stop();
        ErrorText = e.what();
    }
}

std::string TWordReader::ReadToken(TMemoryStream& source) {
    using namespace readingcode;
    const auto read = [&]() -> unsigned char {
        if (source.AtEnd()) return 0;
        return static_cast<unsigned char>(source.Data[source.Position++]);
    };
    std::string token;
    unsigned char c = read();
    if (c == 0) return std::string(1, '\0');
    if (IsWord(c)) {
        bool digit = false;
        // A word is read in pieces of a short string's length: spelt whole, a run of 300,000
        // letters without a blank would make one chunk of gigabytes.
        while (IsWord(c) && !source.AtEnd() && token.size() < ShortStringMax) {
            digit = IsDigit(c);
            token += static_cast<char>(c);
            c = read();
        }
        if (IsAttachedMark(c)) token += static_cast<char>(c);
        if (digit && (c == 0x2C || c == 0x2E || c == 0x2F)) {
            do {
                c = read();
                if (c == 0x2C || (c >= 0x2E && c <= 0x39)) token += static_cast<char>(c);
            } while ((c == 0x2C || (c >= 0x2E && c <= 0x39)) && !source.AtEnd());
        }
    } else {
        while (!IsWord(c) && !source.AtEnd()) {
            if (SpeakSymbols || !IsDroppedMark(c)) token += static_cast<char>(c);
            c = read();
        }
    }
    if (!IsAttachedMark(c) && !source.AtEnd()) --source.Position;
    if (token.empty()) token.assign(1, '.');
    return token;
}

bool TTextReader::AppendKey(std::string_view key, TMemoryStream* dest) {
    const TIndexRecord* r = Sounds->Find(key);
    if (!r) return false;
    if (dest) Sounds->AppendSound(*r, *dest);
    if (OnUnit) OnUnit(*r);
    return true;
}

void TTextReader::AppendPause(TMemoryStream* dest, std::size_t count) {
    const TSoundFormat& format = Sounds->ReadFormat();
    const std::size_t bytes = SilenceBytes(format, count);
    if (dest) TSoundData::AppendSilence(format, *dest, bytes);
    if (OnSilence) OnSilence(bytes);
}

int TTextReader::BuildChunk(TMemoryStream& source, TMemoryStream& dest) {
    int units = 0;
    do {
        std::string token = ReadToken(source);
        if (token.size() == 1 && token[0] == '\0') break;
        units += SayToken(std::move(token), &dest);
    } while (!source.AtEnd() && units < ChunkUnits);
    return units;
}

int TTextReader::SayToken(std::string token, TMemoryStream* dest) {
    using namespace readingcode;
    if (token.empty()) return 0;
    const unsigned char last = static_cast<unsigned char>(token.back());
    unsigned char mark = 0;
    if (IsFinalMark(last)) {
        token.pop_back();
        mark = last;
    }
    int units = token.empty() ? 0 : SayWords(token, dest);
    // In the pause after a word, the word after it is the one to go on from.
    if (dest && dest == MarkSound) NoteWord(dest->Size(), Converter.OutStream.Position);
    if (SpeakSymbols) {
        if (AppendKey(std::string(1, static_cast<char>(mark)), dest)) ++units;
    } else if (IsShortPause(last)) {
        AppendPause(dest, CommaSilence);
    } else if (IsLongPause(last)) {
        AppendPause(dest, StopSilence);
    } else {
        AppendPause(dest, ShortSilence);
    }
    return units;
}

int TTextReader::SayWords(const std::string& token, TMemoryStream* dest) {
    int units = 0;
    const int kind = ClassifyToken(token);
    if (kind != 0) {
        const std::string text = kind == 2 ? ReadDate(token) : ReadNumber(token);
        for (std::string_view w : TextWords(text))
            if (AppendKey(MakeSoundKey(w), dest)) ++units;
        return units;
    }
    if (AppendKey(MakeSoundKey(token), dest)) return 1;
    if (GoesToEnglish(token) && SayEnglish(token, dest)) return 1;
    std::string text = FindAbbreviation(token);
    if (text.empty()) {
        auto split = SplitSigns(token);
        text = split ? std::move(*split) : SpellOut(token);
    }
    for (std::string_view w : TextWords(text)) {
        if (AppendKey(MakeSoundKey(w), dest)) {
            ++units;
            continue;
        }
        const std::string letters = SpellOut(w);
        for (std::string_view l : TextWords(letters))
            if (AppendKey(MakeSoundKey(l), dest)) ++units;
    }
    return units;
}

int TTextReader::ClassifyToken(std::string_view token) {
    if (token.empty()) return 0;
    for (char b : token)
        if (b != ',' && b != '.' && b != '/' && !IsDigit(static_cast<unsigned char>(b))) return 0;
    // States 1-7 of the date automaton; 8 is the dead state.
    static constexpr int OnDigit[9] = {8, 2, 3, 8, 5, 6, 8, 7, 8};
    static constexpr int OnSlash[9] = {8, 8, 4, 4, 8, 7, 7, 8, 8};
    int state = 1;
    for (char b : token) {
        if (IsDigit(static_cast<unsigned char>(b)))
            state = OnDigit[state];
        else if (b == '/')
            state = OnSlash[state];
        else
            state = 8;
    }
    return state == 7 ? 2 : 1;
}

std::string TTextReader::MakeSoundKey(std::string_view w) {
    if (w.size() == 1) return std::string(1, static_cast<char>(LowerLetter(At(w, 0))));
    std::string key;
    key.reserve(w.size() + 1);
    int tone = 0;
    for (char ch : w) {
        const unsigned char b = static_cast<unsigned char>(ch);
        if (tone == 0 && b >= '1' && b <= '5') {
            tone = b - '0';
            continue;
        }
        key += static_cast<char>(LowerLetter(b));
    }
    if (tone != 0) key += static_cast<char>(tone);
    if (key.size() > ShortStringMax) key.resize(ShortStringMax);
    return key;
}

std::string TTextReader::FindAbbreviation(std::string_view token) const {
    if (!Abbreviations) return {};
    const std::vector<std::string>& lines = *Abbreviations;
    std::ptrdiff_t lo = 0, hi = static_cast<std::ptrdiff_t>(lines.size()) - 1;
    std::string result;
    while (lo <= hi) {
        const std::ptrdiff_t mid = (lo + hi) / 2;
        const std::string& line = lines[static_cast<std::size_t>(mid)];
        const std::size_t tab = line.find('\t');
        const std::string key = TrimSpaces(
            tab == std::string::npos ? std::string_view() : std::string_view(line).substr(0, tab));
        if (ByteLess(key, token)) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (key == token) {
                const std::string_view rest = tab == std::string::npos
                                                  ? std::string_view(line)
                                                  : std::string_view(line).substr(tab + 1);
                result = TrimSpaces(rest) + " ";
            }
        }
    }
    return result;
}

std::optional<std::string> TTextReader::SplitSigns(std::string_view token) {
    using namespace readingcode;
    std::string s(token);
    bool changed = false;
    // p is 1-based as in the rule: s[p] is s[p - 1] here.
    std::size_t p = 1;
    while (p < s.size()) {
        const unsigned char c = At(s, p - 1);
        if (IsSign(c) && p > 1 && IsSignNeighbour(At(s, p - 2))) {
            s.insert(p - 1, 1, ' ');
            changed = true;
            ++p;
        } else if (IsSign(c) && IsSignNeighbour(At(s, p))) {
            s.insert(p, 1, ' ');
            changed = true;
            ++p;
        } else {
            ++p;
        }
    }
    if (!s.empty() && IsSign(At(s, s.size() - 1))) {
        s.insert(s.size() - 1, 1, ' ');
        changed = true;
    }
    if (!changed) return std::nullopt;
    return s;
}

std::string TTextReader::SpellOut(std::string_view word) {
    std::string out;
    out.reserve(word.size() * 2);
    for (char b : word) {
        out += b;
        out += ' ';
    }
    return out;
}

std::string TTextReader::ReadNumber(std::string_view s) {
    std::string out;
    switch (NumberKind(s)) {
    case 2: {
        const std::size_t comma = s.find(',');
        if (comma == std::string_view::npos) return ReadGroupedNumber(s, true);
        out = ReadGroupedNumber(s.substr(0, comma), true);
        out += CommaWord;
        out += ReadGroupedNumber(s.substr(comma + 1), false);
        return out;
    }
    case 3:
        for (char b : s) out += DigitWord(static_cast<unsigned char>(b));
        return out;
    default:
        for (char b : s) {
            if (b == ',')
                out += CommaWord;
            else if (b == '.')
                out += StopWord;
            else if (b == '/')
                out += SlashWord;
            else
                out += DigitWord(static_cast<unsigned char>(b));
        }
        return out;
    }
}

std::string TTextReader::ReadDate(std::string_view s) {
    const std::size_t p1 = s.find('/');
    const std::size_t p2 = s.rfind('/');
    if (p1 == std::string_view::npos) return ReadNumber(s);
    const auto part = [](std::string_view v) {
        while (!v.empty() && v.front() == '0') v.remove_prefix(1);
        return v.substr(0, 5);
    };
    const std::string_view day = part(s.substr(0, p1));
    const std::string_view month =
        p2 > p1 ? part(s.substr(p1 + 1, p2 - p1 - 1)) : std::string_view();
    const std::string_view year = part(s.substr(p2 + 1, 5));
    const auto number = [](std::string_view v) {
        return v.empty() ? std::string(DigitWords[0]) : ReadNumber(v);
    };
    return number(day) + std::string(MonthWord) + number(month) + std::string(YearWord) +
           number(year);
}

} // namespace tavi

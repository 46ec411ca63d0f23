#include "codes/vncodeconverter.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tavi {

namespace fs = std::filesystem;

namespace {

TOutSlot SlotOf(std::string_view bytes) {
    TOutSlot slot;
    slot.Size = static_cast<std::uint8_t>(std::min(bytes.size(), sizeof slot.Bytes));
    std::copy_n(bytes.begin(), slot.Size, slot.Bytes);
    return slot;
}

// Writes at a pointer into room made beforehand (BlockRoom).
struct TRawSink {
    char* At;
    void Put(std::string_view bytes) {
        std::memcpy(At, bytes.data(), bytes.size());
        At += bytes.size();
    }
    void PutSlot(const TOutSlot& slot) {
        std::memcpy(At, &slot, sizeof slot);
        At += slot.Size;
    }
    char* Reserve(std::size_t) { return At; }
    void Commit(char* end) { At = end; }
};

// Bytes converted one lookup each in a run, at most this many at a time (the room asked of a
// growing output).
constexpr std::size_t SingleRun = 4096;

} // namespace

TVnCodeConverter::TVnCodeConverter()
    : DestEntries(VnLetterCount), TableFolder(ProgramFolder() / "VNCFiles/") {}

fs::path TVnCodeConverter::TablePath(const std::string& name) const {
    return FindFileIgnoringCase(TableFolder, name + ".vnc");
}

void TVnCodeConverter::EscapeForRtf(TMemoryStream& table) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(table.Data.size() * 2);
    for (char ch : table.Data) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            out += "\\'";
            out += Hex[c >> 4];
            out += Hex[c & 15];
        } else {
            if (c == '{' || c == '}') out += '\\';
            out += ch;
        }
    }
    table.Data = std::move(out);
    table.Rewind();
}

std::string TVnCodeConverter::ReadTable(const std::string& name) {
    TMemoryStream table;
    table.LoadFromFile(TablePath(name));
    if (RtfMode) EscapeForRtf(table);
    return std::move(table.Data);
}

void TVnCodeConverter::SetSourceTable(const std::string& name) {
    SourceName = name;
    MatchNodes.Clear();
    if (HasSource()) MatchNodes.Build(ReadTable(name), VnLetterCount, name);
    PrepareSlots();
}

void TVnCodeConverter::SetDestTable(const std::string& name) {
    DestName = name;
    DestEntries.assign(VnLetterCount, std::string());
    if (name.empty()) return PrepareSlots();
    std::string table;
    if (name == LetterCodeName) {
        for (unsigned char c : LetterCodeBytes()) {
            table += static_cast<char>(c);
            table += ' ';
        }
    } else {
        table = ReadTable(name);
    }
    DestEntries = ReadDestEntries(table, VnLetterCount);
    PrepareSlots();
}

void TVnCodeConverter::PrepareSlots() {
    Growth = 1;
    for (std::size_t k = 0; k < VnLetterCount; ++k) {
        EntrySlots[k] = SlotOf(DestEntries[k]);
        Growth = std::max(Growth, std::size_t{EntrySlots[k].Size});
    }
    for (unsigned c = 0; c < 256; ++c) {
        const char byte = static_cast<char>(c);
        const unsigned k = MatchNodes.DirectEntry(static_cast<unsigned char>(c));
        ByteSlots[c] = k ? EntrySlots[k - 1] : SlotOf(std::string_view(&byte, 1));
    }
}

template <class Sink>
std::size_t TVnCodeConverter::Run(std::string_view in, bool more, Sink& sink) const {
    // A byte dealt with on its own (most of a text) is one lookup, whether it is an entry or
    // copied as it is; single-byte codes such as VISCII are nothing else.
    return MatchNodes.MatchWith(
        in, [&](unsigned k, std::string_view) { sink.PutSlot(EntrySlots[k - 1]); },
        [&](std::string_view bytes) { sink.Put(bytes); },
        [&](std::size_t i) {
            // Locals only: a store through a char pointer could change anything in memory,
            // which would make the compiler load every pointer again after each byte.
            const auto* text = reinterpret_cast<const unsigned char*>(in.data());
            const std::size_t stop = std::min(in.size(), i + SingleRun);
            char* at = sink.Reserve((stop - i) * Growth + sizeof(TOutSlot));
            const TOutSlot* slots = ByteSlots.data();
            do {
                const TOutSlot& slot = slots[text[i]];
                const std::size_t size = slot.Size;
                std::memcpy(at, &slot, sizeof slot);
                at += size;
            } while (++i < stop && MatchNodes.IsSingle(text[i]));
            sink.Commit(at);
            return i;
        },
        more);
}

void TVnCodeConverter::ConvertInto(std::string_view in, std::string& out) const {
    TByteSink sink(out);
    Run(in, false, sink);
    sink.Finish();
}

char* TVnCodeConverter::ConvertBlock(std::string_view in, bool more, char* out,
                                     std::size_t& used) const {
    TRawSink sink{out};
    used = Run(in, more, sink);
    return sink.At;
}

bool TVnCodeConverter::Convert() {
    if (DestName.empty()) return false;
    InStream.Rewind();
    OutStream.Clear();
    if (SourceName.empty()) {
        std::string sample = InStream.Read(DetectSampleSize);
        SetSourceTable(DetectCodeTable(sample));
        InStream.Rewind();
    }
    if (!HasSource() || SourceName == DestName) {
        OutStream.Data = InStream.Data;
    } else {
        ConvertInto(InStream.Data, OutStream.Data);
    }
    OutStream.Position = OutStream.Data.size();
    InStream.Position = InStream.Data.size();
    return true;
}

std::string TVnCodeConverter::ConvertWord(std::string_view word) {
    word = word.substr(0, ShortStringMax);
    // Without a source table there is nothing to match against: the word stays as it is.
    if (word.empty() || SourceName == DestName || !HasSource()) return std::string(word);
    std::string out;
    ConvertInto(word, out);
    if (out.size() > ShortStringMax) out.resize(ShortStringMax);
    return out;
}

std::vector<std::string> TVnCodeConverter::ListCodeTables(const fs::path& folder) {
    if (!folder.empty()) {
        std::string f = folder.string();
        if (f.back() != '/') f += '/';
        TableFolder = f;
    }
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(TableFolder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (file.size() < 4 || file.compare(file.size() - 4, 4, ".vnc") != 0) continue;
        names.push_back(file.substr(0, file.find('.')));
    }
    // Directory order is arbitrary on Linux; an order independent of letter case keeps
    // detection ties stable from one machine to the next.
    const auto key = [](const std::string& name) {
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return std::pair(lower, name);
    };
    std::sort(names.begin(), names.end(),
              [&](const std::string& a, const std::string& b) { return key(a) < key(b); });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string TVnCodeConverter::DetectCodeTable(std::string_view sample) {
    sample = sample.substr(0, sample.find('\0'));
    std::string result = UnknownTableName;
    const auto names = ListCodeTables();
    const std::string savedDest = DestName;
    SetDestTable(LetterCodeName);
    std::size_t bestCount = 0;
    for (const auto& name : names) {
        try {
            SetSourceTable(name);
        } catch (const std::exception&) {
            continue; // a table that cannot be read cannot be the document's table
        }
        std::size_t count = 0;
        std::size_t i = 0;
        while (i < sample.size()) {
            while (i < sample.size() && IsTableSeparator(static_cast<unsigned char>(sample[i])))
                ++i;
            const std::size_t start = i;
            while (i < sample.size() && !IsTableSeparator(static_cast<unsigned char>(sample[i])))
                ++i;
            if (i == start) break;
            const std::string_view word = sample.substr(start, std::min(i - start, ShortStringMax));
            const std::string converted = ConvertWord(word);
            if (converted == word) continue;
            if (IsKnownRhyme(ExtractRhyme(converted))) ++count;
        }
        if (count > bestCount) {
            bestCount = count;
            result = name;
        }
    }
    SetDestTable(savedDest);
    return result;
}

TBlockConverter::TBlockConverter(TVnCodeConverter& conv, std::size_t blockSize)
    : Conv(conv), BlockSize(std::max<std::size_t>(blockSize, 1)), In(BlockSize) {}

std::string_view TBlockConverter::Convert(std::size_t n, bool last) {
    const std::size_t total = Carried + n;
    const std::string_view in(In.data(), total);
    if (!Started && Conv.SourceName.empty()) {
        if (total < DetectSampleSize && !last) return Carry(0, total, {}); // a whole sample first
        Conv.SetSourceTable(Conv.DetectCodeTable(in.substr(0, DetectSampleSize)));
    }
    Started = true;
    if (!Conv.Converts()) return Carry(total, total, in);
    if (Out.size() < Conv.BlockRoom(total)) Out.resize(Conv.BlockRoom(total));
    std::size_t used = 0;
    const char* end = Conv.ConvertBlock(in, !last, Out.data(), used);
    return Carry(used, total,
                 std::string_view(Out.data(), static_cast<std::size_t>(end - Out.data())));
}

std::string_view TBlockConverter::Carry(std::size_t used, std::size_t total, std::string_view out) {
    // out may be in itself (a copy): In is only moved when something is carried, and then out
    // is in Out.
    Carried = total - used;
    if (Carried > 0) {
        std::memmove(In.data(), In.data() + used, Carried);
        if (In.size() < Carried + BlockSize) In.resize(Carried + BlockSize);
    }
    return out;
}

std::string ConvertBetween(const std::string& from, const std::string& to, std::string_view text) {
    TVnCodeConverter conv;
    conv.SetSourceTable(from);
    conv.SetDestTable(to);
    conv.InStream.Data = text;
    conv.Convert();
    return std::move(conv.OutStream.Data);
}

} // namespace tavi

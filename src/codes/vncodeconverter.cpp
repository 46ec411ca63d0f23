#include "codes/vncodeconverter.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <algorithm>
#include <cctype>

namespace tavi {

namespace fs = std::filesystem;

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
    if (!HasSource()) return;
    MatchNodes.Build(ReadTable(name), VnLetterCount, name);
}

void TVnCodeConverter::SetDestTable(const std::string& name) {
    DestName = name;
    DestEntries.assign(VnLetterCount, std::string());
    if (name.empty()) return;
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
}

void TVnCodeConverter::ConvertInto(std::string_view in, std::string& out) const {
    TByteSink sink(out);
    MatchNodes.Match(
        in, [&](unsigned k, std::string_view) { sink.Put(DestEntries[k - 1]); },
        [&](std::string_view bytes) { sink.Put(bytes); });
    sink.Finish();
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

std::string ConvertBetween(const std::string& from, const std::string& to, std::string_view text) {
    TVnCodeConverter conv;
    conv.SetSourceTable(from);
    conv.SetDestTable(to);
    conv.InStream.Data = text;
    conv.Convert();
    return std::move(conv.OutStream.Data);
}

} // namespace tavi

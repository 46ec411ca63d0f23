#include "platform/registry.h"

#include "platform/atomicfile.h"
#include "platform/errors.h"
#include "platform/paths.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace tavi {

namespace fs = std::filesystem;

namespace {

constexpr const char* RootName = "HKEY_CURRENT_USER";

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::string NormalPath(const std::string& key) {
    std::size_t b = key.find_first_not_of('\\');
    if (b == std::string::npos) return {};
    std::size_t e = key.find_last_not_of('\\');
    return key.substr(b, e - b + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a quoted string starting at s[pos] == '"'; pos ends after the closing quote.
bool ReadQuoted(const std::string& s, std::size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '"') return false;
    for (++pos; pos < s.size(); ++pos) {
        if (s[pos] == '\\' && pos + 1 < s.size()) {
            out += s[++pos];
        } else if (s[pos] == '"') {
            ++pos;
            return true;
        } else {
            out += s[pos];
        }
    }
    return false;
}

bool ReadHexBytes(const std::string& s, std::string& out) {
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == ',')) ++i;
        if (i >= s.size()) break;
        if (i + 1 >= s.size()) return false;
        const int hi = HexDigit(s[i]), lo = HexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return true;
}

bool ParseValue(const std::string& text, TRegValue& value) {
    std::size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        value.Type = TRegDataType::rdString;
        return ReadQuoted(text, pos, value.Data) && pos == text.size();
    }
    if (text.rfind("dword:", 0) == 0) {
        const std::string digits = text.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        std::uint32_t v = 0;
        for (char c : digits) {
            const int d = HexDigit(c);
            if (d < 0) return false;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        value.Type = TRegDataType::rdInteger;
        value.Dword = v;
        return true;
    }
    const struct {
        const char* prefix;
        TRegDataType type;
    } hexForms[] = {{"hex(1):", TRegDataType::rdString},
                    {"hex(2):", TRegDataType::rdExpandString},
                    {"hex:", TRegDataType::rdBinary}};
    for (const auto& f : hexForms) {
        const std::string prefix = f.prefix;
        if (text.rfind(prefix, 0) != 0) continue;
        value.Type = f.type;
        if (!ReadHexBytes(text.substr(prefix.size()), value.Data)) return false;
        // Strings in hex form carry their terminating NUL.
        if (f.type != TRegDataType::rdBinary && !value.Data.empty() && value.Data.back() == '\0')
            value.Data.pop_back();
        return true;
    }
    return false;
}

std::string HexForm(const std::string& prefix, const std::string& bytes) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out = prefix;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) out += ',';
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        out += Hex[b >> 4];
        out += Hex[b & 15];
    }
    return out;
}

std::string FormatValue(const TRegValue& v) {
    switch (v.Type) {
    case TRegDataType::rdInteger: {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", v.Dword);
        return buf;
    }
    case TRegDataType::rdBinary: return HexForm("hex:", v.Data);
    case TRegDataType::rdExpandString: return HexForm("hex(2):", v.Data + '\0');
    default: break;
    }
    // A plain string is written quoted unless it holds bytes a line cannot carry.
    for (char c : v.Data) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F) return HexForm("hex(1):", v.Data + '\0');
    }
    std::string out = "\"";
    for (char c : v.Data) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string QuotedName(const std::string& name) {
    if (name.empty()) return "@";
    std::string out = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

} // namespace

void TRegistryData::Parse(const std::string& text) {
    Keys.clear();
    Problems.clear();
    std::istringstream in(text);
    std::string line, pending;
    Key* current = nullptr;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A hex list may go on over several lines, each but the last ending in a backslash.
        if (!line.empty() && line.back() == '\\' && line.find("=hex") != std::string::npos) {
            pending += line.substr(0, line.size() - 1);
            continue;
        }
        if (!pending.empty()) {
            std::size_t b = line.find_first_not_of(' ');
            line = pending + (b == std::string::npos ? "" : line.substr(b));
            pending.clear();
        }
        if (line.empty() || line[0] == ';' || (number == 1 && line == "REGEDIT4")) continue;
        if (line[0] == '[') {
            current = nullptr;
            const std::string root = std::string("[") + RootName;
            if (line.back() != ']' || Lower(line.substr(0, root.size())) != Lower(root)) {
                Problems.push_back("line " + std::to_string(number) +
                                   ": not a key of the current user");
                continue;
            }
            const std::string path =
                NormalPath(line.substr(root.size(), line.size() - root.size() - 1));
            Key& k = Keys[Lower(path)];
            if (k.Name.empty()) k.Name = path;
            current = &k;
            continue;
        }
        std::string name;
        std::size_t pos = 0;
        bool ok = current != nullptr;
        if (ok && line[0] == '@') {
            pos = 1;
        } else if (ok) {
            ok = ReadQuoted(line, pos, name);
        }
        TRegValue value;
        ok = ok && pos < line.size() && line[pos] == '=' && ParseValue(line.substr(pos + 1), value);
        if (!ok) {
            Problems.push_back("line " + std::to_string(number) + ": cannot be read");
            continue;
        }
        current->Values[Lower(name)] = {name, value};
    }
}

std::string TRegistryData::Format() const {
    std::string out = "REGEDIT4\n";
    for (const auto& [lower, key] : Keys) {
        out += "\n[";
        out += RootName;
        if (!key.Name.empty()) out += "\\" + key.Name;
        out += "]\n";
        for (const auto& [lowerName, value] : key.Values)
            out += QuotedName(value.first) + "=" + FormatValue(value.second) + "\n";
    }
    return out;
}

fs::path TRegistry::DefaultFile() {
    return UserConfigFolder() / "registry.reg";
}

TRegistry::TRegistry(fs::path file) : File(std::move(file)) {
    std::error_code ec;
    if (!fs::exists(File, ec)) return;
    std::ifstream in(File, std::ios::binary);
    if (!in) throw EFOpenError(File.string());
    Data.Parse(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

TRegistry::~TRegistry() {
    try {
        Flush();
    } catch (...) {
        // Nothing can be reported from a destructor; the old file is still intact.
    }
}

bool TRegistry::KeyExists(const std::string& key) const {
    return Data.Keys.count(Lower(NormalPath(key))) != 0;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    CloseKey();
    const std::string path = NormalPath(key);
    const std::string lower = Lower(path);
    if (!Data.Keys.count(lower)) {
        if (!canCreate) return false;
        // Creating a key creates every missing parent.
        for (std::size_t p = path.find('\\');; p = path.find('\\', p + 1)) {
            const std::string part = path.substr(0, p);
            auto& k = Data.Keys[Lower(part)];
            if (k.Name.empty()) k.Name = part;
            if (p == std::string::npos) break;
        }
        Dirty = true;
    }
    Current = lower;
    return true;
}

void TRegistry::CloseKey() {
    Current.clear();
    Flush();
}

const TRegValue* TRegistry::Find(const std::string& name) const {
    auto key = Data.Keys.find(Current);
    if (Current.empty() || key == Data.Keys.end()) return nullptr;
    auto it = key->second.Values.find(Lower(name));
    return it == key->second.Values.end() ? nullptr : &it->second.second;
}

bool TRegistry::ValueExists(const std::string& name) const {
    return Find(name) != nullptr;
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
    const TRegValue* v = Find(name);
    return v ? v->Type : TRegDataType::rdUnknown;
}

std::string TRegistry::ReadString(const std::string& name) const {
    const TRegValue* v = Find(name);
    if (!v) return {};
    if (v->Type != TRegDataType::rdString && v->Type != TRegDataType::rdExpandString)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return v->Data;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) const {
    const TRegValue* v = Find(name);
    if (!v) throw ERegistryException("Failed to get data for '" + name + "'");
    if (v->Type != TRegDataType::rdInteger)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return static_cast<std::int32_t>(v->Dword);
}

bool TRegistry::ReadBool(const std::string& name) const {
    return ReadInteger(name) != 0;
}

void TRegistry::Put(const std::string& name, TRegValue value) {
    auto key = Data.Keys.find(Current);
    if (Current.empty() || key == Data.Keys.end())
        throw ERegistryException("Failed to set data for '" + name + "'");
    key->second.Values[Lower(name)] = {name, std::move(value)};
    Dirty = true;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    Put(name, TRegValue{TRegDataType::rdString, value, 0});
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    Put(name, TRegValue{TRegDataType::rdExpandString, value, 0});
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    Put(name, TRegValue{TRegDataType::rdInteger, {}, static_cast<std::uint32_t>(value)});
}

void TRegistry::WriteBool(const std::string& name, bool value) {
    WriteInteger(name, value ? 1 : 0);
}

void TRegistry::Flush() {
    if (!Dirty) return;
    std::error_code ec;
    fs::create_directories(File.parent_path(), ec);
    // A file with lines that could not be read is kept aside before it is rewritten without them.
    if (!Data.Problems.empty() && !BackedUp && fs::exists(File, ec)) {
        fs::copy_file(File, fs::path(File.string() + ".bak"), fs::copy_options::overwrite_existing,
                      ec);
        BackedUp = true;
    }
    WriteFileAtomically(File, Data.Format());
    Dirty = false;
}

} // namespace tavi

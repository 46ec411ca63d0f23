#include "shell/usersettings.h"

#include <algorithm>
#include <iterator>
#include <variant>
#include <vector>

namespace tavi {

namespace {

// The values the program always had, in the order they are read: the first one missing or
// mistyped ends the reading.
constexpr std::string_view ReadChain[] = {
    "ToolBar",  "SoundMode", "SoundSymbolMode", "SoundCtrlChar", "SoundEdit", "LangSpeak",
    "MailUser", "PassWord",  "UserAddress",     "InMail",        "OutMail",   "RasService",
    "Printer",  "Embosser",  "CharsLine",       "LMargin",       "RMargin",   "AutoCnv"};
// The same values in the order they are written; values added since follow them.
constexpr std::string_view WriteFirst[] = {
    "Printer",       "Embosser", "CharsLine", "ToolBar",    "SoundMode", "SoundSymbolMode",
    "SoundCtrlChar", "AutoCnv",  "SoundEdit", "LangSpeak",  "MailUser",  "PassWord",
    "UserAddress",   "InMail",   "OutMail",   "RasService", "LMargin",   "RMargin"};
constexpr std::string_view MaskedValue = "PassWord";

using TValue = std::variant<bool*, std::int16_t*, std::int32_t*, std::string*>;
struct TBound {
    std::string_view Name;
    TValue Field;
};

template <class TPart, class TRows>
void Bind(std::vector<TBound>& out, TPart& part, const TRows& rows) {
    for (const auto& row : rows)
        out.push_back(
            {row.Value, std::visit([&part](auto m) -> TValue { return &(part.*m); }, row.Field)});
}

// Every value of the user's key, with the field of s that holds it, in the order of the tables.
std::vector<TBound> Fields(TUserSettings& s) {
    std::vector<TBound> out;
    Bind(out, s.Options, OptionRows());
    Bind(out, s.Mail, MailRows());
    Bind(out, s.Print, PrintRows());
    return out;
}

bool IsIn(std::string_view name, const auto& names) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

void Read(const TRegistry& registry, const TBound& v) {
    const std::string name(v.Name);
    std::visit(
        [&](auto* field) {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, bool>)
                *field = registry.ReadBool(name);
            else if constexpr (std::is_same_v<T, std::string>)
                *field = v.Name == MaskedValue ? MaskPassword(registry.ReadString(name))
                                               : registry.ReadString(name);
            else
                *field = static_cast<T>(registry.ReadInteger(name));
        },
        v.Field);
}

void Write(TRegistry& registry, const TBound& v) {
    const std::string name(v.Name);
    std::visit(
        [&](auto* field) {
            using T = std::remove_pointer_t<decltype(field)>;
            if constexpr (std::is_same_v<T, bool>)
                registry.WriteBool(name, *field);
            else if constexpr (std::is_same_v<T, std::string>)
                registry.WriteString(name, v.Name == MaskedValue ? MaskPassword(*field) : *field);
            else
                registry.WriteInteger(name, *field);
        },
        v.Field);
}

const TBound& Named(const std::vector<TBound>& fields, std::string_view name) {
    return *std::find_if(fields.begin(), fields.end(),
                         [name](const TBound& b) { return b.Name == name; });
}

} // namespace

std::string MaskPassword(std::string_view password) {
    static constexpr char Mask[] = "Keep Our Lid On";
    std::string out(password);
    for (std::size_t i = 0; i < out.size() && i < sizeof Mask - 1; ++i)
        out[i] = static_cast<char>(out[i] ^ Mask[i]);
    return out;
}

int ReadUserSettings(TRegistry& registry, const std::string& userName, TUserSettings& s) {
    try {
        if (registry.OpenKey(SettingsKey, true)) s.Options.DbtPath = registry.ReadString("DbtApp");
    } catch (const ERegistryException&) {
    }
    registry.CloseKey();
    const std::vector<TBound> fields = Fields(s);
    int read = 0;
    registry.OpenKey(std::string(SettingsKey) + "\\" + userName, true);
    try {
        for (std::string_view name : ReadChain) {
            Read(registry, Named(fields, name));
            ++read;
        }
    } catch (const ERegistryException&) {
        s.Options.AutoConvert = true;
    }
    for (const TBound& v : fields) {
        if (IsIn(v.Name, ReadChain)) continue;
        try {
            Read(registry, v);
        } catch (const ERegistryException&) {
            // missing or of another type: the default
        }
    }
    registry.CloseKey();
    return read;
}

void WriteUserSettings(TRegistry& registry, const std::string& userName, const TUserSettings& s) {
    if (registry.OpenKey(SettingsKey, false)) {
        registry.WriteString("DbtApp", s.Options.DbtPath);
        registry.CloseKey();
    }
    if (!registry.OpenKey(std::string(SettingsKey) + "\\" + userName, false)) return;
    TUserSettings copy = s; // the fields are bound for reading and writing alike
    const std::vector<TBound> fields = Fields(copy);
    for (std::string_view name : WriteFirst) Write(registry, Named(fields, name));
    for (const TBound& v : fields)
        if (!IsIn(v.Name, WriteFirst)) Write(registry, v);
    registry.CloseKey();
}

} // namespace tavi

#include "shell/usersettings.h"

#include <functional>
#include <vector>

namespace tavi {

std::string MaskPassword(std::string_view password) {
    static constexpr char Mask[] = "Keep Our Lid On";
    std::string out(password);
    for (std::size_t i = 0; i < out.size() && i < sizeof Mask - 1; ++i)
        out[i] = static_cast<char>(out[i] ^ Mask[i]);
    return out;
}

int ReadUserSettings(TRegistry& registry, const std::string& userName, TUserSettings& s) {
    try {
        if (registry.OpenKey(SettingsKey, true)) s.DbtApp = registry.ReadString("DbtApp");
    } catch (const ERegistryException&) {
    }
    registry.CloseKey();

    const auto str = [&](std::string& field) {
        return [&registry, &field](const char* name) { field = registry.ReadString(name); };
    };
    const auto boolean = [&](bool& field) {
        return [&registry, &field](const char* name) { field = registry.ReadBool(name); };
    };
    const auto integer = [&](std::int32_t& field) {
        return [&registry, &field](const char* name) { field = registry.ReadInteger(name); };
    };
    const std::vector<std::pair<const char*, std::function<void(const char*)>>> order = {
        {"ToolBar", boolean(s.ToolBar)},
        {"SoundMode", boolean(s.SoundMode)},
        {"SoundSymbolMode", boolean(s.SoundSymbolMode)},
        {"SoundCtrlChar", boolean(s.SoundCtrlChar)},
        {"SoundEdit", integer(s.SoundEdit)},
        {"LangSpeak", boolean(s.LangSpeak)},
        {"MailUser", str(s.MailUser)},
        {"PassWord",
         [&](const char* name) { s.PassWord = MaskPassword(registry.ReadString(name)); }},
        {"UserAddress", str(s.UserAddress)},
        {"InMail", str(s.InMail)},
        {"OutMail", str(s.OutMail)},
        {"RasService", str(s.RasService)},
        {"Printer", integer(s.Printer)},
        {"Embosser", boolean(s.Embosser)},
        {"CharsLine", integer(s.CharsLine)},
        {"LMargin", integer(s.LMargin)},
        {"RMargin", integer(s.RMargin)},
        {"AutoCnv", boolean(s.AutoCnv)},
    };
    int read = 0;
    registry.OpenKey(std::string(SettingsKey) + "\\" + userName, true);
    try {
        for (const auto& [name, apply] : order) {
            apply(name);
            ++read;
        }
    } catch (const ERegistryException&) {
        s.AutoCnv = true;
    }
    for (auto [name, field] :
         {std::pair{"MailSecurity", &s.MailSecurity}, std::pair{"MailCaFile", &s.MailCaFile}}) {
        try {
            *field = registry.ReadString(name);
        } catch (const ERegistryException&) {
            // a value of another type: the default
        }
    }
    registry.CloseKey();
    return read;
}

void WriteUserSettings(TRegistry& registry, const std::string& userName, const TUserSettings& s) {
    if (registry.OpenKey(SettingsKey, false)) {
        registry.WriteString("DbtApp", s.DbtApp);
        registry.CloseKey();
    }
    if (!registry.OpenKey(std::string(SettingsKey) + "\\" + userName, false)) return;
    registry.WriteInteger("Printer", s.Printer);
    registry.WriteBool("Embosser", s.Embosser);
    registry.WriteInteger("CharsLine", s.CharsLine);
    registry.WriteBool("ToolBar", s.ToolBar);
    registry.WriteBool("SoundMode", s.SoundMode);
    registry.WriteBool("SoundSymbolMode", s.SoundSymbolMode);
    registry.WriteBool("SoundCtrlChar", s.SoundCtrlChar);
    registry.WriteBool("AutoCnv", s.AutoCnv);
    registry.WriteInteger("SoundEdit", s.SoundEdit);
    registry.WriteBool("LangSpeak", s.LangSpeak);
    registry.WriteString("MailUser", s.MailUser);
    registry.WriteString("PassWord", MaskPassword(s.PassWord));
    registry.WriteString("UserAddress", s.UserAddress);
    registry.WriteString("InMail", s.InMail);
    registry.WriteString("OutMail", s.OutMail);
    registry.WriteString("RasService", s.RasService);
    registry.WriteInteger("LMargin", s.LMargin);
    registry.WriteInteger("RMargin", s.RMargin);
    registry.WriteString("MailSecurity", s.MailSecurity);
    registry.WriteString("MailCaFile", s.MailCaFile);
    registry.CloseKey();
}

} // namespace tavi

// The per-user settings of the main window as they are kept in the registry.
#pragma once

#include "platform/registry.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tavi {

// The key of the whole program; each user name is a subkey of it.
inline constexpr const char* SettingsKey = "SoftWare\\Tavi\\TaviSettings";

// The stored form of the mail password: its first 15 bytes combined by exclusive-or with the
// phrase "Keep Our Lid On"; the same operation gives the password back.
std::string MaskPassword(std::string_view password);

struct TUserSettings {
    std::string DbtApp;
    bool ToolBar = true;
    bool SoundMode = true;
    bool SoundSymbolMode = false;
    bool SoundCtrlChar = true;
    std::int32_t SoundEdit = 1; // as stored; only its low byte 0-4 means an echo mode
    bool LangSpeak = true;
    std::string MailUser, PassWord, UserAddress, InMail, OutMail, RasService;
    std::int32_t Printer = 0;
    bool Embosser = false;
    std::int32_t CharsLine = 0;
    std::int32_t LMargin = 0;
    std::int32_t RMargin = 0;
    bool AutoCnv = true;
    // Read apart from the values above, so that a missing one never ends their reading: older
    // settings read exactly as before. Empty: the default.
    std::string MailSecurity, MailCaFile;
    bool operator==(const TUserSettings&) const = default;
};

// Reads the settings of a user into s, which holds the defaults. "DbtApp" comes from the
// program key (errors there are ignored); the rest from the user's key, created when missing,
// in the order of the table. A missing or mistyped number or boolean, or a string of another
// type, ends the reading: that value and every later one keep their defaults, and AutoCnv is
// set. Returns the number of user values read.
int ReadUserSettings(TRegistry& registry, const std::string& userName, TUserSettings& s);

// Writes the settings back; a key that does not exist is skipped.
void WriteUserSettings(TRegistry& registry, const std::string& userName, const TUserSettings& s);

} // namespace tavi

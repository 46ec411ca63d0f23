// The per-user settings of the main window as they are kept in the registry: the options, the
// mail account and how the user prints.
#pragma once

#include "dialogs/printsetup.h"
#include "mail/mailaccount.h"
#include "platform/registry.h"
#include "shell/options.h"

#include <string>
#include <string_view>

namespace tavi {

// The key of the whole program; each user name is a subkey of it.
inline constexpr const char* SettingsKey = "SoftWare\\Tavi\\TaviSettings";

// The stored form of the mail password: its first 15 bytes combined by exclusive-or with the
// phrase "Keep Our Lid On"; the same operation gives the password back.
std::string MaskPassword(std::string_view password);

struct TUserSettings {
    TOptions Options;
    TMailAccount Mail;
    TPrintSetup Print;
    bool operator==(const TUserSettings&) const = default;
};

// Reads the settings of a user into s, which holds the defaults. "DbtApp" comes from the
// program key (errors there are ignored); the rest from the user's key, created when missing.
// The values the program always had are read first, in their order: a missing or mistyped
// number or boolean, or a string of another type, ends that reading (the value and every later
// one keep their defaults, and automatic conversion is set on). Values added since are read
// after them, each on its own, so that older settings read exactly as before. Returns the
// number of the first values read.
int ReadUserSettings(TRegistry& registry, const std::string& userName, TUserSettings& s);

// Writes the settings back; a key that does not exist is skipped.
void WriteUserSettings(TRegistry& registry, const std::string& userName, const TUserSettings& s);

} // namespace tavi

// Where the program's read-only data lives.
#pragma once

#include <filesystem>

namespace tavi {

// The program folder: the read-only data folder beside the executable (share/tavi next to
// bin/, in the build tree and in an installed prefix), or $TAVI_DATA_DIR when it is set.
// Always ends in a separator so that names can be appended directly.
std::filesystem::path ProgramFolder();

// The user's own writable folders: the settings (the registry file) and the program's state
// (the recovery files of unsaved documents). They follow the XDG base directories;
// $TAVI_CONFIG_DIR and $TAVI_STATE_DIR replace them (tests).
std::filesystem::path UserConfigFolder();
std::filesystem::path UserStateFolder();

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

} // namespace tavi

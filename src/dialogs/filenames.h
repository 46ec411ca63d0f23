// The rules of the file dialogs on names, folders and places, kept apart from the dialogs:
// where a typed name goes, which files a type shows, how a folder is spoken, and which places
// the drive list offers.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

namespace fs = std::filesystem;

// The path of a name typed in the save or open dialog. A name with its folder, absolute or
// starting with "~/", is taken as it stands ("~" being the home folder); any other name is
// taken in the documents folder. The save dialog adds ".TXT" to a name without extension.
fs::path SavePath(std::string_view typed, const fs::path& folder, const fs::path& home);
fs::path OpenPath(std::string_view typed, const fs::path& folder, const fs::path& home);

// The names in the folder a typed name points into that start with its last part (letter case
// ignored, hidden files only when that part starts with "."), each as the whole typed text
// would read with it, folders with a "/" after them, in order. None for a folder that cannot be
// read.
std::vector<std::string> NameCompletions(std::string_view typed, const fs::path& folder,
                                         const fs::path& home);

// A user name (UTF-8, as typed) as the name of that user's folder or file: never a path
// ("/" and control characters become "_", and "." or ".." cannot climb out of the folder).
std::string UserFolderName(std::string_view userName);

// The file to open for a name: the name itself, or, when no such file exists, the name with
// ".TXT" added.
fs::path DocumentToOpen(const fs::path& name);

// True when a file name matches one of the masks of a file type ("*.txt;*.bra"), letter case
// ignored, as file types were matched where the documents come from.
bool MatchesMasks(std::string_view fileName, std::string_view masks);

// A place of the drive list: a folder where a user keeps files, and the name it is spoken by.
struct TPlace {
    fs::path Root;
    std::string Name; // UTF-8
};

// The mount points of removable media in a mount table (the text of /proc/self/mounts): the
// ones under /media and /run/media, in the table's order.
std::vector<fs::path> RemovableMounts(std::string_view mountTable);

// How a folder is spoken: without its place, the part below the place's root; the place's
// own name at its root. A folder outside the place is spoken whole.
std::string SpokenFolder(const fs::path& folder, const TPlace& place);

} // namespace tavi

// Where the users of the program keep their documents: a folder in the desktop's own documents
// folder, so that people and other programs (file managers, mail attachments) find them.
#pragma once

#include <filesystem>
#include <string>

namespace tavi {

// "<Documents>/Tavi": <Documents> is the desktop's documents folder (the XDG user directories);
// $TAVI_USER_DIR replaces the whole (tests).
std::filesystem::path DocumentsRoot();

} // namespace tavi

// Writing a file so that it is either the old one or the whole new one, also after a crash or a
// power cut: the bytes go to a file beside it, reach the disk, and are renamed over it.
#pragma once

#include <filesystem>
#include <string_view>

namespace tavi {

// Creates the folder when needed. By default the file is readable by its owner only (it may
// hold a password or an unsaved letter); data files for everyone pass 0644. Throws EFOpenError
// naming the file when it cannot be written; the old file is then as it was.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         unsigned mode = 0600);

} // namespace tavi

// Reading a document named by the user without ever waiting on it: only a regular file is
// read (a FIFO would block the program for good, a device or a folder never ends or is no
// document), and only up to a size limit, checked before a byte is read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tavi {

enum class TFileFault { None, Missing, NotRegular, TooLarge, Unreadable };

// Whether the file is a regular file (links followed) of at most maxSize bytes.
TFileFault CheckDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize);

// The whole of such a file into bytes; on a fault bytes is left empty.
TFileFault ReadDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize,
                            std::string& bytes);

} // namespace tavi

// Reading a document named by the user without ever waiting on it: only a regular file is
// read (a FIFO would block the program for good, a device or a folder never ends or is no
// document), and only up to a size limit, checked before a byte is read.
#pragma once

#include "platform/filefailure.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tavi {

// Whether the file is a regular file (links followed) of at most maxSize bytes: no failure
// when it is, else NotFound, NotRegular, TooLarge or what the system said.
TFileFailure CheckDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize);

// The whole of such a file into bytes; on a failure bytes is left empty.
TFileFailure ReadDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize,
                              std::string& bytes);

} // namespace tavi

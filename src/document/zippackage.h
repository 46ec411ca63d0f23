// What a zip package (".docx", ".odt" and the like) unpacks to, read from its central directory
// without unpacking anything: a package of one megabyte can hold 300 MB of XML, which a
// converter would read for many minutes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace tavi {

// Where the central directory lies.
struct TZipDirectory {
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
};

// From the last bytes of a file (the end record lies in its last 65,557) and the file's size.
// nullopt when there is no end record, it points outside the file, or it is of the 64-bit form.
std::optional<TZipDirectory> FindZipDirectory(std::string_view tail, std::uint64_t fileSize);

// The sum of the unpacked sizes of a central directory's entries; an entry whose size needs the
// 64-bit form counts as the largest size. nullopt when the bytes are no central directory.
std::optional<std::uint64_t> ZipUnpackedSize(std::string_view directory);

// The two over a file; nullopt also when it cannot be read.
std::optional<std::uint64_t> PackageUnpackedSize(const std::filesystem::path& file);

} // namespace tavi

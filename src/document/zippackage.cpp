#include "document/zippackage.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace tavi {

namespace {

constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t EntryHeaderSize = 46;
constexpr std::size_t TailMax = EndRecordSize + 0xFFFF; // the record and the longest comment
constexpr std::uint32_t EndSignature = 0x06054b50;
constexpr std::uint32_t EntrySignature = 0x02014b50;
constexpr std::uint32_t Wide32 = 0xFFFFFFFF; // the 64-bit form holds the value

std::uint32_t Little(std::string_view b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

} // namespace

std::optional<TZipDirectory> FindZipDirectory(std::string_view tail, std::uint64_t fileSize) {
    if (tail.size() < EndRecordSize || tail.size() > fileSize) return std::nullopt;
    for (std::size_t at = tail.size() - EndRecordSize + 1; at-- > 0;) {
        if (Little(tail, at, 4) != EndSignature) continue;
        const TZipDirectory d{Little(tail, at + 16, 4), Little(tail, at + 12, 4)};
        if (d.Offset == Wide32 || d.Size == Wide32) return std::nullopt;
        if (d.Offset + d.Size > fileSize) return std::nullopt;
        return d;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ZipUnpackedSize(std::string_view directory) {
    std::uint64_t total = 0;
    for (std::size_t at = 0; at < directory.size();) {
        if (directory.size() - at < EntryHeaderSize || Little(directory, at, 4) != EntrySignature)
            return std::nullopt;
        const std::uint32_t size = Little(directory, at + 24, 4);
        if (size == Wide32) return std::numeric_limits<std::uint64_t>::max();
        total += size;
        at += EntryHeaderSize + Little(directory, at + 28, 2) + Little(directory, at + 30, 2) +
              Little(directory, at + 32, 2);
    }
    return total;
}

std::optional<std::uint64_t> PackageUnpackedSize(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const auto fileSize = static_cast<std::uint64_t>(in.tellg());
    const auto read = [&](std::uint64_t offset, std::uint64_t size) {
        std::string bytes(static_cast<std::size_t>(size), '\0');
        in.seekg(static_cast<std::streamoff>(offset));
        in.read(bytes.data(), static_cast<std::streamsize>(size));
        if (!in) bytes.clear();
        return bytes;
    };
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, TailMax);
    const auto directory = FindZipDirectory(read(fileSize - tailSize, tailSize), fileSize);
    if (!directory) return std::nullopt;
    const std::string bytes = read(directory->Offset, directory->Size);
    if (bytes.size() != directory->Size) return std::nullopt;
    return ZipUnpackedSize(bytes);
}

} // namespace tavi

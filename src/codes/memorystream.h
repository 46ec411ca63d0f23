// An in-memory byte stream with a position, the container the converters read and write.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace tavi {

class TMemoryStream {
public:
    std::string Data;
    std::size_t Position = 0;

    std::size_t Size() const { return Data.size(); }
    bool AtEnd() const { return Position >= Data.size(); }
    void Rewind() { Position = 0; }
    void Clear() {
        Data.clear();
        Position = 0;
    }
    // Writes at the position, overwriting and extending as a file would.
    void Write(std::string_view bytes);
    // Reads up to count bytes from the position.
    std::string Read(std::size_t count);
    // Replaces the contents with the whole file and rewinds; throws EFOpenError.
    void LoadFromFile(const std::filesystem::path& fileName);
};

// The file of that name in the folder; when no file has exactly that name, one whose name
// differs only in letter case (table names such as "VNI for Win" and "Vni for Win" open the
// same file). The exact path when neither exists.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder, const std::string& fileName);

// Reads a whole file; throws EFOpenError naming the file when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path& fileName);

} // namespace tavi

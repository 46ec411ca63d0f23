// A read-write file stream on a new file in the system's temporary folder, deleted with the
// stream. The SMTP client writes the message into one and sends it from there.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>

namespace tavi {

class TTempFileStream : public std::fstream {
public:
    // Creates a new file named "ms" and a unique suffix; throws EFOpenError when it cannot.
    TTempFileStream();
    ~TTempFileStream() override;
    TTempFileStream(const TTempFileStream&) = delete;
    TTempFileStream& operator=(const TTempFileStream&) = delete;

    const std::filesystem::path& FileName() const { return Path; }
    // Bytes written so far (the file's size).
    std::uintmax_t Size();

private:
    std::filesystem::path Path;
};

} // namespace tavi

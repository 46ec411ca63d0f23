// Writing a file so that it is either the old one or the whole new one, also after a crash or a
// power cut: the bytes go to a file beside it, reach the disk, and are renamed over it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace tavi {

// Creates the folder when needed. By default the file is readable by its owner only (it may
// hold a password or an unsaved letter); data files for everyone pass 0644. The bytes are on
// the disk when this returns. Throws EFOpenError naming the file when it cannot be written;
// the old file is then as it was and nothing is left beside it.
void WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         unsigned mode = 0600);

// A document the user saves: written whole or not at all, on the disk when this returns, with
// the permissions of the file it replaces (a new one gets those the umask allows). A link is
// followed: the file it names is replaced. Throws EFileFailure naming the file and saying why;
// the old file is then byte for byte as it was, and nothing is left beside it.
void SaveFileWhole(const std::filesystem::path& file, std::string_view bytes);

// A file written piece by piece into a hidden file beside it, which is renamed over it only when
// all of it is there: a failure at any point (a full disk, a file-size limit) leaves the old
// file, or no file, as it was. Without Commit the hidden file is removed.
class TAtomicFileWriter {
public:
    // The folder must exist. mode: the permissions of the file; by default those of a new
    // file (0666 less the umask). Throws EFileFailure naming the file and saying why.
    explicit TAtomicFileWriter(const std::filesystem::path& file, int mode = -1);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    // Throws EFileFailure naming the file and saying why.
    void Write(std::string_view bytes);
    // Writes over bytes already written (a header whose sizes are known only at the end).
    void WriteAt(std::uint64_t offset, std::string_view bytes);
    // Puts the file in place; with sync, only once it reached the disk, and the folder's new
    // entry is written to the disk after it. Throws EFileFailure.
    void Commit(bool sync = false);

private:
    [[noreturn]] void Fail(const char* what);
    std::filesystem::path File;
    std::filesystem::path Temp;
    int Fd = -1;
};

// Writes all of bytes to a file descriptor; false (errno set) when it cannot.
bool WriteAll(int fd, std::string_view bytes);
// Reads until size bytes or the end of the input; the count read, or -1 (errno set).
long ReadFull(int fd, char* to, std::size_t size);

} // namespace tavi

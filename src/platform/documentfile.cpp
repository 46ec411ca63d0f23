#include "platform/documentfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavi {

namespace {

TFileFault FaultOf(const struct stat& st, std::uint64_t maxSize) {
    if (!S_ISREG(st.st_mode)) return TFileFault::NotRegular;
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) return TFileFault::TooLarge;
    return TFileFault::None;
}

TFileFault ReadAll(int fd, std::uint64_t maxSize, std::string& bytes) {
    char block[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return TFileFault::Unreadable;
        if (n == 0) return TFileFault::None;
        // A file that grew since it was measured is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(n) > maxSize) return TFileFault::TooLarge;
        bytes.append(block, static_cast<std::size_t>(n));
    }
}

} // namespace

TFileFault CheckDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? TFileFault::Missing : TFileFault::Unreadable;
    return FaultOf(st, maxSize);
}

TFileFault ReadDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize,
                            std::string& bytes) {
    bytes.clear();
    if (const TFileFault f = CheckDocumentFile(file, maxSize); f != TFileFault::None) return f;
    // Not blocking on open: the name may have become a FIFO since it was looked at.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return TFileFault::Unreadable;
    struct stat st {};
    TFileFault fault = ::fstat(fd, &st) == 0 ? FaultOf(st, maxSize) : TFileFault::Unreadable;
    if (fault == TFileFault::None) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        fault = ReadAll(fd, maxSize, bytes);
    }
    ::close(fd);
    if (fault != TFileFault::None) bytes.clear();
    return fault;
}

} // namespace tavi

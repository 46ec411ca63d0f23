#include "platform/documentfile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavi {

namespace {

TFileFailure FaultOf(const struct stat& st, std::uint64_t maxSize) {
    if (!S_ISREG(st.st_mode)) return {TFileReason::NotRegular, {}};
    if (static_cast<std::uint64_t>(st.st_size) > maxSize) return {TFileReason::TooLarge, {}};
    return {};
}

TFileFailure ReadAll(int fd, std::uint64_t maxSize, std::string& bytes) {
    char block[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FailureOfErrno(errno);
        if (n == 0) return {};
        // A file that grew since it was measured is held to the same limit.
        if (bytes.size() + static_cast<std::size_t>(n) > maxSize)
            return {TFileReason::TooLarge, {}};
        bytes.append(block, static_cast<std::size_t>(n));
    }
}

} // namespace

TFileFailure CheckDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return FailureOfErrno(errno);
    return FaultOf(st, maxSize);
}

TFileFailure ReadDocumentFile(const std::filesystem::path& file, std::uint64_t maxSize,
                              std::string& bytes) {
    bytes.clear();
    if (TFileFailure f = CheckDocumentFile(file, maxSize); f.Failed()) return f;
    // Not blocking on open: the name may have become a FIFO since it was looked at.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return FailureOfErrno(errno);
    struct stat st {};
    TFileFailure fault = ::fstat(fd, &st) == 0 ? FaultOf(st, maxSize) : FailureOfErrno(errno);
    if (!fault.Failed()) {
        bytes.reserve(static_cast<std::size_t>(st.st_size));
        fault = ReadAll(fd, maxSize, bytes);
    }
    ::close(fd);
    if (fault.Failed()) bytes.clear();
    return fault;
}

} // namespace tavi

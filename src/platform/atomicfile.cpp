#include "platform/atomicfile.h"

#include "platform/errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavi {

namespace fs = std::filesystem;

namespace {

// The process's umask, which can only be read by setting it; read once.
mode_t CurrentUmask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return m;
    }();
    return mask;
}

} // namespace

void WriteFileAtomically(const fs::path& file, std::string_view bytes, unsigned mode) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    const fs::path temp = file.string() + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) throw EFOpenError(file.string());
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    const bool written = done == bytes.size() && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || std::rename(temp.c_str(), file.c_str()) != 0) {
        fs::remove(temp, ec);
        throw EFOpenError(file.string());
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

long ReadFull(int fd, char* to, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, to + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long>(done);
}

TAtomicFileWriter::TAtomicFileWriter(const fs::path& file, int mode) : File(file) {
    // Hidden and unique, so that it never takes the name of another file of the folder.
    std::string name = ".";
    name += file.filename().string();
    name += ".XXXXXX";
    std::string pattern = (file.parent_path() / name).string();
    Fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (Fd < 0) throw EFOpenError(file.string() + ": " + std::strerror(errno));
    Temp = pattern;
    ::fchmod(Fd, mode < 0 ? 0666 & ~CurrentUmask() : static_cast<mode_t>(mode));
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (Fd >= 0) ::close(Fd);
    std::error_code ec;
    if (!Temp.empty()) fs::remove(Temp, ec);
}

void TAtomicFileWriter::Fail(const char* what) {
    throw EInOutError(std::string(what) + " " + File.string() + ": " + std::strerror(errno));
}

void TAtomicFileWriter::Write(std::string_view bytes) {
    if (!WriteAll(Fd, bytes)) Fail("Cannot write");
}

void TAtomicFileWriter::WriteAt(std::uint64_t offset, std::string_view bytes) {
    if (::pwrite(Fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(bytes.size()))
        Fail("Cannot write");
}

void TAtomicFileWriter::Commit(bool sync) {
    if (sync && ::fsync(Fd) != 0) Fail("Cannot write");
    const int fd = Fd;
    Fd = -1;
    if (::close(fd) != 0) Fail("Cannot write");
    if (std::rename(Temp.c_str(), File.c_str()) != 0) Fail("Cannot replace");
    Temp.clear();
}

} // namespace tavi

#include "platform/atomicfile.h"

#include "platform/errors.h"
#include "platform/filefailure.h"

#include <cerrno>
#include <cstdio>
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

// The rename is on the disk only once the folder is: without this a power cut can bring the
// old file back, or leave none.
void SyncFolder(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd); // the file is in place already: a folder that cannot be synced changes nothing
    ::close(fd);
}

// Closes the written temporary file and renames it over the file, after it reached the disk
// when sync. False (errno set) at the first step that fails; the temporary file is then left
// to the caller to remove. A write error that the disk reports late comes out of fsync or
// close, which is why neither result may be ignored.
bool PutInPlace(int fd, const fs::path& temp, const fs::path& file, bool sync) {
    const bool synced = !sync || ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (!synced) errno = error;
    if (!synced || !closed || std::rename(temp.c_str(), file.c_str()) != 0) return false;
    if (sync) SyncFolder(file);
    return true;
}

// The file a link names (links to links followed), or the file itself.
fs::path FollowLinks(fs::path file) {
    std::error_code ec;
    for (int hops = 0; hops < 40 && fs::is_symlink(file, ec); ++hops) {
        const fs::path target = fs::read_symlink(file, ec);
        if (ec) break;
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    return file;
}

} // namespace

void WriteFileAtomically(const fs::path& file, std::string_view bytes, unsigned mode) {
    std::error_code ec;
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), ec);
    const fs::path temp = file.string() + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) throw EFOpenError(file.string());
    // A ".new" left by a crash keeps its own permissions through O_TRUNC.
    const bool written = ::fchmod(fd, mode) == 0 && WriteAll(fd, bytes);
    if (!written) ::close(fd);
    if (!written || !PutInPlace(fd, temp, file, true)) {
        fs::remove(temp, ec);
        throw EFOpenError(file.string());
    }
}

void SaveFileWhole(const fs::path& file, std::string_view bytes) {
    const fs::path target = FollowLinks(file);
    struct stat st = {};
    const bool replaces = ::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    TAtomicFileWriter out(target, replaces ? static_cast<int>(st.st_mode & 07777) : -1);
    out.Write(bytes);
    out.Commit(true);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) errno = ENOSPC; // nothing taken and no reason given: the disk is full
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
    // Hidden and unique, so that it never takes the name of another file of the folder; cut
    // so that the longest name the folder takes still leaves room for the rest.
    std::string name = file.filename().string();
    if (name.size() > 200) name.resize(200);
    std::string pattern = (file.parent_path() / ("." + name + ".XXXXXX")).string();
    Fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (Fd < 0) Fail("Cannot create a file beside");
    Temp = pattern;
    ::fchmod(Fd, mode < 0 ? 0666 & ~CurrentUmask() : static_cast<mode_t>(mode));
}

TAtomicFileWriter::~TAtomicFileWriter() {
    if (Fd >= 0) ::close(Fd);
    std::error_code ec;
    if (!Temp.empty()) fs::remove(Temp, ec);
}

void TAtomicFileWriter::Fail(const char* what) {
    TFileFailure why = FailureOfErrno(errno);
    const std::string message = std::string(what) + " " + File.string() + ": " + why.Words;
    throw EFileFailure(message, std::move(why));
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
    const int fd = Fd;
    Fd = -1;
    if (!PutInPlace(fd, Temp, File, sync)) Fail("Cannot save");
    Temp.clear();
}

} // namespace tavi

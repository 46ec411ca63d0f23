#include "platform/atomicfile.h"

#include "platform/errors.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tavi {

namespace fs = std::filesystem;

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

} // namespace tavi

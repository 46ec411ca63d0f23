#include "mail/tempfilestream.h"

#include "platform/errors.h"

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace tavi {

namespace {

std::filesystem::path CreateUniqueFile() {
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    if (ec) folder = "/tmp";
    std::string name = (folder / "msXXXXXX").string();
    // mkstemp creates the file exclusively, so two streams never share a name.
    const int fd = mkstemp(name.data());
    if (fd < 0) throw EFOpenError(name);
    close(fd);
    return name;
}

} // namespace

TTempFileStream::TTempFileStream() : Path(CreateUniqueFile()) {
    open(Path, std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
    if (!is_open()) {
        std::error_code ec;
        std::filesystem::remove(Path, ec);
        throw EFOpenError(Path.string());
    }
}

TTempFileStream::~TTempFileStream() {
    close();
    std::error_code ec;
    std::filesystem::remove(Path, ec);
}

std::uintmax_t TTempFileStream::Size() {
    flush();
    std::error_code ec;
    const auto size = std::filesystem::file_size(Path, ec);
    return ec ? 0 : size;
}

} // namespace tavi

// Document files are read only when they are regular files within the size limit, and never
// block: FIFOs, devices and folders are refused at once.
#include "platform/documentfile.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using tavi::TFileFault;

TEST(DocumentFile, OnlyRegularFilesWithinTheLimitAreRead) {
    tavitest::TempDir dir;
    tavitest::WriteFile(dir / "small.txt", "abc");
    tavitest::WriteFile(dir / "big.txt", "");
    fs::resize_file(dir / "big.txt", 11); // one byte past the limit below
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "small.txt", dir / "link.txt");
    fs::create_symlink(dir / "fifo", dir / "link-to-fifo");
    const struct {
        fs::path file;
        TFileFault fault;
        std::string bytes;
    } cases[] = {
        {dir / "small.txt", TFileFault::None, "abc"},
        {dir / "link.txt", TFileFault::None, "abc"},
        {dir / "big.txt", TFileFault::TooLarge, ""},
        {dir / "fifo", TFileFault::NotRegular, ""}, // would block for good if opened
        {dir / "link-to-fifo", TFileFault::NotRegular, ""},
        {dir / "folder", TFileFault::NotRegular, ""},
        {"/dev/zero", TFileFault::NotRegular, ""}, // would never end
        {dir / "missing", TFileFault::Missing, ""},
        {dir / "small.txt/under", TFileFault::Missing, ""},
    };
    for (const auto& c : cases) {
        std::string bytes = "old";
        EXPECT_EQ(tavi::ReadDocumentFile(c.file, 10, bytes), c.fault) << c.file;
        EXPECT_EQ(bytes, c.bytes) << c.file;
        EXPECT_EQ(tavi::CheckDocumentFile(c.file, 10), c.fault) << c.file;
    }
}

} // namespace

// The unpacked size of zip packages made by Python's own zipfile: ordinary ones, one that
// unpacks to a thousand times its size, the 64-bit form, and files that are no package.
#include "document/zippackage.h"
#include "support/testdata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>

namespace {

TEST(ZipPackage, UnpackedSizeFromTheCentralDirectory) {
    tavitest::TempDir dir;
    constexpr std::uint64_t Huge = std::numeric_limits<std::uint64_t>::max();
    const struct {
        const char* name;
        std::string make; // Python, writing the package to the file named f
        std::optional<std::uint64_t> unpacked;
    } cases[] = {
        {"ordinary",
         "z = zipfile.ZipFile(f, 'w', zipfile.ZIP_DEFLATED)\n"
         "z.writestr('a.xml', 'x' * 1000)\nz.writestr('b/c.xml', 'y' * 234)",
         1234},
        {"bomb",
         "z = zipfile.ZipFile(f, 'w', zipfile.ZIP_DEFLATED, compresslevel=9)\n"
         "z.writestr('word/document.xml', '<w:p/>' * 5000000)",
         30000000},
        {"commented",
         "z = zipfile.ZipFile(f, 'w')\nz.writestr('a', 'abc')\nz.comment = b'PK' * 300", 3},
        {"empty", "z = zipfile.ZipFile(f, 'w')", 0},
        // An entry whose size takes the 64-bit form, as one past 4 GB does.
        {"64-bit sizes",
         "z = zipfile.ZipFile(f, 'w')\nz.writestr('a', 'abc')\nz.close()\n"
         "d = bytearray(open(f, 'rb').read())\ne = d.rindex(b'PK\\x01\\x02')\n"
         "d[e + 24:e + 28] = b'\\xff' * 4\nopen(f, 'wb').write(d)",
         Huge},
        {"no package", "open(f, 'wb').write(b'PK\\x03\\x04' * 99)", std::nullopt},
        {"truncated directory",
         "z = zipfile.ZipFile(f, 'w')\nz.writestr('a', 'abc')\nz.close()\n"
         "d = open(f, 'rb').read()\nopen(f, 'wb').write(d[:30] + d[-22:])",
         std::nullopt},
    };
    for (const auto& c : cases) {
        const std::filesystem::path file = dir / c.name;
        tavitest::WriteFile(dir / "make.py",
                            "import zipfile\nf = '" + file.string() + "'\n" + c.make + "\n");
        ASSERT_EQ(std::system(("/usr/bin/python3 '" + (dir / "make.py").string() + "'").c_str()), 0)
            << c.name;
        EXPECT_EQ(tavi::PackageUnpackedSize(file), c.unpacked) << c.name;
    }
    EXPECT_EQ(tavi::PackageUnpackedSize(dir / "missing"), std::nullopt);
}

} // namespace

// Helpers shared by the tests: scratch folders, files and the project's test data.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <sys/wait.h>

namespace tavitest {

namespace fs = std::filesystem;

// A fresh folder under the system temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        path_ = fs::temp_directory_path() /
                ("tavi-test-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

inline void WriteFile(const fs::path& file, std::string_view bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The project's own folders, as the build saw them.
inline fs::path SourceDir() {
    return TAVI_SOURCE_DIR;
}
inline fs::path BinaryDir() {
    return TAVI_BINARY_DIR;
}
inline fs::path TestData(const std::string& name) {
    return SourceDir() / "tests/data" / name;
}
// The data folder of the build tree (share/tavi), the program folder of the tests.
inline fs::path DataDir() {
    return BinaryDir() / "share/tavi";
}

// Runs a shell command in a folder, $T standing for tavitool, its error output in the file
// "err" there; its exit status (-1: it did not exit).
inline int RunTavitoolIn(const fs::path& folder, std::string command) {
    const std::string tool = "'" + (BinaryDir() / "bin/tavitool").string() + "'";
    for (std::size_t at; (at = command.find("$T")) != std::string::npos;)
        command.replace(at, 2, tool);
    const std::string line = "cd '" + folder.string() + "' && " + command + " 2>err";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a shell command printed (its error output too), and its exit status (-1: it did not exit).
inline std::string RunCommand(const std::string& command, int& status) {
    status = -1;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    if (!pipe) return out;
    char buf[4096];
    for (std::size_t n; (n = fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    const int s = pclose(pipe);
    status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    return out;
}

// Bytes written as hex pairs, for readable expectations ("61 F9").
inline std::string Hex(std::string_view hex) {
    std::string out;
    int nibble = -1;
    for (char c : hex) {
        int v = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                         : -1;
        if (v < 0) continue;
        if (nibble < 0) {
            nibble = v;
        } else {
            out += static_cast<char>(nibble * 16 + v);
            nibble = -1;
        }
    }
    return out;
}

// Bytes as hex pairs ("61 F9"), the inverse of Hex, for readable failures.
inline std::string HexOf(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!out.empty()) out += ' ';
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace tavitest

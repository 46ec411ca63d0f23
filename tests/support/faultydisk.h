// The faults of a real disk, made for a test: a small tmpfs of its own that can be filled up or
// remounted read-only, a folder in a file's place, a file-size limit (ulimit -f), and a folder
// without write permission (root passes every permission check, so the calling thread gives up
// that power while the fault lasts). Mounting needs root, as CI and the test machines run;
// elsewhere Mounted() is false and the test skips.
#pragma once

#include <filesystem>
#include <string>

#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tavitest {

enum class TFault { FullDisk, ReadOnly, FolderInPlace, SizeLimit, NoPermission };

inline const char* FaultName(TFault f) {
    const char* names[] = {"a full disk", "a read-only disk", "a folder in the file's place",
                           "a file-size limit", "a folder without write permission"};
    return names[static_cast<int>(f)];
}

class TFaultyDisk {
public:
    explicit TFaultyDisk(std::filesystem::path at) : At(std::move(at)) {
        std::filesystem::create_directories(At);
        Mounted = ::mount("tmpfs", At.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0;
    }
    ~TFaultyDisk() {
        Lift();
        if (Mounted) ::umount2(At.c_str(), MNT_DETACH);
    }
    TFaultyDisk(const TFaultyDisk&) = delete;
    TFaultyDisk& operator=(const TFaultyDisk&) = delete;

    const std::filesystem::path& Path() const { return At; }
    bool IsMounted() const { return Mounted; }

    // The fault, for the file that is about to be written; true when it is in place.
    bool Make(TFault fault, const std::filesystem::path& file) {
        switch (fault) {
        case TFault::FullDisk: return Fill();
        case TFault::ReadOnly:
            return ::mount(nullptr, At.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        case TFault::FolderInPlace:
            std::filesystem::remove(file);
            return std::filesystem::create_directories(file / "inside");
        case TFault::SizeLimit: {
            std::signal(SIGXFSZ, SIG_IGN); // as the program does: a failed write, not the end
            ::getrlimit(RLIMIT_FSIZE, &Saved);
            rlimit small = Saved;
            small.rlim_cur = 64;
            Limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
            return Limited;
        }
        case TFault::NoPermission:
            Locked = ::chmod(file.parent_path().c_str(), 0555) == 0 && Override(false);
            return Locked;
        }
        return false;
    }
    // The disk works again: room on it, written as before.
    void Heal() {
        ::mount(nullptr, At.c_str(), nullptr, MS_REMOUNT, nullptr);
        std::error_code ec;
        std::filesystem::remove(At / "filler", ec);
    }
    // Takes a file-size limit and the lost permission away again (the test process writes its
    // own files too).
    void Lift() {
        if (Limited) ::setrlimit(RLIMIT_FSIZE, &Saved);
        if (Locked) Override(true);
        Limited = Locked = false;
    }

private:
    // Whether this thread passes permission checks as root does.
    static bool Override(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0) return false;
        const unsigned bit = 1u << CAP_DAC_OVERRIDE;
        data[0].effective = on ? data[0].effective | bit : data[0].effective & ~bit;
        return ::syscall(SYS_capset, &header, data) == 0;
    }

    bool Fill() {
        const int fd = ::open((At / "filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const std::string block(65536, 'x');
        while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) continue;
        return fd >= 0 && ::close(fd) == 0;
    }

    std::filesystem::path At;
    bool Mounted = false;
    bool Limited = false;
    bool Locked = false;
    rlimit Saved{};
};

} // namespace tavitest

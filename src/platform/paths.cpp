#include "platform/paths.h"

#include <cstdlib>
#include <system_error>

namespace tavi {

namespace fs = std::filesystem;

fs::path ExecutableFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path();
    return exe.parent_path();
}

static fs::path WithSeparator(fs::path p) {
    std::string s = p.string();
    if (s.empty() || s.back() != '/') s += '/';
    return fs::path(s);
}

static fs::path XdgFolder(const char* override, const char* xdgVar, const char* fallback) {
    if (const char* env = std::getenv(override); env && *env) return env;
    if (const char* env = std::getenv(xdgVar); env && *env) return fs::path(env) / "tavi";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/tmp") / fallback / "tavi";
}

fs::path UserConfigFolder() {
    return XdgFolder("TAVI_CONFIG_DIR", "XDG_CONFIG_HOME", ".config");
}

fs::path UserStateFolder() {
    return XdgFolder("TAVI_STATE_DIR", "XDG_STATE_HOME", ".local/state");
}

fs::path ProgramFolder() {
    if (const char* env = std::getenv("TAVI_DATA_DIR"); env && *env) return WithSeparator(env);
    std::error_code ec;
    fs::path beside = (ExecutableFolder() / TAVI_DATA_SUBDIR).lexically_normal();
    if (fs::is_directory(beside, ec)) return WithSeparator(beside);
    // An installed program run through a symlink elsewhere still finds the default prefix.
    return WithSeparator(fs::path("/usr/local/share/tavi"));
}

} // namespace tavi

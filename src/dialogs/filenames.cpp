#include "dialogs/filenames.h"

#include <algorithm>

namespace tavi {

namespace {

fs::path TypedPath(std::string_view typed, const fs::path& folder, const fs::path& home) {
    const std::string name(typed);
    if (name == "~") return home;
    if (name.starts_with("~/")) return home / name.substr(2);
    const fs::path path(name);
    return path.is_absolute() ? path : folder / path;
}

unsigned char Lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// A file mask of the type lists: "*" and "?" wildcards.
bool Matches(std::string_view name, std::string_view mask) {
    std::size_t n = 0, m = 0, starN = std::string_view::npos, starM = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starM = ++m;
            starN = n;
        } else if (m < mask.size() &&
                   (mask[m] == '?' || Lower(static_cast<unsigned char>(mask[m])) ==
                                          Lower(static_cast<unsigned char>(name[n])))) {
            ++m;
            ++n;
        } else if (starN != std::string_view::npos) {
            m = starM;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

// "\040" and the like: the mount table writes blanks and a few other bytes in octal.
std::string UnescapeMount(std::string_view field) {
    const auto octal = [&](std::size_t k) { return field[k] >= '0' && field[k] <= '7'; };
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(i + 1) && octal(i + 2) &&
            octal(i + 3)) {
            out += static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

fs::path SavePath(std::string_view typed, const fs::path& folder, const fs::path& home) {
    if (typed.empty()) return {};
    fs::path path = TypedPath(typed, folder, home);
    if (!path.has_extension()) path += ".TXT";
    return path;
}

fs::path OpenPath(std::string_view typed, const fs::path& folder, const fs::path& home) {
    if (typed.empty()) return {};
    return TypedPath(typed, folder, home);
}

std::vector<std::string> NameCompletions(std::string_view typed, const fs::path& folder,
                                         const fs::path& home) {
    const std::size_t slash = typed.rfind('/');
    const std::string_view head = slash == std::string_view::npos ? "" : typed.substr(0, slash + 1);
    const std::string_view start = typed.substr(head.size());
    const fs::path dir = head.empty() ? folder : TypedPath(head, folder, home);
    const auto begins = [start](const std::string& name) {
        return name.size() >= start.size() &&
               std::equal(start.begin(), start.end(), name.begin(), [](char a, char b) {
                   return Lower(static_cast<unsigned char>(a)) ==
                          Lower(static_cast<unsigned char>(b));
               });
    };
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if ((name.starts_with('.') && !start.starts_with('.')) || !begins(name)) continue;
        std::error_code kind; // a name that vanished meanwhile is still a name
        names.push_back(std::string(head) + name + (it->is_directory(kind) ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string UserFolderName(std::string_view userName) {
    std::string safe;
    for (unsigned char c : userName)
        safe += (c == '/' || c < 0x20 || c == 0x7F) ? '_' : static_cast<char>(c);
    if (safe.empty() || safe == "." || safe == "..") safe = "_" + safe;
    return safe;
}

fs::path DocumentToOpen(const fs::path& name) {
    std::error_code ec;
    if (name.empty() || fs::exists(name, ec)) return name;
    fs::path withTxt = name;
    withTxt += ".TXT";
    return withTxt;
}

bool MatchesMasks(std::string_view fileName, std::string_view masks) {
    while (!masks.empty()) {
        const std::size_t semi = masks.find(';');
        if (Matches(fileName, masks.substr(0, semi))) return true;
        if (semi == std::string_view::npos) break;
        masks.remove_prefix(semi + 1);
    }
    return false;
}

std::vector<fs::path> RemovableMounts(std::string_view mountTable) {
    std::vector<fs::path> mounts;
    while (!mountTable.empty()) {
        const std::size_t eol = mountTable.find('\n');
        std::string_view line = mountTable.substr(0, eol);
        mountTable.remove_prefix(eol == std::string_view::npos ? mountTable.size() : eol + 1);
        // device, mount point, then the rest
        const std::size_t a = line.find(' ');
        if (a == std::string_view::npos) continue;
        line.remove_prefix(a + 1);
        const std::string point = UnescapeMount(line.substr(0, line.find(' ')));
        if ((point.starts_with("/media/") || point.starts_with("/run/media/")) &&
            std::find(mounts.begin(), mounts.end(), fs::path(point)) == mounts.end())
            mounts.emplace_back(point);
    }
    return mounts;
}

std::string SpokenFolder(const fs::path& folder, const TPlace& place) {
    const fs::path relative = folder.lexically_normal().lexically_relative(place.Root);
    if (relative.empty() || *relative.begin() == "..") return folder.string();
    if (relative == ".") return place.Name;
    return relative.string();
}

} // namespace tavi

#include "mail/mimetypes.h"

#include "codes/memorystream.h"
#include "mail/mailheaders.h"
#include "mail/mimecoding.h"

#include <exception>

namespace tavi {

namespace {

void AddType(std::unordered_map<std::string, std::string>& types, std::string_view ext,
             std::string_view type) {
    if (ext.empty() || type.find('/') == std::string_view::npos) return;
    types.emplace(AsciiLower(ext), AsciiLower(type));
}

std::string ReadIfPresent(const std::filesystem::path& file) {
    try {
        return ReadWholeFile(file);
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

void TMimeTypes::LoadMimeTypes(std::string_view text) {
    SplitLines(text, [&](std::string_view line) {
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        std::string_view type;
        std::size_t pos = 0;
        while (pos < line.size()) {
            const std::size_t start = line.find_first_not_of(" \t", pos);
            if (start == std::string_view::npos) break;
            std::size_t end = line.find_first_of(" \t", start);
            if (end == std::string_view::npos) end = line.size();
            const std::string_view word = line.substr(start, end - start);
            if (type.empty())
                type = word;
            else
                AddType(Types, word, type);
            pos = end;
        }
    });
}

void TMimeTypes::LoadGlobs2(std::string_view text) {
    SplitLines(text, [&](std::string_view line) {
        if (line.empty() || line.front() == '#') return;
        const std::size_t c1 = line.find(':');
        const std::size_t c2 = c1 == std::string_view::npos ? c1 : line.find(':', c1 + 1);
        if (c2 == std::string_view::npos) return;
        const std::string_view type = line.substr(c1 + 1, c2 - c1 - 1);
        std::string_view glob = line.substr(c2 + 1);
        if (const std::size_t c3 = glob.find(':'); c3 != std::string_view::npos)
            glob = glob.substr(0, c3);
        // Only plain "*.ext" patterns name an extension.
        if (glob.size() < 3 || glob.substr(0, 2) != "*." ||
            glob.find_first_of("*?[", 2) != std::string_view::npos ||
            glob.find('.', 2) != std::string_view::npos)
            return;
        AddType(Types, glob.substr(2), type);
    });
}

std::string TMimeTypes::Lookup(std::string_view extension) const {
    if (!extension.empty() && extension.front() == '.') extension.remove_prefix(1);
    const auto it = Types.find(AsciiLower(extension));
    return it == Types.end() ? std::string() : it->second;
}

const TMimeTypes& SystemMimeTypes() {
    static const TMimeTypes types = [] {
        TMimeTypes t;
        t.LoadMimeTypes(ReadIfPresent("/etc/mime.types"));
        t.LoadGlobs2(ReadIfPresent("/usr/share/mime/globs2"));
        return t;
    }();
    return types;
}

std::string ContentTypeOf(const std::filesystem::path& fileName) {
    const std::string type = SystemMimeTypes().Lookup(fileName.extension().string());
    return type.empty() ? DefaultContentType : type;
}

} // namespace tavi

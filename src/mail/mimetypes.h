// Content types of attachments by file extension, from the system's MIME database.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tavi {

inline constexpr const char* DefaultContentType = "application/octet-stream";

class TMimeTypes {
public:
    // Adds the entries of a mime.types file ("type ext ext..."); earlier entries win.
    void LoadMimeTypes(std::string_view text);
    // Adds the "*.ext" patterns of a shared-mime-info globs2 file ("weight:type:pattern");
    // the file is sorted by weight, so earlier entries win.
    void LoadGlobs2(std::string_view text);
    // The content type for an extension (with or without its dot, any case); empty when
    // unknown.
    std::string Lookup(std::string_view extension) const;
    std::size_t Count() const { return Types.size(); }

private:
    std::unordered_map<std::string, std::string> Types;
};

// The system's database: /etc/mime.types first, then shared-mime-info's globs2 for what it
// lacks. Read once.
const TMimeTypes& SystemMimeTypes();

// The content type of a file by its extension, "application/octet-stream" when unknown.
std::string ContentTypeOf(const std::filesystem::path& fileName);

} // namespace tavi

// Web pages: HtmlToText against the plain reading of its rules (every step searches again from
// the start after each change), on pages small enough for that to be quick.
#include "document/htmltext.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::string RemoveBlocks(std::string s, const std::string& open, const std::string& close) {
    for (;;) {
        const std::size_t a = s.find(open);
        if (a == std::string::npos) return s;
        const std::size_t b = s.find(close, a + open.size());
        if (b == std::string::npos) return s;
        s.erase(a, b + close.size() - a);
    }
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t a; (a = s.find(from)) != std::string::npos;) s.replace(a, from.size(), to);
    return s;
}

std::string Reference(const std::string& page) {
    std::string s;
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\r' || page[i] == '\n') {
            if (page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n') ++i;
            s += "\r\n";
        } else {
            s += page[i];
        }
    }
    if (!page.empty() && page.back() != '\r' && page.back() != '\n') s += "\r\n";
    s = RemoveBlocks(s, "<HEAD>", "</HEAD>");
    s = RemoveBlocks(s, "<style>", "</style>");
    s = RemoveBlocks(s, "<script", "</script>");
    s = RemoveBlocks(s, "<", ">");
    for (const char* e : {"&nbsp;", "&mdash;", "&ndash;", "&lt;"}) s = Replace(s, e, "");
    s = Replace(s, "&quot;", "\"");
    s = Replace(s, "&raquo;", "\xBB");
    s = Replace(s, "\r\n\r\n", "\r\n");
    if (s.compare(0, 2, "\r\n") == 0) s.erase(0, 2);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string page(reinterpret_cast<const char*>(data), size);
    const std::string text = tavi::HtmlToText(page);
    if (size <= 4096 && text != Reference(page)) std::abort();
    return 0;
}

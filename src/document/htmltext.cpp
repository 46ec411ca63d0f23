#include "document/htmltext.h"

#include "codes/memorystream.h"

#include <algorithm>

namespace tavi {

namespace {

std::string JoinLines(std::string_view data) {
    std::string out;
    out.reserve(data.size() + data.size() / 16 + 2);
    std::size_t i = 0;
    while (i < data.size()) {
        const std::size_t eol = data.find_first_of("\r\n", i);
        if (eol == std::string_view::npos) {
            out.append(data.substr(i));
            out += "\r\n";
            break;
        }
        out.append(data.substr(i, eol - i));
        out += "\r\n";
        i = eol + ((data[eol] == '\r' && eol + 1 < data.size() && data[eol + 1] == '\n') ? 2 : 1);
    }
    return out;
}

// Removes the first block from opener through the first closer after it, and again from the
// start, until no opener has a closer after it. Removing a block joins the text on either side,
// which can make a new opener that starts up to opener.size() - 1 bytes before the join, so the
// next search starts there; nothing earlier can have changed. This gives the result of
// searching from the start every time, in one pass.
std::string RemoveBlocks(const std::string& text, std::string_view opener,
                         std::string_view closer) {
    std::string out;
    std::size_t pos = 0; // text[pos..] is still unread
    for (;;) {
        // The tail of out that a new opener could start in, then the unread text.
        const std::size_t keep = std::min(out.size(), opener.size() - 1);
        std::size_t open = std::string::npos; // in text coordinates, may lie before pos
        std::size_t inTail = 0;               // bytes of the opener that lie in out
        if (keep > 0) {
            const std::string window = out.substr(out.size() - keep) +
                                       text.substr(pos, std::min(text.size() - pos, opener.size()));
            const std::size_t w = window.find(opener);
            if (w != std::string::npos && w < keep) {
                inTail = keep - w;
                open = pos;
            }
        }
        if (open == std::string::npos) open = text.find(opener, pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find(closer, open + opener.size() - inTail);
        if (close == std::string::npos) break;
        out.resize(out.size() - inTail);
        out.append(text, pos, open - pos);
        pos = close + closer.size();
    }
    out.append(text, pos, std::string::npos);
    return out;
}

// Replaces every occurrence of pattern by replacement, searching again from the start after
// each change. Text is appended byte by byte and an occurrence is always replaced as soon as it
// ends the output, so the output never holds an occurrence and the first occurrence of the
// whole text is always the one just completed.
std::string ReplaceAll(const std::string& text, std::string_view pattern,
                       std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    const auto endsWithPattern = [&] {
        return out.size() >= pattern.size() &&
               std::string_view(out).substr(out.size() - pattern.size()) == pattern;
    };
    for (char c : text) {
        out += c;
        while (!out.empty() && out.back() == pattern.back() && endsWithPattern()) {
            out.resize(out.size() - pattern.size());
            out.append(replacement);
        }
    }
    return out;
}

} // namespace

std::string HtmlToText(std::string_view page) {
    std::string text = JoinLines(page);
    text = RemoveBlocks(text, "<HEAD>", "</HEAD>");
    text = RemoveBlocks(text, "<style>", "</style>");
    text = RemoveBlocks(text, "<script", "</script>");
    text = RemoveBlocks(text, "<", ">");
    text = ReplaceAll(text, "&nbsp;", "");
    text = ReplaceAll(text, "&mdash;", "");
    text = ReplaceAll(text, "&ndash;", "");
    text = ReplaceAll(text, "&lt;", "");
    text = ReplaceAll(text, "&quot;", "\"");
    text = ReplaceAll(text, "&raquo;", "\xBB");
    text = ReplaceAll(text, "\r\n\r\n", "\r\n");
    if (text.compare(0, 2, "\r\n") == 0) text.erase(0, 2);
    return text;
}

std::string HtmlFileToText(const std::filesystem::path& fileName) {
    return HtmlToText(ReadWholeFile(fileName));
}

} // namespace tavi

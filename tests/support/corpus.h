// Real Vietnamese prose for the tests (see tests/data/vi/README).
#pragma once

#include "support/testdata.h"

#include <string>
#include <vector>

namespace tavitest {

// The 146 letters of the letter order in UTF-8: a ă â e ê i o ô ơ u ư y (plain, acute,
// grave, hook, tilde, dot), đ, then the capitals.
inline std::vector<std::string> VietnameseAlphabet() {
    static const char* const text =
        "a á à ả ã ạ ă ắ ằ ẳ ẵ ặ â ấ ầ ẩ ẫ ậ e é è ẻ ẽ ẹ ê ế ề ể ễ ệ i í ì ỉ ĩ ị "
        "o ó ò ỏ õ ọ ô ố ồ ổ ỗ ộ ơ ớ ờ ở ỡ ợ u ú ù ủ ũ ụ ư ứ ừ ử ữ ự y ý ỳ ỷ ỹ ỵ đ "
        "A Á À Ả Ã Ạ Ă Ắ Ằ Ẳ Ẵ Ặ Â Ấ Ầ Ẩ Ẫ Ậ E É È Ẻ Ẽ Ẹ Ê Ế Ề Ể Ễ Ệ I Í Ì Ỉ Ĩ Ị "
        "O Ó Ò Ỏ Õ Ọ Ô Ố Ồ Ổ Ỗ Ộ Ơ Ớ Ờ Ở Ỡ Ợ U Ú Ù Ủ Ũ Ụ Ư Ứ Ừ Ử Ữ Ự Y Ý Ỳ Ỷ Ỹ Ỵ Đ";
    std::vector<std::string> letters;
    std::string cur;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ') {
            letters.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    letters.push_back(cur);
    return letters;
}

// The prose corpus (UTF-8), with the few typographic characters that no 8-bit Vietnamese code
// has (no-break space, curly quotes, dashes, ellipsis, zero-width space) replaced by ASCII, so
// that it can be written in every code table.
inline std::string ProseText() {
    std::string text = ReadFile(TestData("vi/maint-guide-prose.txt"));
    const std::pair<std::string, std::string> replace[] = {
        {"\xC2\xA0", " "},     {"\xE2\x80\x9C", "\""},  {"\xE2\x80\x9D", "\""},
        {"\xE2\x80\x94", "-"}, {"\xE2\x80\xA6", "..."}, {"\xE2\x80\x8B", ""}};
    for (const auto& [from, to] : replace)
        for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p))
            text.replace(p, from.size(), to), p += to.size();
    return text;
}

// The paragraphs of ProseText().
inline std::vector<std::string> VietnameseProse() {
    const std::string text = ProseText();
    std::vector<std::string> paragraphs;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\n\n", start);
        if (end == std::string::npos) end = text.size();
        std::string p = text.substr(start, end - start);
        while (!p.empty() && (p.back() == '\n' || p.back() == ' ')) p.pop_back();
        if (!p.empty()) paragraphs.push_back(p);
        start = end + 2;
    }
    return paragraphs;
}

// The prose repeated until it holds at least the given number of bytes (benchmarks).
inline std::string RepeatedProse(std::size_t bytes) {
    const std::string one = ProseText();
    std::string all;
    while (all.size() < bytes) all += one;
    return all;
}

} // namespace tavitest

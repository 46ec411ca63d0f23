// What the Braille commands share: bringing a document into "Vni for Win" and out of it.
#pragma once

#include "codes/vncodeconverter.h"

#include <string>
#include <utility>

namespace tavitool {

// Converts text from the code table `from` of the table folder into "Vni for Win" (nothing to
// do for an empty name). Typographic punctuation that no 8-bit Vietnamese code holds (curly
// quotes, dashes, ellipsis, no-break and zero-width spaces) is made plain first in Unicode
// input, since its bytes would otherwise pass into the VNI text as stray mark bytes.
inline std::string ToVniText(std::string text, const std::string& from) {
    if (from.empty() || from == "Vni for Win") return text;
    if (from.rfind("Unicode", 0) == 0) {
        static const std::pair<const char*, const char*> plain[] = {
            {"\xE2\x80\x9C", "\""},  {"\xE2\x80\x9D", "\""}, {"\xE2\x80\x98", "'"},
            {"\xE2\x80\x99", "'"},   {"\xE2\x80\x93", "-"},  {"\xE2\x80\x94", "-"},
            {"\xE2\x80\xA6", "..."}, {"\xC2\xA0", " "},      {"\xE2\x80\x8B", ""}};
        for (const auto& [fancy, simple] : plain) {
            const std::string f = fancy, s = simple;
            for (auto p = text.find(f); p != std::string::npos; p = text.find(f, p + s.size()))
                text.replace(p, f.size(), s);
        }
    }
    tavi::TVnCodeConverter converter;
    converter.SetSourceTable(from);
    converter.SetDestTable("Vni for Win");
    converter.InStream.Data = std::move(text);
    converter.Convert();
    return std::move(converter.OutStream.Data);
}

// Converts "Vni for Win" text into the code table `to` (nothing to do for an empty name).
inline std::string FromVniText(std::string text, const std::string& to) {
    if (to.empty() || to == "Vni for Win") return text;
    tavi::TVnCodeConverter converter;
    converter.SetSourceTable("Vni for Win");
    converter.SetDestTable(to);
    converter.InStream.Data = std::move(text);
    converter.Convert();
    return std::move(converter.OutStream.Data);
}

} // namespace tavitool

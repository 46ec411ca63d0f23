// A web page reduced to its text, as the editor loads ".htm" and ".html" files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tavi {

// The page's bytes are split into lines (at CR LF, LF or CR) and joined again with CR LF after
// every line. Then, each step repeated until it no longer applies, always taking the first
// occurrence (exact, letter case counting): remove the blocks "<HEAD>".."</HEAD>",
// "<style>".."</style>" and "<script".."</script>"; remove every tag "<".."> "; remove
// "&nbsp;", "&mdash;", "&ndash;" and "&lt;"; "&quot;" becomes a quotation mark and "&raquo;"
// the byte BB; every CR LF CR LF becomes CR LF; a leading CR LF goes. An opening mark with no
// closing mark after it stays, with everything after it.
std::string HtmlToText(std::string_view page);

// The same for a file; throws EFOpenError when it cannot be read.
std::string HtmlFileToText(const std::filesystem::path& fileName);

} // namespace tavi

// Letters in whatever charset they came, as text in one of the Vietnamese code tables.
#pragma once

#include "mail/mailmessage.h"

#include <string>
#include <string_view>

namespace tavi {

// The code table that holds text of a MIME charset ("utf-8" → "Unicode", "windows-1258",
// "viscii"); empty for a charset no table holds. US-ASCII and ISO-8859-1 are taken as UTF-8
// once their bytes are widened, so they are not tables.
std::string TableOfCharset(std::string_view charset);

// Text of a charset as UTF-8: Latin-1 bytes widened, UTF-8 kept, a table's bytes converted.
// Bytes of an unknown charset pass unchanged when they are UTF-8, else as Latin-1.
std::string CharsetToUtf8(std::string_view charset, std::string bytes);

// A header value as it came (encoded words still encoded, 8-bit bytes as sent) in the code
// table named ("Unicode" for UTF-8, "Vni for Win"...): every encoded word decoded from its own
// charset, blanks between words dropped.
std::string HeaderTextIn(std::string_view rawValue, const std::string& table);

// The body of a letter, from the charset its Content-Type names, in the code table named. A
// body without a charset is taken as UTF-8 when it is, else as Latin-1 (old mail programs).
std::string MessageTextIn(const TmsCustomMessage& letter, const std::string& table);

} // namespace tavi

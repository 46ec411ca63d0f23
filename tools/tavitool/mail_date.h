// How the mail commands print a letter's date.
#pragma once

#include "mail/mailheaders.h"

#include <cstdio>
#include <string>

namespace tavitool {

// "2024-01-02 08:09:10", or "none" for a letter without a readable date.
inline std::string FormatDate(const tavi::TMailDateTime& d) {
    if (d.IsZero()) return "none";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.Year, d.Month, d.Day, d.Hour,
                  d.Minute, d.Second);
    return buf;
}

} // namespace tavitool

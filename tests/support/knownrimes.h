// The rows of the rime table that are known exactly (masks for tones 0 to 5, bit k = initial
// class k): both the syllable inventory and the spelling checker's table must give them.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace tavitest {

inline const std::map<std::string, std::array<std::uint32_t, 6>>& KnownRimeRows() {
    static const std::map<std::string, std::array<std::uint32_t, 6>> rows = {
        {"a", {0x0FFEFB7F, 0x0FFAFB6F, 0x0FFAFB7F, 0x0FFAFB6F, 0x0EE2F17A, 0x0EFA735F}},
        {"ac", {0, 0x0FBAFB7F, 0, 0, 0, 0x0FFAFA7A}},
        {"it", {0x00000009, 0x0FFB7E3B, 0, 0, 0, 0x0FF36E7B}},
        {"oong", {0x08400042, 0, 0, 0, 0, 0}},
        {"uya", {0x00000800, 0, 0, 0, 0, 0}},
        {"ynh", {0, 0x00100000, 0x00100000, 0x00100000, 0, 0}},
        {"y", {0x04901201, 0x00901601, 0x00901401, 0x00900601, 0x04102400, 0x00903400}},
    };
    return rows;
}

} // namespace tavitest

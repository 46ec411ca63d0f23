// Word readers for the fuzz targets: a small dictionary written to a scratch folder in the
// older 8-bit format or in the 16-bit one, opened once for the whole run.
#pragma once

#include "speech/sounddata.h"
#include "speech/wordreader.h"

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fuzzreader {

// A unit of two bytes for each byte from 1 to last, then the extra units.
inline std::unique_ptr<tavi::TWordReader> Make(const tavi::TSoundFormat& format, int last,
                                               const std::vector<tavi::TSoundUnit>& extra) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("tavi-fuzz-dict-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<tavi::TSoundUnit> units;
    for (int b = 1; b <= last; ++b) units.push_back({std::string(1, static_cast<char>(b)), "ab"});
    units.insert(units.end(), extra.begin(), extra.end());
    tavi::WriteSoundDictionary(dir / "dict.dat", dir / "dict.idx", format, units);
    // The reader keeps its data file open: the folder can go at once.
    auto r = std::make_unique<tavi::TWordReader>(dir / "dict.dat", dir / "dict.idx", "");
    std::filesystem::remove_all(dir);
    return r;
}

} // namespace fuzzreader

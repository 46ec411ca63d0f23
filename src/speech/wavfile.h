// WAV files: the format and the sample bytes of a RIFF WAVE file.
#pragma once

#include "speech/sounddata.h"

#include <string>
#include <string_view>

namespace tavi {

struct TWavData {
    TSoundFormat Format; // FormatTag 1 (PCM), 3 (float) or the sub-format of an extensible file
    std::string Samples; // the data chunk as stored
};

// Reads the "fmt " and "data" chunks of a WAV file. A data chunk that runs past the end of the
// file (a recorder stopped short) keeps the whole frames that are there. Throws EDataError saying
// what is wrong.
TWavData ParseWav(std::string_view bytes);

} // namespace tavi

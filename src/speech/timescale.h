// Speech made faster or slower without changing its pitch. The samples of a text go through
// libsonic piece by piece as they are played, so that the first sound never waits for the
// whole text to be scaled.
#pragma once

#include "speech/sounddata.h"

#include <string>
#include <string_view>

struct sonicStreamStruct;

namespace tavi {

class TTimeScaler {
public:
    // Samples of this format (8-bit unsigned or 16-bit signed PCM, one or two channels) made
    // speed times faster (below 1: slower). EDataError for a format no device plays.
    TTimeScaler(const TSoundFormat& format, double speed);
    ~TTimeScaler();
    TTimeScaler(const TTimeScaler&) = delete;
    TTimeScaler& operator=(const TTimeScaler&) = delete;

    // Takes more samples and returns the scaled sound that is ready. The scaler holds back a
    // little (a few pitch periods, and the bytes of a frame cut in two) for the next call.
    std::string Scale(std::string_view samples);
    // What is still held, at the end of a text; the scaler then starts afresh.
    std::string Flush();

private:
    std::string Read();

    sonicStreamStruct* Stream = nullptr;
    TSoundFormat Format;
    std::string Partial; // the start of a frame whose end has not come yet
};

} // namespace tavi

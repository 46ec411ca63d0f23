// The English word list read from arbitrary bytes and asked about arbitrary words, and the time
// scaler given arbitrary samples, formats, speeds and pieces.
#include "platform/errors.h"
#include "speech/englishwords.h"
#include "speech/speechrate.h"
#include "speech/timescale.h"
#include "speech/waveout.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void FuzzList(FuzzedDataProvider& in) {
    const auto list = tavi::TEnglishWords::FromText(in.ConsumeRandomLengthString(4000));
    while (in.remaining_bytes() > 0) {
        const std::string word = in.ConsumeRandomLengthString(40);
        // A word read in English is listed and made of at least two ASCII letters.
        if (tavi::ReadInEnglish(word, list))
            Check(list.Contains(word) && word.size() >= 2 &&
                  word.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") ==
                      std::string::npos);
    }
}

void FuzzScaler(FuzzedDataProvider& in) {
    const tavi::TSoundFormat format =
        tavi::TSoundFormat::Parse(in.ConsumeBytesAsString(16) + std::string(16, '\0'));
    const double speed = in.ConsumeFloatingPointInRange(tavi::MinRate, tavi::MaxRate);
    try {
        tavi::TTimeScaler scaler(format, speed);
        std::size_t in_bytes = 0, out_bytes = 0;
        while (in.remaining_bytes() > 0) {
            const std::string piece = in.ConsumeRandomLengthString(20000);
            in_bytes += piece.size();
            const std::string out = scaler.Scale(piece);
            Check(out.size() % format.BlockAlign == 0);
            out_bytes += out.size();
        }
        out_bytes += scaler.Flush().size();
        // About the length the speed says: never more than twice it and a pitch period.
        Check(out_bytes <= 2 * (in_bytes / speed) + 2 * format.AvgBytesPerSec / 65 + 16);
    } catch (const tavi::EDataError&) {
        Check(!tavi::IsPlayableFormat(format));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    if (in.ConsumeBool())
        FuzzList(in);
    else
        FuzzScaler(in);
    return 0;
}

#include "speech/speechrate.h"

#include <algorithm>
#include <cmath>

namespace tavi {

double RateOfStep(int step) {
    const int last = static_cast<int>(RateSteps.size());
    return RateSteps[static_cast<std::size_t>(std::clamp(step, 1, last) - 1)];
}

double ClampRate(double multiple) {
    if (std::isnan(multiple)) return 1.0;
    return std::clamp(multiple, MinRate, MaxRate);
}

int EnglishWordsPerMinute(double multiple) {
    const long wpm = std::lround(EnglishNormalWpm * ClampRate(multiple));
    return static_cast<int>(std::clamp<long>(wpm, EnglishMinWpm, EnglishMaxWpm));
}

} // namespace tavi

// The speech rate, which the user moves in steps, the same steps for both voices: from half
// the voice's own rate to five times it (prose with its pauses at full stops and commas is read
// at more than 7 syllables a second only above four times). The Vietnamese voice is time-scaled
// after its units are chosen; the English engine takes words a minute in proportion.
#pragma once

#include <array>

namespace tavi {

// The multiple of the voice's own rate at each step, slowest first.
inline constexpr std::array<double, 13> RateSteps = {0.5, 0.75, 1.0, 1.25, 1.5, 1.75, 2.0,
                                                     2.5, 3.0,  3.5, 4.0,  4.5, 5.0};
inline constexpr int NormalRateStep = 3; // steps count from 1
inline constexpr double MinRate = RateSteps.front();
inline constexpr double MaxRate = RateSteps.back();
// The English voice's own rate, in words a minute, and the range its engine takes.
inline constexpr int EnglishNormalWpm = 140;
inline constexpr int EnglishMinWpm = 80, EnglishMaxWpm = 450;

// The multiple at a step from 1 to RateSteps.size(); a step outside counts as the nearest end.
double RateOfStep(int step);
// A multiple kept within MinRate..MaxRate (a value that is not a number is the normal rate).
double ClampRate(double multiple);
// The English engine's words a minute at a multiple of its own rate, within its range.
int EnglishWordsPerMinute(double multiple);

} // namespace tavi

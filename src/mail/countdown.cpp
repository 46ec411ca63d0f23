#include "mail/countdown.h"

#include <algorithm>

namespace tavi {

void TCountdown::Start(Clock::time_point now) {
    Counter = Limit;
    ExpiredFlag = Counter <= 0;
    Running = true;
    LastTick = now;
}

void TCountdown::Resume(Clock::time_point now) {
    Running = true;
    LastTick = now;
    if (Counter <= 0) ExpiredFlag = true;
}

void TCountdown::Tick() {
    if (!Running) return;
    if (Counter > 0) --Counter;
    LastTick += std::chrono::seconds(1);
    if (Counter <= 0) ExpiredFlag = true;
}

void TCountdown::Update(Clock::time_point now) {
    if (!Running || now < LastTick) return;
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(now - LastTick);
    if (seconds.count() == 0) return;
    Counter = static_cast<int>(std::max<long long>(Counter - seconds.count(), 0));
    LastTick += seconds;
    if (Counter <= 0) ExpiredFlag = true;
}

} // namespace tavi

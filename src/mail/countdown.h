// A countdown of seconds for time-outs. The owner's one-second timer calls Tick, or the owner
// calls Update with the present time while it waits.
#pragma once

#include <chrono>

namespace tavi {

class TCountdown {
public:
    using Clock = std::chrono::steady_clock;

    int Limit = 60; // seconds

    // Loads the limit, clears the expired flag and starts counting.
    void Start(Clock::time_point now = Clock::now());
    void Stop() { Running = false; }
    // Goes on counting from what was left when it stopped.
    void Resume(Clock::time_point now = Clock::now());
    // One second has passed: lowers the counter; at zero or below the countdown expires.
    void Tick();
    // Applies every whole second passed since the last tick.
    void Update(Clock::time_point now = Clock::now());

    bool IsRunning() const { return Running; }
    bool Expired() const { return ExpiredFlag; }
    int Remaining() const { return Counter; }
    void Reset() {
        Running = false;
        ExpiredFlag = false;
        Counter = Limit;
    }

private:
    bool Running = false;
    bool ExpiredFlag = false;
    int Counter = 60;
    Clock::time_point LastTick{};
};

} // namespace tavi

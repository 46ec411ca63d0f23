// A sound device for the latency benchmarks: it plays nothing, notes when each buffer arrives
// and keeps the owner's completion for the benchmark to call. The figures are then the
// program's own work, without the sound server's latency.
#pragma once

#include "speech/waveout.h"

#include <chrono>

namespace tavibench {

using Clock = std::chrono::steady_clock;

class TimingWaveOut : public tavi::TWaveOut {
public:
    // When the last buffer arrived at any device.
    static inline Clock::time_point LastArrival;

    bool Open(const tavi::TSoundFormat&) override { return Succeed(); }
    bool Write(std::string_view samples, std::uint64_t tag) override {
        Arrived = LastArrival = Clock::now();
        Bytes += samples.size();
        Tag = tag;
        return Succeed();
    }
    bool Pause() override { return Succeed(); }
    bool Restart() override { return Succeed(); }
    bool Reset() override { return Succeed(); }
    bool Close() override { return Succeed(); }
    bool IsOpen() const override { return true; }

    // Reports the last buffer played; returns the seconds until the next one arrived (0 when
    // none did).
    double Complete() {
        const std::uint64_t tag = Tag;
        const Clock::time_point start = Clock::now();
        OnDone(tag);
        return Tag == tag ? 0.0 : std::chrono::duration<double>(Arrived - start).count();
    }

    Clock::time_point Arrived;
    std::uint64_t Tag = 0;
    std::size_t Bytes = 0;
};

} // namespace tavibench

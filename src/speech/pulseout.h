// The sound server as a wave-output device, through libpulse (PulseAudio, or PipeWire's pulse
// server). The server may be missing at start, hang, go away while it plays and come back:
// nothing here ever waits for it on the user-interface thread. While there is no server the
// device plays in silence, taking as long as the sound would, and it is heard again as soon as
// a server answers, from the place it has reached.
#pragma once

#include "speech/waveout.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <string>

namespace tavi {

struct TPulseFeed;

class TPulseWaveOut : public QObject, public TWaveOut {
public:
    TPulseWaveOut();
    ~TPulseWaveOut() override;
    bool Open(const TSoundFormat& format) override;
    bool Write(std::string_view samples, std::uint64_t tag) override;
    bool Queues() const override { return true; }
    std::size_t Played() const override;
    bool Pause() override;
    bool Restart() override;
    bool Reset() override;
    bool Close() override;
    bool IsOpen() const override { return Opened; }

    // Where the sound goes now: waiting for the server to answer, to the server, or nowhere
    // (silent, timed).
    enum class TRoute { Waiting, Server, Silent };
    TRoute Route() const { return Mode; }

private:
    struct TQueued {
        std::uint64_t Tag;
        std::uint64_t End; // bytes since Open
    };
    void Poll();
    std::uint64_t Position(); // bytes heard since Open
    void ToServer();
    void ToSilence(std::uint64_t from);
    void DropStream();
    void Deliver(std::uint64_t heard);
    void Arm();

    TSoundFormat Format;
    bool Opened = false;
    bool Paused = false;
    TRoute Mode = TRoute::Silent;
    std::unique_ptr<TPulseFeed> Feed; // shared with libpulse's thread, under its lock
    std::deque<TQueued> Queue;        // buffers not yet reported, oldest first
    std::uint64_t Total = 0;          // bytes written since Open
    std::uint64_t HeadStart = 0;      // where the oldest buffer not reported starts
    std::uint64_t LastHeard = 0;      // the position last seen
    // Silent play: the position when the clock started, and the clock (stopped while paused).
    std::uint64_t SilentFrom = 0;
    QElapsedTimer Clock;
    qint64 ClockBanked = 0; // milliseconds played before the last pause
    qint64 WaitingSince = 0;
    qint64 StalledSince = 0;
    QTimer PollTimer;
};

// Whether the sound server answers now (for diagnostics and tests; never waits).
bool PulseServerReady();

} // namespace tavi

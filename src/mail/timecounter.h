// The seconds counter of the transport's time-outs, and the wait that keeps the program alive
// while the transport waits for the network.
#pragma once

#include "mail/countdown.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace tavi {

// A one-second timer counting down TimeOut seconds. The timed-out flag stays set until Reset,
// so whoever waits next sees it too.
class TTimeCounter : public QObject {
    Q_OBJECT
public:
    explicit TTimeCounter(QObject* parent = nullptr);

    int TimeOut() const { return FCount.Limit; }
    void SetTimeOut(int seconds) { FCount.Limit = seconds; }

    // Loads TimeOut seconds and starts counting; a TimeOut of 0 or less is over at once.
    void Start();
    // Goes on from the seconds left when it stopped, so that one limit holds for several
    // waits; starts afresh when it has not run since the last Reset.
    void Resume();
    void Stop();
    void Reset();
    bool TimedOut() const { return FTimedOut; }
    bool Running() const { return FCount.IsRunning(); }
    int Remaining() const { return FCount.Remaining(); }

private:
    void Tick();
    QTimer FTimer;
    TCountdown FCount;
    bool FLoaded = false; // started since the last Reset
    bool FTimedOut = false;
};

} // namespace tavi

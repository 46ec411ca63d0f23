#include "mail/timecounter.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace tavi {

TTimeCounter::TTimeCounter(QObject* parent) : QObject(parent) {
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, &TTimeCounter::Tick);
}

void TTimeCounter::Start() {
    FCount.Start();
    if (FCount.Expired()) FTimedOut = true;
    FTimer.start();
}

void TTimeCounter::Stop() {
    FTimer.stop();
    FCount.Stop();
}

void TTimeCounter::Reset() {
    Stop();
    FCount.Reset();
    FTimedOut = false;
}

void TTimeCounter::Tick() {
    FCount.Tick();
    if (FCount.Expired()) FTimedOut = true;
}

} // namespace tavi

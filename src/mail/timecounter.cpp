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
    FLoaded = true;
    if (FCount.Expired()) FTimedOut = true;
    FTimer.start();
}

void TTimeCounter::Resume() {
    if (!FLoaded) return Start();
    FCount.Resume();
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
    FLoaded = false;
    FTimedOut = false;
}

void TTimeCounter::Tick() {
    FCount.Tick();
    if (FCount.Expired()) FTimedOut = true;
}

} // namespace tavi

#include "platform/eventwait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace tavi {

bool PumpEventsUntil(const std::function<bool()>& done, int timeoutMs, bool userInput) {
    if (done()) return true;
    QElapsedTimer clock;
    clock.start();
    // Wakes the loop now and then, so that a time-out is noticed without any other event.
    QTimer tick;
    tick.start(50);
    QEventLoop::ProcessEventsFlags flags = QEventLoop::WaitForMoreEvents;
    if (!userInput) flags |= QEventLoop::ExcludeUserInputEvents;
    while (!done()) {
        if (timeoutMs >= 0 && clock.elapsed() >= timeoutMs) return false;
        QCoreApplication::processEvents(flags);
    }
    return true;
}

} // namespace tavi

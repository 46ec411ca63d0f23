// What the printing commands share: Qt's drawing without a screen, and the queue a job goes to.
#pragma once

#include "tavitool/command.h"

#include "platform/printqueues.h"

#include <QGuiApplication>

#include <cstdlib>
#include <iostream>

namespace tavitool {

// Drawing text needs a GUI application; with no display it draws offscreen.
class TQtDrawing {
public:
    TQtDrawing() : App((setenv("QT_QPA_PLATFORM", "offscreen", 0), Argc), Argv) {}

private:
    int Argc = 1;
    char Name[9] = "tavitool";
    char* Argv[2] = {Name, nullptr};
    QGuiApplication App;
};

// The queue a job goes to: the one named, else the system's default. The scheduler is the one
// CUPS_SERVER names, else the local one, as for lp.
inline std::string ChooseQueue(const std::string& named) {
    if (!named.empty()) return named;
    const auto queues = tavi::PrintQueues();
    if (queues.empty()) throw tavi::EPrinterError("There is no printer");
    return queues.front().Name;
}

// Sends the job and says where it went, as lp does.
inline void Submit(const std::string& queue, const std::string& title, std::string_view data,
                   tavi::TJobFormat format) {
    const int job = tavi::SubmitPrintJob(queue, title, data, format);
    std::cout << "request id is " << queue << "-" << job << "\n";
}

} // namespace tavitool

// The system's printers: the queues of the CUPS scheduler (the one CUPS_SERVER names, else the
// local one), and jobs sent to them.
#pragma once

#include "platform/errors.h"

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavi {

struct TPrintQueue {
    std::string Name;
    bool Raw = false; // takes the job's bytes as they are (an embosser's queue)
};

// The paper of a queue, in millimetres: its size and the part the printer cannot reach.
struct TPaper {
    double WidthMm = 210, HeightMm = 297; // A4 when the queue does not say
    double LeftMm = 0, RightMm = 0, TopMm = 0, BottomMm = 0;
};

// The queues, the system's default first and the others in the scheduler's order; empty when
// there are none or the scheduler cannot be reached.
std::vector<TPrintQueue> PrintQueues();
// The default paper of a queue.
TPaper QueuePaper(const std::string& queue);

enum class TJobFormat { Raw, Pdf };
// Sends one document as a job; returns the job's number. Throws EPrinterError.
int SubmitPrintJob(const std::string& queue, const std::string& title, std::string_view data,
                   TJobFormat format);

// Talks to the scheduler at host:port from now on (an empty address: the default again).
void UsePrintServer(const std::string& address);

} // namespace tavi

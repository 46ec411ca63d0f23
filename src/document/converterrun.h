// Outside programs that convert documents (LibreOffice, antiword) run as children that cannot
// take the editor or the machine with them: each in a process group of its own, which is ended
// whole after a cancel or a time-out (nothing it started is left behind), and with its address
// space limited, so that a document that unpacks to gigabytes fails in seconds. While one runs
// the program goes on taking events: keys are echoed and Escape is seen.
#pragma once

#include "platform/filefailure.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

namespace tavi {

// How a conversion is watched: its limits, and what its owner hears of it.
struct TConversionWatch {
    int TimeoutMs = 120000;
    // What the converter may map: LibreOffice maps under 0.5 GB for an ordinary letter, and
    // some 1.9 GB while it reads 300 MB of XML.
    std::uint64_t AddressSpace = std::uint64_t(3) << 30;
    std::function<void()> Started;   // the converter runs
    std::function<void()> Ended;     // it is over, however it ended
    std::function<bool()> Cancelled; // asked again and again while it runs
};

// How a conversion ended: no failure when it finished, else ConverterMissing (it could not be
// started), ConverterFailed, TimedOut, Cancelled or TooLarge (its input or its result is past
// the program's limits), with why in words for people.
struct TRunResult {
    TFileFailure Failure{TFileReason::ConverterMissing, {}};
    QByteArray Output; // what it wrote to its standard output, when it finished
};

// Runs program until it ends, the watch's time runs out or it is cancelled. It finished only
// with an exit status of 0; more standard output than maxOutput ends it as TooLarge.
TRunResult RunConverter(const QString& program, const QStringList& args,
                        const TConversionWatch& watch, qsizetype maxOutput = qsizetype(256) << 20);

} // namespace tavi

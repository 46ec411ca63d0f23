#include "document/converterrun.h"

#include "platform/eventwait.h"

#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace tavi {

namespace {

constexpr qsizetype ErrorTextMax = 4096; // of its standard error, the end is kept

// In the child, between fork and exec: a session (and so a process group) of its own, whose
// number is the child's, and the memory limit, which everything it starts inherits.
void PrepareChild(std::uint64_t addressSpace) {
    ::setsid();
    if (addressSpace == 0) return;
    const rlimit limit{static_cast<rlim_t>(addressSpace), static_cast<rlim_t>(addressSpace)};
    ::setrlimit(RLIMIT_AS, &limit);
}

// The whole group, also what the converter left running after it exited itself.
void EndGroup(qint64 leader) {
    if (leader > 0) ::kill(-static_cast<pid_t>(leader), SIGKILL);
}

TFileReason EndOf(const QProcess& p, bool finished, bool cancelled, bool tooMuch) {
    if (cancelled) return TFileReason::Cancelled;
    if (tooMuch) return TFileReason::TooLarge;
    if (!finished) return TFileReason::TimedOut;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
               ? TFileReason::None
               : TFileReason::ConverterFailed;
}

QString Reason(TFileReason end, const QString& program, const QByteArray& errors) {
    switch (end) {
    case TFileReason::TimedOut: return program + " did not finish in time";
    case TFileReason::Cancelled: return program + " was cancelled";
    case TFileReason::TooLarge: return program + " gave more than the program can hold";
    case TFileReason::ConverterFailed: {
        const QString said = QString::fromLocal8Bit(errors).trimmed();
        return said.isEmpty() ? program + " failed" : said;
    }
    default: return {};
    }
}

} // namespace

TRunResult RunConverter(const QString& program, const QStringList& args,
                        const TConversionWatch& watch, qsizetype maxOutput) {
    TRunResult r;
    QByteArray errors;
    QProcess p;
    const std::uint64_t space = watch.AddressSpace;
    p.setChildProcessModifier([space] { PrepareChild(space); });
    p.start(program, args);
    if (!p.waitForStarted()) {
        r.Failure.Words = ("cannot start " + program).toStdString();
        return r;
    }
    const qint64 leader = p.processId();
    bool finished = false, tooMuch = false;
    QObject::connect(&p, &QProcess::finished, [&] { finished = true; });
    QObject::connect(&p, &QProcess::readyReadStandardOutput, [&] {
        r.Output += p.readAllStandardOutput();
        tooMuch = tooMuch || r.Output.size() > maxOutput;
    });
    QObject::connect(&p, &QProcess::readyReadStandardError,
                     [&] { errors = (errors + p.readAllStandardError()).right(ErrorTextMax); });
    const auto cancelled = [&] { return watch.Cancelled && watch.Cancelled(); };
    if (watch.Started) watch.Started();
    PumpEventsUntil([&] { return finished || tooMuch || cancelled(); }, watch.TimeoutMs);
    const TFileReason end = EndOf(p, finished, cancelled(), tooMuch);
    EndGroup(leader);
    if (!finished) p.waitForFinished(10000);
    r.Output += p.readAllStandardOutput();
    r.Failure = {end, Reason(end, program, errors).toStdString()};
    if (r.Failure.Failed()) r.Output.clear();
    if (watch.Ended) watch.Ended();
    return r;
}

} // namespace tavi

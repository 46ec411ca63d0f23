#include "mail/agras.h"

#include "mail/mailerrors.h"
#include "platform/eventwait.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <algorithm>

namespace tavi {

namespace {

// How long a listing or a hang-up may take before nmcli is given up.
constexpr int NmcliQuickMs = 15000;

QProcessEnvironment NmcliEnvironment() {
    // The state words of the listings must not be translated.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    return env;
}

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find('\n'));
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

} // namespace

TagRas::TagRas(QObject* parent) : QObject(parent), FTimer(this) {
    FTimer.SetTimeOut(120);
    FNmcli = QStandardPaths::findExecutable("nmcli");
    RefreshEntries();
}

TagRas::~TagRas() {
    StopDialProcess();
}

void TagRas::SetNmcliProgram(const QString& program) {
    FNmcli = program;
    RefreshEntries();
}

bool TagRas::RunNmcli(const QStringList& args, TRun& run) {
    run = TRun{};
    if (FNmcli.isEmpty()) return false;
    QProcess p;
    p.setProcessEnvironment(NmcliEnvironment());
    p.start(FNmcli, args);
    if (!p.waitForStarted(NmcliQuickMs)) return false;
    if (!p.waitForFinished(NmcliQuickMs)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    run.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.Out = p.readAllStandardOutput().toStdString();
    run.Err = p.readAllStandardError().toStdString();
    return true;
}

void TagRas::RaiseNmcliError(const TRun& run) {
    // nmcli's own words are the system's text for the failure.
    std::string message = FirstLine(run.Err);
    if (message.empty()) message = "RAS error no " + std::to_string(run.ExitCode);
    throw ERASError(message, run.ExitCode);
}

void TagRas::RefreshEntries() {
    FEntries.assign(1, NetworkUpEntry);
    TRun run;
    if (!RunNmcli({"-t", "-f", "NAME,TYPE", "connection", "show"}, run) || run.ExitCode != 0)
        return;
    for (const auto& row : ParseNmcliTerse(run.Out)) {
        if (row.empty() || row[0].empty()) continue;
        if (row.size() > 1 && row[1] == "loopback") continue;
        if (std::find(FEntries.begin(), FEntries.end(), row[0]) == FEntries.end())
            FEntries.push_back(row[0]);
    }
}

void TagRas::SetService(const std::string& name) {
    auto box = [this](const char* text) {
        if (OnErrorBox) OnErrorBox(text);
    };
    if (name.empty()) {
        FService.clear();
        return;
    }
    if (FConnected) {
        box("This property can be set only before\restablishing the connection");
        return;
    }
    RefreshEntries();
    if (std::find(FEntries.begin(), FEntries.end(), name) == FEntries.end()) {
        box("Invalid service name");
        FService.clear();
        return;
    }
    FService = name;
}

void TagRas::Status(int state) {
    if (OnStatusChange) OnStatusChange(RasStatusText(state));
}

void TagRas::Dial() {
    FCanceled = false;
    if (FService.empty() || FService == NetworkUpEntry) {
        FConnected = true;
        FDialled = false;
        return;
    }
    TRun run;
    if (!RunNmcli({"-t", "-f", "NAME,TYPE,STATE", "connection", "show", "--active"}, run))
        throw ERASError("NetworkManager (nmcli) cannot be run", -1);
    if (run.ExitCode != 0) RaiseNmcliError(run);
    bool up = false;
    for (const auto& row : ParseNmcliTerse(run.Out)) {
        const bool activated = row.size() > 2 && row[2] == "activated";
        if (activated && row[0] == FService) up = true;
        if (activated && !ForceService && row[1] != "loopback") up = true;
    }
    if (up) {
        FConnected = true;
        FDialled = false;
        return;
    }

    FConnected = false;
    Status(rsOpenPort);
    FDial = std::make_unique<QProcess>();
    FDial->setProcessEnvironment(NmcliEnvironment());
    FDialFinished = false;
    connect(FDial.get(), &QProcess::finished, this, [this] { FDialFinished = true; });
    connect(FDial.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) FDialFinished = true;
    });
    FDial->start(FNmcli, {"--wait", QString::number(std::max(TimeOut(), 1)), "connection", "up",
                          "id", QString::fromStdString(FService)});
    FDialled = true; // from now on a hang-up must take down what is coming up
    Status(rsConnectDevice);
    FTimer.Start();
    PumpEventsUntil([this] { return FDialFinished || FCanceled || FTimer.TimedOut() || !FDial; });
    FTimer.Stop();
    const bool timedOut = FTimer.TimedOut();
    FTimer.Reset();
    // Hung up or cancelled while dialling.
    if (FCanceled || !FDial) {
        StopDialProcess();
        throw ECanceledError(MailResourceString(mailcode::Canceled));
    }
    if (timedOut) {
        HangUp();
        throw ETimedOutError(MailResourceString(mailcode::TimedOut));
    }
    run.ExitCode =
        FDial->exitStatus() == QProcess::NormalExit && FDial->error() != QProcess::FailedToStart
            ? FDial->exitCode()
            : -1;
    run.Err = FDial->readAllStandardError().toStdString();
    FDial.reset();
    if (run.ExitCode != 0) {
        FDialled = false; // nothing came up
        RaiseNmcliError(run);
    }
    FConnected = true;
    Status(rsConnected);
}

void TagRas::StopDialProcess() {
    if (!FDial) return;
    FDial->disconnect(this);
    FDial->kill();
    FDial->waitForFinished(1000);
    FDial.reset();
}

void TagRas::HangUp() {
    if (FDialled) {
        StopDialProcess();
        TRun run;
        RunNmcli({"connection", "down", "id", QString::fromStdString(FService)}, run);
        FDialled = false;
        if (OnDisconnected) OnDisconnected();
    }
    FConnected = false;
}

void TagRas::CancelDial() {
    HangUp();
    FCanceled = true;
}

} // namespace tavi

// The dial-up component: lists the ways to reach the network and brings one of them up before
// a transfer. The first entry stands for a network that is already up; the others are the
// connection profiles of NetworkManager, brought up and down with its nmcli tool.
#pragma once

#include "mail/dialentries.h"
#include "mail/timecounter.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace tavi {

class TagRas : public QObject {
    Q_OBJECT
public:
    // Finds nmcli on the PATH and lists the entries.
    explicit TagRas(QObject* parent = nullptr);
    ~TagRas() override;

    // NetworkUpEntry, then the NetworkManager profiles (loopback left out).
    const std::vector<std::string>& Entries() const { return FEntries; }
    void RefreshEntries();

    const std::string& Service() const { return FService; }
    // Empty clears it. A name that is not an entry clears it too, and so does nothing while
    // connected; both tell OnErrorBox why.
    void SetService(const std::string& name);

    // When false, any profile that is up counts as connected, even another one.
    bool ForceService = true;
    // Kept for the mail window; there is no dial-up status window here to minimise.
    bool MinimizeAtConnect = false;
    // NetworkManager keeps the secrets of its profiles itself; these are kept for callers.
    std::string Password;
    bool RemovePassword = true;

    int TimeOut() const { return FTimer.TimeOut(); }
    void SetTimeOut(int seconds) { FTimer.SetTimeOut(seconds); }

    std::function<void(const std::string& status)> OnStatusChange;
    std::function<void()> OnDisconnected;
    // The messages that would be error boxes (a bad Service); the caller shows them.
    std::function<void(const std::string& message)> OnErrorBox;

    // Connects Service unless it, or (ForceService false) any profile, is up already; the
    // network-up entry and an empty Service count as connected at once. Throws ERASError,
    // ETimedOutError or ECanceledError.
    void Dial();
    // Takes down only what Dial brought up (then OnDisconnected), and forgets the connection.
    void HangUp();
    // HangUp, and a Dial still waiting gives up with ECanceledError.
    void CancelDial();
    bool Connected() const { return FConnected; }
    bool DialledByMe() const { return FDialled; }

    // The nmcli program; empty when there is none (then only NetworkUpEntry is listed).
    const QString& NmcliProgram() const { return FNmcli; }
    void SetNmcliProgram(const QString& program);

private:
    struct TRun {
        int ExitCode = -1;
        std::string Out;
        std::string Err;
    };
    // Runs nmcli to its end (it answers at once for listings); false when it could not run.
    bool RunNmcli(const QStringList& args, TRun& run);
    [[noreturn]] void RaiseNmcliError(const TRun& run);
    void Status(int state);
    void StopDialProcess();

    QString FNmcli;
    std::vector<std::string> FEntries;
    std::string FService;
    bool FConnected = false;
    bool FDialled = false;
    bool FCanceled = false;
    TTimeCounter FTimer;
    std::unique_ptr<QProcess> FDial;
    bool FDialFinished = false;
};

} // namespace tavi

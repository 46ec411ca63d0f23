// The mail transfer window: dials, connects, sends the letter or fetches the waiting ones,
// and says how it goes by beeps and a few words, for a user who cannot see its status lines.
#pragma once

#include "mail/agras.h"
#include "mail/mailhost.h"
#include "mail/mailmessage.h"
#include "mail/popclient.h"
#include "mail/refusal.h"
#include "mail/smtpclient.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class QListWidget;
class QProgressBar;
class QPushButton;
class QStatusBar;

namespace tavi {

class TMailFrm : public QDialog {
    Q_OBJECT
public:
    enum TMode { Send = 0, Receive = 1 };

    TMailFrm(IMailHost& host, QWidget* parent = nullptr);
    ~TMailFrm() override;

    TMode Mode = Send;
    QProgressBar* ProgressBar1;
    QPushButton* Button1; // cancel
    QListWidget* ListBox1;
    QStatusBar* StatusBar1;
    TagRas agRas1;
    TmsMessage msMessage1;
    TmsSMTP msSMTP1;
    TmsPOP msPOP1;
    QTimer Timer1; // once, as soon as the window is up

    void reject() override; // Escape and the close button cancel as Button1 does

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void done(int result) override;

private:
    void Connect();
    void Run();
    void SendStep();
    void ReceiveStep();
    // Runs one transfer, turning its failures into what the user hears, and leaves the
    // client disconnected.
    void Transfer(TagSocket& client, const std::function<void()>& step);
    // What failed and, unless the connection was lost, that the letter did not go (or come):
    // said, or shown when speech is off.
    void Failed(TFailure failure, const std::string& text);
    void Tell(const TFailureNotice& notice);
    void Status(const QString& text);
    void RasStatus(const std::string& text);
    void Progress(int percent);
    void SayAndWait(const std::string& key);

    IMailHost& Host;
    int LastBeepTenth = -1;
    bool FRecipientRefused = false; // said already
};

} // namespace tavi

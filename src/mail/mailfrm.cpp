#include "mail/mailfrm.h"

#include "dialogs/talkingdialog.h"
#include "mail/mailerrors.h"
#include "mail/viewmailfrm.h"
#include "platform/eventwait.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tavi {

TMailFrm::TMailFrm(IMailHost& host, QWidget* parent)
    : QDialog(parent), agRas1(this), msSMTP1(this), msPOP1(this), Host(host) {
    setWindowTitle(QString::fromUtf8("Thư"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ListBox1 = new QListWidget(this);
    ListBox1->setAccessibleName(QString::fromUtf8("Trạng thái kết nối"));
    Button1 = new QPushButton(QString::fromUtf8("&Hủy bỏ"), this);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBox1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(Button1, 0, Qt::AlignRight);
    layout->addWidget(StatusBar1);

    msMessage1.SetContentType("text/plain");
    msMessage1.ReturnReceipt = false;
    msSMTP1.MailMessage = &msMessage1;
    msSMTP1.SetRAS(&agRas1);
    msPOP1.SetRAS(&agRas1);
    agRas1.MinimizeAtConnect = true;
    Timer1.setSingleShot(true);
    Timer1.setInterval(10);
    connect(&Timer1, &QTimer::timeout, this, [this] { Run(); });
    connect(Button1, &QPushButton::clicked, this, [this] { reject(); });
    Connect();
}

TMailFrm::~TMailFrm() {
    // The clients outlive nothing they report to.
    for (TagSocket* client : {static_cast<TagSocket*>(&msSMTP1), static_cast<TagSocket*>(&msPOP1)})
        client->SetRAS(nullptr);
}

void TMailFrm::Connect() {
    agRas1.OnStatusChange = [this](const std::string& s) { RasStatus(s); };
    for (TagSocket* client :
         {static_cast<TagSocket*>(&msSMTP1), static_cast<TagSocket*>(&msPOP1)}) {
        client->OnOpen = [this] { Status("Open"); };
        client->OnClosing = [this] { Status("Closing"); };
        client->OnClosed = [this] { Status("Closed"); };
        client->OnError = [this](const std::string& message) {
            Status(QString::fromStdString(message));
            PumpEventsUntil([] { return false; }, 500); // the words stay a moment
            setResult(mrCancel);
        };
    }
    msSMTP1.OnPrepare = [this] { Status("Prepare Mail"); };
    msSMTP1.OnSending = [this] { Status("Sending Mail"); };
    msSMTP1.OnProgress = [this](int percent, std::uint64_t bytes) {
        if (bytes > 0) Progress(percent); // 0 bytes: the transfer is over
    };
    msSMTP1.OnMailSent = [this] { SayAndWait("zzzmesgd "); };
    msSMTP1.OnAddressRejected = [this](const std::string&, bool& proceed,
                                       const std::string& reply) {
        proceed = false;
        Status(QString::fromStdString(reply));
        SayAndWait("zzzmesge ");
        FRecipientRefused = true;
        setResult(mrCancel);
    };
    const auto retrieving = [this](int index, bool beep) {
        const int count = std::max(msPOP1.MessageCount(), 1);
        Status(QString::asprintf("Retrieving %d of %d", index + 1, count));
        if (!beep) return;
        ProgressBar1->setValue((index + 1) * 100 / count);
        Host.PlayBeep();
    };
    msPOP1.OnRetrieving = [retrieving](int index) { retrieving(index, true); };
    msPOP1.OnRetrieved = [retrieving](int index) { retrieving(index, false); };
}

void TMailFrm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    ListBox1->clear();
    Timer1.start();
}

void TMailFrm::Run() {
    Timer1.stop();
    Host.Announce("zzzmesgh ");
    Host.WaitWhileSpeaking();
    if (Mode == Send)
        SendStep();
    else
        ReceiveStep();
}

void TMailFrm::SendStep() {
    Transfer(msSMTP1, [this] {
        msSMTP1.SendMail();
        if (result() != mrCancel) done(mrOk);
    });
}

void TMailFrm::ReceiveStep() {
    Transfer(msPOP1, [this] {
        msPOP1.RetrieveAll(true); // the letters stay on the server
        if (msPOP1.Connected()) msPOP1.Disconnect();
        if (msPOP1.MessageList.Count() > 0) {
            hide(); // its work is done: the wait window does not stay behind the letters
            TViewMailFrm viewer(Host, msPOP1.MessageList, this);
            Host.ShowModal(viewer);
        } else {
            Host.Report("zzzmesgg ", "No Mail", false);
        }
        done(mrOk);
    });
}

void TMailFrm::Transfer(TagSocket& client, const std::function<void()>& step) {
    try {
        step();
    } catch (const ECanceledError&) {
        done(mrCancel);
    } catch (const ERASError& e) {
        Failed(TFailure::ConnectionLost, e.what());
    } catch (const ESocketError& e) {
        Failed(TFailure::ConnectionLost, e.what());
    } catch (const ETimedOutError& e) {
        Failed(TFailure::ConnectionLost, e.what());
    } catch (const EServerError& e) {
        Failed(TFailure::Refused, e.what());
    } catch (const std::exception& e) {
        Failed(TFailure::Local, e.what());
    }
    if (client.Connected()) client.Disconnect();
}

void TMailFrm::Failed(TFailure failure, const std::string& text) {
    // A refused recipient has been said already, in its own words.
    if (!FRecipientRefused) Tell(FailureNotice(failure, Mode == Send, text));
    done(mrCancel);
}

void TMailFrm::Tell(const TFailureNotice& notice) {
    Host.Report(TReport{notice.Prompts, {}, notice.BoxText});
    Host.WaitWhileSpeaking(); // heard whole before the window closes
}

void TMailFrm::reject() {
    (Mode == Send ? static_cast<TagSocket&>(msSMTP1) : static_cast<TagSocket&>(msPOP1)).Cancel();
    done(mrCancel);
}

void TMailFrm::done(int result) {
    // Only once; a transfer still running ends at its next wait.
    if (isVisible()) QDialog::done(result);
    setResult(result);
}

void TMailFrm::closeEvent(QCloseEvent* e) {
    if (agRas1.Connected()) agRas1.HangUp();
    QDialog::closeEvent(e);
}

void TMailFrm::Status(const QString& text) {
    StatusBar1->showMessage(text);
}

// A new dial-up state is listed once and beeps, so the user hears the dialling go on.
void TMailFrm::RasStatus(const std::string& text) {
    const QString line = QString::fromStdString(text);
    QListWidgetItem* current = ListBox1->currentItem();
    if (ListBox1->count() == 0 || !current ||
        current->text().compare(line, Qt::CaseInsensitive) != 0) {
        ListBox1->addItem(line);
        ListBox1->setCurrentRow(ListBox1->count() - 1);
    }
    Host.PlayBeep();
}

// One beep for every tenth of the letter: a beep takes its own time to play, and one for
// every block sent would hold a long letter back for minutes.
void TMailFrm::Progress(int percent) {
    if (percent < 0) return;
    ProgressBar1->setValue(percent);
    if (percent / 10 == LastBeepTenth) return;
    LastBeepTenth = percent / 10;
    Host.PlayBeep();
}

void TMailFrm::SayAndWait(const std::string& key) {
    Host.Announce(key);
    Host.WaitWhileSpeaking();
}

} // namespace tavi

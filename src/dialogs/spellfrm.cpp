#include "dialogs/spellfrm.h"

#include "dialogs/spellcheck.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tavi {

TSpellThread::TSpellThread(TSpellFrm& window, std::string text, int startPosition, int textLength)
    : Window(window), Text(std::move(text)), StartPosition(std::max(startPosition, 1)),
      TextLength(std::max(textLength, 0)) {}

void TSpellThread::OnUiThread(const std::function<void()>& fn) {
    QMetaObject::invokeMethod(&Window, fn, Qt::BlockingQueuedConnection);
}

void TSpellThread::run() {
    if (StartPosition > TextLength) return; // nothing after the caret
    try {
        TSpellChecker checker;
        TSpellHooks hooks;
        hooks.Gauge = [this](int percent) { OnUiThread([&] { Window.SetGauge(percent); }); };
        hooks.StopRequested = [this] { return isInterruptionRequested(); };
        const TSpellResult result =
            checker.FindSuspect(Text, static_cast<std::size_t>(TextLength),
                                static_cast<std::size_t>(StartPosition), hooks);
        if (!result.Found) return;
        FoundWord = true;
        WordPosition = static_cast<int>(result.Position);
        WordEnd = static_cast<int>(result.End);
        const int length = static_cast<int>(result.Length);
        OnUiThread([&] { Window.SelectWord(WordPosition, length); });
    } catch (const std::exception& e) {
        ErrorText = e.what();
    }
}

TSpellFrm::TSpellFrm(ITalker& talker, QWidget* parent) : TTalkingDialog(talker, parent) {
    setWindowTitle(QString::fromUtf8("Tìm từ sai chính tả"));
    Gauge1 = new QProgressBar(this);
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setMinimumWidth(280);
    Btcancel = new QPushButton(QString::fromUtf8("&Hoãn lại"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Gauge1);
    layout->addWidget(Btcancel, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(Btcancel, &QPushButton::clicked, this, [this] { done(mrCancel); });
    Btcancel->setDefault(true);
    Btcancel->setFocus();
}

TSpellFrm::~TSpellFrm() {
    Cancelled = true;
    StopWorker();
}

void TSpellFrm::showEvent(QShowEvent* e) {
    TTalkingDialog::showEvent(e);
    if (SpellThread) return; // one check per window
    SpellThread = std::make_unique<TSpellThread>(*this, Text, StartPosition, TextLength);
    connect(SpellThread.get(), &QThread::finished, this, &TSpellFrm::WorkerFinished);
    SpellThread->start(QThread::HighestPriority);
}

void TSpellFrm::SetGauge(int percent) {
    if (!Cancelled) Gauge1->setValue(percent);
}

void TSpellFrm::SelectWord(int position, int length) {
    if (Cancelled) return;
    if (Editor.SetTag) Editor.SetTag(1);
    if (Editor.SelectBytes) Editor.SelectBytes(position - 1, length);
}

void TSpellFrm::WorkerFinished() {
    WorkerDone = true;
    if (!Cancelled && isVisible()) done(mrOk);
}

void TSpellFrm::StopWorker() {
    if (!SpellThread) return;
    SpellThread->requestInterruption();
    // The worker may be waiting for a call on this thread; such calls are run (they do nothing
    // once Cancelled is set) until the worker sees the request after its current word.
    do {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    } while (!SpellThread->wait(QDeadlineTimer(5)));
}

void TSpellFrm::done(int result) {
    if (result == mrCancel || !WorkerDone) {
        Cancelled = true;
        StopWorker();
    }
    TTalkingDialog::done(result);
}

} // namespace tavi

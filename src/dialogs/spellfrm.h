// The spelling window: a gauge and a cancel button shown while a worker thread looks for the
// next word of the document that is not a well-formed Vietnamese syllable.
#pragma once

#include "dialogs/talkingdialog.h"

#include <QThread>

#include <functional>
#include <memory>
#include <string>

class QProgressBar;
class QPushButton;

namespace tavi {

class TSpellFrm;

// What the check does to its owner's editor when it finds a word. Both run on the user
// interface thread while the worker waits for them.
struct TSpellEditorLink {
    // Selects the bytes [start, start + length) of the editor (start is 0-based).
    std::function<void(int start, int length)> SelectBytes;
    // Sets the owner's Tag: 1 when a suspect word was found and selected.
    std::function<void(int tag)> SetTag;
};

// The worker. It reads only its own copy of the text and its own converter, and reaches the
// window only through calls run on the user interface thread while it waits.
class TSpellThread : public QThread {
    Q_OBJECT
public:
    TSpellThread(TSpellFrm& window, std::string text, int startPosition, int textLength);

    // Results, to be read once the thread has finished.
    bool Found() const { return FoundWord; }
    int Position() const { return WordPosition; } // 1-based start of the word found
    int End() const { return WordEnd; }           // the position just after it
    // Why the check could not run (a code table that cannot be read); empty otherwise.
    const std::string& Error() const { return ErrorText; }

protected:
    void run() override;

private:
    // Runs fn on the user interface thread and waits for it.
    void OnUiThread(const std::function<void()>& fn);

    TSpellFrm& Window;
    const std::string Text;
    const int StartPosition;
    const int TextLength;
    bool FoundWord = false;
    int WordPosition = 0;
    int WordEnd = 0;
    std::string ErrorText;
};

class TSpellFrm : public TTalkingDialog {
    Q_OBJECT
public:
    explicit TSpellFrm(ITalker& talker, QWidget* parent = nullptr);
    ~TSpellFrm() override;

    // Set by the caller before the window is shown: the document in "Vni for Win", the
    // 1-based position at which the check starts, and the document's length.
    std::string Text;
    int StartPosition = 1;
    int TextLength = 0;
    TSpellEditorLink Editor;

    QProgressBar* Gauge1;
    QPushButton* Btcancel;

    // The worker of the running or finished check; null before the window is shown.
    TSpellThread* Worker() const { return SpellThread.get(); }

    // Closing with Cancel asks the worker to stop and waits for it, so that nothing of the
    // worker reaches the window or the editor afterwards.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* e) override;

private:
    friend class TSpellThread;
    void SetGauge(int percent);
    void SelectWord(int position, int length);
    void StopWorker();
    void WorkerFinished();

    std::unique_ptr<TSpellThread> SpellThread;
    bool WorkerDone = false; // its termination notice has arrived
    bool Cancelled = false;  // closed before the worker ended: its calls do nothing
};

} // namespace tavi

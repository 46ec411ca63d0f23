// The Pause key: it pauses and resumes whichever voice speaks, wherever the keyboard is (the
// editor, a menu, any dialog), before anything else sees the key. Keys and clicks that stop
// reading on, and Escape in the menus, are seen here as well.
#include "shell/mainform.h"

#include <QApplication>
#include <QKeyEvent>

namespace tavi {

void TMainForm::PauseKey() {
    const TReaderState state = FSpeech->ReaderState();
    if (state == TReaderState::Playing)
        FSpeech->PauseReading();
    else if (state == TReaderState::Paused || !FSpeech->EngineActive())
        FSpeech->ResumeReading(); // acts only on a paused reader
    else
        FSpeech->SetEnginePaused(!FSpeech->EnginePaused());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (CancelConversionKey(event)) return true;
    // The key arrives at a window and then at its widgets: it is taken at the first.
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Pause) {
        PauseKey();
        return true;
    }
    if (ReadOnKey(event)) return true;
    MenuEscapeKey(watched, event);
    // A click stops reading on too, and then goes where it was meant: the caret where clicked.
    if (event->type() == QEvent::MouseButtonPress) StopReadOn();
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tavi

#include "app/application.h"

#include "shell/mainform.h"

#include <QWidget>

#include <exception>

namespace tavi {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The name the desktop and assistive technology know the program by. No display name: Qt
    // would add it to every window title, which already are the program's own captions.
    setApplicationName("tavi");
    connect(this, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (!MainForm) return;
                if (state == Qt::ApplicationActive) {
                    MainForm->ApplicationActivated();
                } else if (state == Qt::ApplicationInactive) {
                    // The window now active belongs to another program, whose title this one cannot
                    // read.
                    MainForm->ApplicationDeactivated(QString());
                }
            });
}

void TApplication::SetMainForm(TMainForm* form) {
    MainForm = form;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // An error must never leave a handler through the event loop: it goes to the main window's
    // handler, which says so, and the program goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        if (MainForm) MainForm->ApplicationException(&e);
    } catch (...) {
        if (MainForm) MainForm->ApplicationException(nullptr);
    }
    return false;
}

} // namespace tavi

// The application object: routes errors that reach the event loop and the program's becoming
// active or inactive to the main window.
#pragma once

#include <QApplication>
#include <QPointer>

namespace tavi {

class TMainForm;

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    void SetMainForm(TMainForm* form);
    bool notify(QObject* receiver, QEvent* event) override;

private:
    QPointer<TMainForm> MainForm;
};

} // namespace tavi

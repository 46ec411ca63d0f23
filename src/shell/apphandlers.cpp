// Errors and reports: every error that ends a command, a handler or the start-up is told here,
// as every outcome is, through the one report; and the program becoming active or inactive.
#include "shell/mainform.h"

#include "document/msrichedit.h"
#include "shell/errorreport.h"

#include <QApplication>
#include <QMessageBox>
#include <QSlider>

namespace tavi {

// Every error is told, then the user is back in the editor.
void TMainForm::ApplicationException(const std::exception* error) {
    Report(ErrorReport(error));
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

void TMainForm::Guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        ApplicationException(&e);
    } catch (...) {
        ApplicationException(nullptr);
    }
}

// Over the dialog that is open, if any, so that the keyboard comes back to it.
void TMainForm::ShowMessage(const std::string& text, bool failure) {
    QWidget* dialog = QApplication::activeModalWidget();
    QMessageBox box(failure ? QMessageBox::Warning : QMessageBox::Information, windowTitle(),
                    QString::fromStdString(text), QMessageBox::Ok, dialog ? dialog : this);
    if (!dialog)
        ShowModal(box);
    else if (FSetup.RunDialog)
        FSetup.RunDialog(box);
    else
        box.exec();
}

void TMainForm::ApplicationActivated() {
    Editor->setFocus();
}

void TMainForm::ApplicationDeactivated(const QString& activeWindowTitle) {
    if (SoundOn()) {
        if (FRun.DbtLaunched)
            FRun.DbtLaunched = false;
        else
            SpeakText(activeWindowTitle == "Internet Mail" ? "zzzmesgh " : "zzzmesgl", VniWinTable,
                      false, false);
    }
    VolBar->setFocus();
}

} // namespace tavi

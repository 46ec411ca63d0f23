// The handlers the main window gives the application: errors that reach the event loop, and
// the program becoming active or inactive.
#include "shell/mainform.h"

#include "document/msrichedit.h"
#include "platform/errors.h"

#include <QMessageBox>
#include <QSlider>

#include <typeinfo>

namespace tavi {

void TMainForm::ApplicationException(const std::exception* error) {
    // Only a missing disk is reported; every error ends with the editor prompt.
    if (error && typeid(*error) == typeid(EInOutError)) {
        if (SoundOn()) {
            SpeakText(" zzzmesey ", VniWinTable, false, false);
            WaitWhileSpeaking();
        } else {
            QMessageBox::warning(this, windowTitle(),
                                 QString::fromUtf8("Không có đĩa trong ổ đĩa!"));
        }
    }
    SpeakText("zzzmesa", VniWinTable, false, false);
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

// The program: one running copy per user, its fonts and voices, and the main window.
#include "app/application.h"
#include "document/screenfonts.h"
#include "platform/singlecopy.h"
#include "shell/mainform.h"
#include "shell/voices.h"
#include "speech/qtaudio.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

int main(int argc, char** argv) {
    tavi::TApplication app(argc, argv);
    // A second start shows nothing and ends; the running copy is not disturbed.
    tavi::TSingleCopy single;
    if (!single.IsFirst()) return 0;

    tavi::RegisterScreenFonts();
    tavi::InstallAudioSystem();
    auto voices = std::make_unique<tavi::TProgramVoices>();
    const std::string problems = voices->StartupProblems;

    tavi::TMainFormSetup setup;
    setup.Speech = std::move(voices);
    tavi::TMainForm form(std::move(setup));
    app.SetMainForm(&form);
    // Large print and a wide line suit the people who use it: the window takes the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    if (!problems.empty())
        QMessageBox::warning(&form, form.windowTitle(), QString::fromStdString(problems));
    return app.exec();
}

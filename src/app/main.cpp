// The program: one running copy per user, its fonts and voices, and the main window.
#include "app/application.h"
#include "document/screenfonts.h"
#include "platform/endsignals.h"
#include "platform/singlecopy.h"
#include "shell/mainform.h"
#include "shell/speechlog.h"
#include "shell/voices.h"
#include "speech/qtaudio.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <chrono>
#include <cstdio>

namespace {

// The voices, with every utterance written to the speech log when one is asked for
// (--speech-log FILE, or TAVI_SPEECH_LOG=FILE).
std::unique_ptr<tavi::ISpeechPort> WithSpeechLog(std::unique_ptr<tavi::ISpeechPort> voices,
                                                 const QString& file,
                                                 std::chrono::steady_clock::time_point start) {
    if (file.isEmpty()) return voices;
    try {
        auto sink = tavi::SpeechLogFile(file.toStdString());
        return std::make_unique<tavi::TSpeechLogPort>(std::move(voices), std::move(sink), start);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavi: no speech log: %s\n", e.what());
        return voices;
    }
}

} // namespace

int main(int argc, char** argv) {
    const auto start = std::chrono::steady_clock::now();
    tavi::TApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(QString::fromUtf8(tavi::TMainForm::ApplicationTitle));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption speechLog(
        "speech-log", "Appends every utterance to <file>: milliseconds, voice, text.", "file",
        qEnvironmentVariable("TAVI_SPEECH_LOG"));
    options.addOption(speechLog);
    options.addPositionalArgument("file", "A document to open.", "[file]");
    options.process(app);
    const QString file = options.positionalArguments().value(0);

    // A second start hands its file to the running copy, or shows nothing, and ends.
    tavi::TSingleCopy single;
    if (!single.IsFirst()) {
        if (file.isEmpty() || single.HandOver(file)) return 0;
        std::fprintf(stderr, "tavi: the running copy did not take %s\n", qPrintable(file));
        return 1;
    }

    tavi::RegisterScreenFonts();
    tavi::InstallAudioSystem();
    auto voices = std::make_unique<tavi::TProgramVoices>();
    const std::string problems = voices->StartupProblems;

    tavi::TMainFormSetup setup;
    setup.Speech = WithSpeechLog(std::move(voices), options.value(speechLog), start);
    if (!file.isEmpty()) setup.OpenAtStart = QFileInfo(file).absoluteFilePath().toStdString();
    tavi::TMainForm form(std::move(setup));
    app.SetMainForm(&form);
    single.OnFileHandedOver = [&form](const QString& handed) {
        form.activateWindow();
        form.OpenRequested(handed.toStdString());
    };
    // Logout, shutdown or a closed terminal: the document is kept for the next start.
    tavi::TEndSignals endSignals;
    QObject::connect(&endSignals, &tavi::TEndSignals::EndRequested, &form,
                     [&form] { form.EndRequested(); });
    // Large print and a wide line suit the people who use it: the window takes the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();
    if (!problems.empty())
        QMessageBox::warning(&form, form.windowTitle(), QString::fromStdString(problems));
    return app.exec();
}

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
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

// The id of the desktop entry the program is installed with (share/applications/tavi.desktop):
// the desktop matches the program's windows to its entry, icon and name through it.
constexpr const char* DesktopEntryId = "tavi";

// What the command line asks of the program when it starts.
struct TStartOptions {
    QString File;
    QString SpeechLog;
};

// The options Qt takes for every program (-display, -platform, -style…). QApplication removes
// them from the command line itself; they are declared, hidden, only so that the reading below,
// done before QApplication exists, does not call them unknown.
struct TQtOption {
    const char* Name;
    const char* Value; // nullptr: a flag
};
constexpr TQtOption QtOptions[] = {
    {"display", "display"},    {"platform", "name"},      {"platformpluginpath", "path"},
    {"platformtheme", "name"}, {"plugin", "name"},        {"qwindowgeometry", "geometry"},
    {"qwindowicon", "icon"},   {"qwindowtitle", "title"}, {"session", "id"},
    {"style", "style"},        {"stylesheet", "file"},    {"reverse", nullptr},
    {"sync", nullptr},         {"nograb", nullptr},       {"dograb", nullptr},
    {"widgetcount", nullptr}};

void DeclareQtOptions(QCommandLineParser& parser) {
    for (const TQtOption& qt : QtOptions) {
        QCommandLineOption option(qt.Name, QString(), qt.Value ? qt.Value : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

// Prints the help, or an error with the usage line. The QCoreApplication (it needs no display)
// is there only so that the usage line names the program as it was started.
int Answer(int argc, char** argv, const QCommandLineParser& parser, const QString& error) {
    QCoreApplication core(argc, argv);
    const QString help = parser.helpText();
    if (error.isEmpty()) {
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    std::fprintf(stderr, "tavi: %s\n%s\nTry 'tavi --help' for more information.\n",
                 qPrintable(error), qPrintable(help.section('\n', 0, 0)));
    return 2;
}

// Reads the command line before the application object exists, so that --help, --version and a
// wrong option need no display and are answered even while another copy runs. Returns the exit
// code when the program has answered and ends.
std::optional<int> ReadCommandLine(int argc, char** argv, TStartOptions& start) {
    QCommandLineParser parser;
    // -display NAME, as Qt and X programs take it, not -d -i -s…
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(tavi::TMainForm::ApplicationTitle));
    const QCommandLineOption help({"h", "help"}, "Displays this help and ends.");
    const QCommandLineOption version({"v", "version"}, "Displays the version and ends.");
    const QCommandLineOption speechLog(
        "speech-log", "Appends every utterance to <file>: milliseconds, voice, text.", "file",
        qEnvironmentVariable("TAVI_SPEECH_LOG"));
    parser.addOptions({help, version, speechLog});
    DeclareQtOptions(parser);
    parser.addPositionalArgument("file", "A document to open.", "[file]");

    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) return Answer(argc, argv, parser, parser.errorText());
    if (parser.isSet(version)) {
        std::printf("tavi %s\n", TAVI_VERSION);
        return 0;
    }
    if (parser.isSet(help)) return Answer(argc, argv, parser, QString());
    if (parser.positionalArguments().size() > 1)
        return Answer(argc, argv, parser, "Only one file can be given.");
    start.File = parser.positionalArguments().value(0);
    start.SpeechLog = parser.value(speechLog);
    return std::nullopt;
}

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
    const auto startTime = std::chrono::steady_clock::now();
    // A write past the file-size limit (ulimit -f) fails like a write to a full disk, and is
    // reported as one, instead of ending the program with the document in it.
    std::signal(SIGXFSZ, SIG_IGN);
    TStartOptions start;
    if (const auto answered = ReadCommandLine(argc, argv, start)) return *answered;
    const QString& file = start.File;
    QCoreApplication::setApplicationVersion(TAVI_VERSION);
    QGuiApplication::setDesktopFileName(DesktopEntryId);
    tavi::TApplication app(argc, argv);

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
    tavi::TMainFormSetup setup;
    setup.StartupProblems = std::move(voices->StartupProblems);
    setup.Speech = WithSpeechLog(std::move(voices), start.SpeechLog, startTime);
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
    return app.exec();
}

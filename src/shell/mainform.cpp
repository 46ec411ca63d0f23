// The main window's creation, first showing and end.
#include "shell/mainform.h"

#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "dialogs/filenames.h"
#include "dialogs/initfrm.h"
#include "dialogs/vntext.h"
#include "document/editoraccess.h"
#include "document/msrichedit.h"
#include "document/screenfonts.h"
#include "platform/documentsfolder.h"
#include "platform/paths.h"
#include "shell/recovery.h"
#include "shell/recoverywriter.h"
#include "shell/sysfont.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

namespace tavi {

namespace fs = std::filesystem;

TMainForm::TMainForm(TMainFormSetup setup, QWidget* parent)
    : QMainWindow(parent), FSpeech(std::move(setup.Speech)), FRunDialog(std::move(setup.RunDialog)),
      FRegistryFile(std::move(setup.RegistryFile)), FDocumentsRoot(std::move(setup.DocumentsRoot)),
      FStateFolder(std::move(setup.StateFolder)), FPowerOff(std::move(setup.PowerOff)),
      FOpenAtStart(std::move(setup.OpenAtStart)) {
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    // The screen-saver flag that blocked task switching has no counterpart on this desktop.
    // The error handler and the activation handlers are installed by the application object
    // (app/application.cpp), which routes them here.
    FDbtLaunched = false;
    // The program-wide Vietnamese reader is the speech port's (created with it).

    InstallEditorAccessibility();
    Editor = new TMsRichEdit(this);
    setCentralWidget(Editor);
    QFont font(QStringLiteral("Vni-Screen"));
    font.setPointSize(14);
    Editor->setFont(font);
    Editor->OnChange = [this] { EditorChange(); };
    Editor->OnSelChange = [this] { EditorSelChange(); };
    Editor->OnKeyDown = [this](int& key, Qt::KeyboardModifiers mods) { EditorKeyDown(key, mods); };
    Editor->OnKeyUp = [this](int& key, Qt::KeyboardModifiers mods) { EditorKeyUp(key, mods); };
    Editor->OnKeyPress = [this](char& ch) { EditorKeyPress(ch); };
    Editor->OnEnter = [this] { EditorEnter(); };
    Editor->IsCommandKey = [this](const QKeyEvent& key) { return IsCommandKey(key); };
    WatchConversions();
    // Tool-bar hints are real Unicode here, so the hint window needs no font of its own.

    Keyboard1 = new TKeyboard(this);
    SixKeyKbd1 = new TSixKeyKbd(this);
    SysFont1 = new TSysFont(this);
    // The interface fonts of the form: "Vietnam" where the face is installed, else the
    // desktop's own face in the same size and style.
    QFont caption(QStringLiteral("Vietnam"));
    caption.setBold(true);
    SysFont1->SetCaptionFont(caption);
    SysFont1->SetSmallCaptionFont(QFont(QStringLiteral("MS Sans Serif")));
    for (auto set : {&TSysFont::SetMenuFont, &TSysFont::SetStatusFont, &TSysFont::SetMessageFont})
        (SysFont1->*set)(QFont(QStringLiteral("Vietnam")));
    BuildMenus();
    Action("MTuongHinh")->setEnabled(false); // Braille symbol mode, in Braille display only
    ShowOptions();
    BuildStatusBar();
    SysFont1->Loaded();

    // The volume slider shows the output volume in ten steps and applies the rounded value.
    VolBar->setValue(FSpeech->Volume() * 10 / 65535);
    VolBarChange();

    Action("MEUndo")->setEnabled(Editor->CanUndo());
    Action("TEUndo")->setEnabled(Editor->CanUndo());
    SetFileName(Untitled);
    // The clipboard viewer chain: Qt tells every program of clipboard changes.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdatePasteCommand(); });
    FWaveDir = ProgramFolder() / "Wave/";
    if (FDocumentsRoot.empty()) FDocumentsRoot = DocumentsRoot();
    if (FStateFolder.empty()) FStateFolder = UserStateFolder();
    // Shutting down is asked of the session's manager, which ends the programs politely.
    if (!FPowerOff) FPowerOff = [] { return QProcess::startDetached("systemctl", {"poweroff"}); };
    FRecoveryTimer = new QTimer(this);
    FRecoveryTimer->setSingleShot(true);
    FRecoveryDelayMs = setup.RecoveryDelayMs;
    FRecoveryPeriodMs = setup.RecoveryPeriodMs;
    connect(FRecoveryTimer, &QTimer::timeout, this, [this] { SaveRecovery(false); });
    FRecoveryWriter = std::make_unique<TRecoveryWriter>();
    setAcceptDrops(true);           // files dropped on the window are opened
    qApp->installEventFilter(this); // the Pause key, wherever the keyboard is
    FKeyRepeat = ReadKeyRepeat();
    // There is no system menu to translate: the window manager draws its own, in the desktop's
    // language. Outside volume changes are not observed (the program has its own volume).
    // Other Vietnamese keyboard programs need not be closed: the editor refuses the input
    // method, so IBus or Fcitx engines never process its keys.
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    if (FShown && !FClosed) FormClose();
}

int TMainForm::ShowModal(QDialog& dialog) {
    const int result = FRunDialog ? FRunDialog(dialog) : dialog.exec();
    // Without a window manager nothing gives the window the keyboard back, and the menu
    // shortcuts would stop working.
    activateWindow();
    raise();
    Editor->setFocus(Qt::ActiveWindowFocusReason);
    return result;
}

void TMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (FShown) return;
    // The start-up dialog runs after the window is on screen, from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!FShown && !FormShow()) QApplication::exit(0);
        },
        Qt::QueuedConnection);
}

bool TMainForm::FormShow() {
    FShown = true;
    setEnabled(false);
    TInitFrm init(*this, this);
    if (ShowModal(init) != mrOk) {
        setEnabled(true);
        // There is no screen-saver flag or mixer to release; no settings are written.
        FClosed = true;
        return false;
    }
    FUserName = FSettings.Mail.SenderName = init.UserName();
    for (char& c : FUserName)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);

    FSpeech->StopReading();
    SetKeyRepeat(SlowestKeyRepeat);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Editor->SetRightMargin(screen->geometry().width() - 40);
    Editor->SelectAllText();
    Editor->ClearSelection();
    FEmptyRtf = Editor->TextRTF();
    SetModified(0);
    StartUntitledDocument();
    setEnabled(true);

    ReadSettings();
    if (FSettings.Options.DbtPath.empty())
        FSettings.Options.DbtPath = (ProgramFolder() / "DUXBURY/DBTW.EXE").string();

    // The documents folder of the user, created with its parents.
    const std::string user = UserFolderName(VnText(FUserName).toStdString());
    FDocumentsFolder = FDocumentsRoot / user;
    std::error_code ec;
    fs::create_directories(FDocumentsFolder, ec);
    FRecoveryFile = RecoveryFile(FStateFolder, user);

    Keyboard1->SetCodeTable(TKeyboard::VniAnsi);
    ShowDisplayState(false);
    FPendingEcho = false;
    UpdateCaretPanel();
    // Accepting dropped files comes with the open command, which opens them.
    Editor->setFocus();
    UpdatePasteCommand();
    UpdateLockPanels(false);

    try {
        FMenuSpeech.LoadFromFile(ProgramFolder() / "Menu");
        FMenuSpeech.Sort();
        FDotNames.LoadFromFile(ProgramFolder() / "Dot");
        SixKeyKbd1->LoadCharacters(ProgramFolder() / SixKeyTableName);
    } catch (const std::exception& e) {
        ApplicationException(&e);
    }
    OfferRecovery();
    if (!FOpenAtStart.empty()) OpenRequested(FOpenAtStart);
    return true;
}

void TMainForm::StartUntitledDocument() {
    SetFileName(Untitled);
    Action("MLLeft")->setChecked(true);
    Editor->SetSelAlignment(0);
    Editor->SetTextRTF(FEmptyRtf);
    if (FBrailleShown) {
        Editor->SelectAllText();
        Editor->SetSelFontName(BrailleScreenFont);
        Editor->SetSelStart(0);
    }
    Editor->PlainText = false;
    SetModified(0);
    Editor->EmptyUndoBuffer();
    Action("TEUndo")->setEnabled(false);
    FTextBeforeTranslation.clear();
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (FClosed || FEnding) {
        e->accept();
        return;
    }
    // The conversion is given up first; the open or save then ends as cancelled.
    if (FConversion.Running) {
        FConversion.Cancelled = true;
        e->ignore();
        return;
    }
    if (!FShown || CloseQuery()) {
        if (FShown) FormClose();
        e->accept();
    } else {
        e->ignore();
    }
}

void TMainForm::FormClose() {
    FClosed = true;
    FSpeech->StopReading();
    // Closed by the user, the document was saved or given up; ended otherwise, it stays.
    FRecoveryTimer->stop();
    if (!FEnding) ForgetRecovery();
    FRecoveryWriter->Wait();
    WriteSettings();
    if (FKeyRepeat) SetKeyRepeat(*FKeyRepeat); // there is no screen-saver flag to clear
    Keyboard1->SetEnabled(false);
    SixKeyKbd1->SetEnabled(false);
    FRegistry.reset();
}

} // namespace tavi

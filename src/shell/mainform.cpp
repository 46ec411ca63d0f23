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
#include "mail/mailheaders.h"
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

#include <cstdio>

namespace tavi {

namespace fs = std::filesystem;

namespace {

// The editor, after the factory that makes its accessible interface: assistive technology may
// ask for it as soon as it exists.
TMsRichEdit* NewEditor(QWidget* parent) {
    InstallEditorAccessibility();
    return new TMsRichEdit(parent);
}

} // namespace

TMainForm::TMainForm(TMainFormSetup setup, QWidget* parent)
    : QMainWindow(parent), Editor(NewEditor(this)),
      ToolBar1(new QToolBar(QString::fromUtf8("Thanh công cụ"), this)),
      VolBar(new QSlider(Qt::Horizontal, this)), Keyboard1(new TKeyboard(this)),
      SixKeyKbd1(new TSixKeyKbd(this)), SysFont1(new TSysFont(this)), FSetup(std::move(setup)),
      FSpeech(std::move(FSetup.Speech)) {
    setWindowTitle(QString::fromUtf8(ApplicationTitle));
    // The screen-saver flag that blocked task switching has no counterpart on this desktop.
    // The error handler and the activation handlers are installed by the application object
    // (app/application.cpp), which routes them here. The program-wide Vietnamese reader is the
    // speech port's (created with it).
    BuildEditor();
    WatchConversions();
    // Tool-bar hints are real Unicode here, so the hint window needs no font of its own.
    BuildFonts();
    BuildMenus();
    BuildStatusBar();
    SysFont1->Loaded();
    // The volume slider shows the output volume in ten steps and applies the rounded value.
    VolBar->setValue(FSpeech->Volume() * 10 / 65535);
    VolBarChange();
    for (const char* undo : {"MEUndo", "TEUndo"}) Action(undo)->setEnabled(Editor->CanUndo());
    SetFileName(Untitled);
    // The clipboard viewer chain: Qt tells every program of clipboard changes.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            [this] { UpdatePasteCommand(); });
    FData.WaveDir = ProgramFolder() / "Wave/";
    if (FSetup.DocumentsRoot.empty()) FSetup.DocumentsRoot = DocumentsRoot();
    if (FSetup.StateFolder.empty()) FSetup.StateFolder = UserStateFolder();
    // Shutting down is asked of the session's manager, which ends the programs politely.
    if (!FSetup.PowerOff)
        FSetup.PowerOff = [] { return QProcess::startDetached("systemctl", {"poweroff"}); };
    FRecovery.Timer = new QTimer(this);
    FRecovery.Timer->setSingleShot(true);
    connect(FRecovery.Timer, &QTimer::timeout, this, [this] { SaveRecovery(false); });
    FRecovery.Writer = std::make_unique<TRecoveryWriter>();
    FRecovery.Writer->OnWritten = [this](bool ok) {
        QMetaObject::invokeMethod(
            this, [this, ok] { RecoveryWritten(ok); }, Qt::QueuedConnection);
    };
    setAcceptDrops(true);           // files dropped on the window are opened
    qApp->installEventFilter(this); // the Pause key, wherever the keyboard is
    FRun.KeyRepeat = ReadKeyRepeat();
    // There is no system menu to translate: the window manager draws its own, in the desktop's
    // language. Outside volume changes are not observed (the program has its own volume).
    // Other Vietnamese keyboard programs need not be closed: the editor refuses the input
    // method, so IBus or Fcitx engines never process its keys.
}

void TMainForm::BuildEditor() {
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
    Editor->BrailleDisplay = [this] { return FDocument.Braille(); };
}

// The interface fonts of the form: "Vietnam" where the face is installed, else the desktop's
// own face in the same size and style.
void TMainForm::BuildFonts() {
    QFont caption(QStringLiteral("Vietnam"));
    caption.setBold(true);
    SysFont1->SetCaptionFont(caption);
    SysFont1->SetSmallCaptionFont(QFont(QStringLiteral("MS Sans Serif")));
    for (auto set : {&TSysFont::SetMenuFont, &TSysFont::SetStatusFont, &TSysFont::SetMessageFont})
        (SysFont1->*set)(QFont(QStringLiteral("Vietnam")));
}

TMainForm::~TMainForm() {
    qApp->removeEventFilter(this);
    if (FRun.Shown && !FRun.Closed) FormClose();
}

int TMainForm::ShowModal(QDialog& dialog) {
    const int result = FSetup.RunDialog ? FSetup.RunDialog(dialog) : dialog.exec();
    // A window that opened this one and is still open (the mail viewer's questions and
    // answers) gets the keyboard back: the main window would take keys it cannot act on.
    if (QWidget* opener = QApplication::activeModalWidget()) {
        opener->activateWindow();
        opener->raise();
        return result;
    }
    // Without a window manager nothing gives the window the keyboard back, and the menu
    // shortcuts would stop working.
    activateWindow();
    raise();
    Editor->setFocus(Qt::ActiveWindowFocusReason);
    return result;
}

void TMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (FRun.Shown) return;
    // The start-up dialog runs after the window is on screen, from the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!FRun.Shown && !FormShow()) QApplication::exit(0);
        },
        Qt::QueuedConnection);
}

bool TMainForm::FormShow() {
    FRun.Shown = true;
    if (!AskUserName()) return false;
    FSpeech->StopReading();
    SetKeyRepeat(SlowestKeyRepeat);
    PrepareEmptyDocument();
    setEnabled(true);
    ReadSettings();
    PrepareUserFolders();
    Keyboard1->SetCodeTable(TKeyboard::VniAnsi);
    ShowDisplayState(false);
    FKeys.PendingEcho = false;
    UpdateCaretPanel();
    // Accepting dropped files comes with the open command, which opens them.
    Editor->setFocus();
    UpdatePasteCommand();
    UpdateLockPanels(false);
    LoadProgramLists();
    SayStartupProblems();
    OfferRecovery();
    if (!FSetup.OpenAtStart.empty()) OpenRequested(FSetup.OpenAtStart);
    return true;
}

// The window waits, disabled, for the user's name. Without one the program ends: there is no
// screen-saver flag or mixer to release, and no settings are written.
bool TMainForm::AskUserName() {
    setEnabled(false);
    TInitFrm init(*this, this);
    if (ShowModal(init) != mrOk) {
        setEnabled(true);
        FRun.Closed = true;
        return false;
    }
    FSettings.Mail.SenderName = init.UserName();
    FUser.Name = AsciiUpper(init.UserName());
    return true;
}

// The empty document as every new one starts, and the first of them.
void TMainForm::PrepareEmptyDocument() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Editor->SetRightMargin(screen->geometry().width() - 40);
    Editor->SelectAllText();
    Editor->ClearSelection();
    FDocument.EmptyRtf = Editor->TextRTF();
    SetModified(0);
    StartUntitledDocument();
}

// The translator's default, the documents folder of the user (created with its parents) and
// the user's recovery file.
void TMainForm::PrepareUserFolders() {
    if (FSettings.Options.DbtPath.empty())
        FSettings.Options.DbtPath = (ProgramFolder() / "DUXBURY/DBTW.EXE").string();
    const std::string user = UserFolderName(VnText(FUser.Name).toStdString());
    FUser.Documents = FSetup.DocumentsRoot / user;
    std::error_code ec;
    fs::create_directories(FUser.Documents, ec);
    FRecovery.File = RecoveryFile(FSetup.StateFolder, user);
}

// Each list on its own: one that is missing leaves the others working.
void TMainForm::LoadProgramLists() {
    const std::function<void()> loads[] = {
        [this] {
            FData.MenuSpeech.LoadFromFile(ProgramFolder() / "Menu");
            FData.MenuSpeech.Sort();
        },
        [this] { FData.DotNames.LoadFromFile(ProgramFolder() / "Dot"); },
        [this] { SixKeyKbd1->LoadCharacters(ProgramFolder() / SixKeyTableName); },
    };
    const TStartupProblem missing{
        "zzzmesxf", "Thiếu tập tin dữ liệu của ta vi, cần cài lại ta vi.", {}};
    for (const auto& load : loads) {
        try {
            load();
        } catch (const std::exception& e) {
            NoteProblem(FSetup.StartupProblems, missing, e.what());
        }
    }
}

// Said with whatever voice is left and not shown in a box, which would wait unseen and take
// the keys meant for the document; a user who turned speech off reads them in a box. The
// details go to the error output.
void TMainForm::SayStartupProblems() {
    std::string keys, words;
    for (const TStartupProblem& p : FSetup.StartupProblems) {
        // What went wrong, for whoever looks after the installation.
        std::fprintf(stderr, "tavi: %s\n", p.Detail.c_str());
        keys += " " + p.Prompt;
        words += (words.empty() ? "" : " ") + p.Words;
    }
    if (keys.empty()) return;
    if (!SoundOn()) return ShowMessage(words, true);
    StopReadOn();
    if (FSpeech->SayWarning(keys + " ", words) == TWarningVoice::Reader) HearWhole();
}

void TMainForm::StartUntitledDocument() {
    SetFileName(Untitled);
    Action("MLLeft")->setChecked(true);
    Editor->SetSelAlignment(0);
    Editor->SetTextRTF(FDocument.EmptyRtf);
    if (FDocument.Braille()) {
        Editor->SelectAllText();
        Editor->SetSelFontName(BrailleScreenFont);
        Editor->SetSelStart(0);
    }
    Editor->PlainText = false;
    SetModified(0);
    Editor->EmptyUndoBuffer();
    Action("TEUndo")->setEnabled(false);
    FDocument.TextBeforeTranslation.clear();
}

void TMainForm::closeEvent(QCloseEvent* e) {
    if (FRun.Closed || FRun.Ending) {
        e->accept();
        return;
    }
    // The conversion is given up first; the open or save then ends as cancelled.
    if (FConversion.Running) {
        FConversion.Cancelled = true;
        e->ignore();
        return;
    }
    bool closing = !FRun.Shown; // an error in the questions keeps the window
    if (FRun.Shown) Guarded([&] { closing = CloseQuery(); });
    if (!closing) return e->ignore();
    if (FRun.Shown) FormClose();
    e->accept();
}

void TMainForm::FormClose() {
    FRun.Closed = true;
    FSpeech->StopReading();
    // Closed by the user, the document was saved or given up; ended otherwise, it stays.
    FRecovery.Timer->stop();
    if (!FRun.Ending) ForgetRecovery();
    FRecovery.Writer->Wait();
    WriteSettings();
    if (FRun.KeyRepeat) SetKeyRepeat(*FRun.KeyRepeat); // there is no screen-saver flag to clear
    Keyboard1->SetEnabled(false);
    SixKeyKbd1->SetEnabled(false);
    FUser.Registry.reset();
}

} // namespace tavi

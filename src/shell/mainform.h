// The main window: the editor, its menus, tool bar and status bar, the speech of the whole
// program, the per-user settings and the program's start and end. Its member functions are
// defined across the files of src/shell, one concern each.
#pragma once

#include "codes/brailleconverter.h"
#include "dialogs/findfrm.h"
#include "dialogs/talker.h"
#include "document/editecho.h"
#include "mail/mailhost.h"
#include "platform/keyboardstate.h"
#include "platform/printqueues.h"
#include "platform/registry.h"
#include "shell/namevaluelist.h"
#include "shell/speakop.h"
#include "shell/speechport.h"
#include "shell/usersettings.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QLabel;
class QSlider;
class QDragEnterEvent;
class QKeyEvent;
class QDropEvent;
class QTimer;
class QToolBar;
class QToolButton;

namespace tavi {

class TKeyboard;
class TMailFrm;
class TMsRichEdit;
class TRecoveryWriter;
class TSixKeyKbd;
class TSysFont;
enum class TLoadFailure;

// What the main window needs from outside; tests replace each piece.
struct TMainFormSetup {
    std::unique_ptr<ISpeechPort> Speech; // the voices; required
    std::filesystem::path RegistryFile;  // empty: the user's own
    // The folder of every user's documents folder; empty: <Documents>/Tavi.
    std::filesystem::path DocumentsRoot;
    // Where the recovery files of unsaved documents live; empty: the user's state folder.
    std::filesystem::path StateFolder;
    // Shows a modal dialog and returns its result; tests answer dialogs without showing them.
    std::function<int(QDialog&)> RunDialog;
    // Asks the system to power off; false when it could not be asked. Empty: through systemd.
    std::function<bool()> PowerOff;
    // A file to open once the user has given their name (the command line, the desktop).
    std::string OpenAtStart;
    // How long after the first change the unsaved document is written for recovery, and how
    // often while the changes go on.
    int RecoveryDelayMs = 500;
    int RecoveryPeriodMs = 1500;
};

class TMainForm : public QMainWindow, public IMailHost {
    Q_OBJECT
public:
    static constexpr const char* Untitled = "Khong Ten";
    static constexpr const char* ApplicationTitle = "Soạn Thảo Tavi";

    explicit TMainForm(TMainFormSetup setup, QWidget* parent = nullptr);
    ~TMainForm() override;

    // ITalker: the speak operation and what the dialogs need of it.
    void SpeakText(const std::string& text, const std::string& codeTable, bool useEnglish,
                   bool readControlChars) override;
    void PlayBeep() override;
    bool SoundOn() const override;
    void WaitWhileSpeaking() override;
    void StopReading() override;
    void PauseReading() override;
    void ResumeReading() override;
    bool Playing() const override;
    std::string DotReading(const std::string& text, bool readControlChars) const;
    // IMailHost: what the mail windows use of the window.
    bool EnglishSpeech() const override;
    bool ReadControlChars() const override;
    int ShowModal(QDialog& dialog) override;
    std::string AskSaveName() override;
    void InsertIntoDocument(const std::string& text) override;
    void PauseKey() override;
    void MenuEntryHovered(QAction* action) override;

    void SetModified(int value);
    void SetFileName(const std::string& name);
    void UpdateCaretPanel();
    void UpdatePasteCommand();
    void UpdateLockPanels(bool speak);
    void SpeakLockStates();

    // The menu item or tool button of that name ("MFNew", "TFNew"), and whether it is checked.
    QAction* Action(const std::string& name) const;
    bool Checked(const std::string& name) const;
    TSpeakSettings SpeechSettings() const;
    const TUserSettings& Settings() const { return FSettings; }
    const TOptions& Options() const { return FSettings.Options; }

    // The start-up: asks for the user name, starts the untitled document, reads the settings.
    // Returns false when the user cancelled (the program then ends). Run once, at first show.
    bool FormShow();
    // The end: stops speech, writes the settings, restores the keyboard. Run once.
    void FormClose();

    // A file to open from outside (dropped, handed over by a later start): the document in
    // the editor is offered for saving first. Files that come while one is being asked about
    // wait their turn.
    void OpenRequested(const std::string& file);
    // The program is told to end (logout, shutdown, a closed terminal): the unsaved document
    // goes to the recovery file and the program ends without asking anything; when that file
    // cannot be written, it says so and goes on.
    void EndRequested();
    bool OpenDocument(const std::string& name);

    // The application's handlers: errors that reach the event loop, and the program becoming
    // active or inactive.
    void ApplicationException(const std::exception* error);
    void ApplicationActivated();
    void ApplicationDeactivated(const QString& activeWindowTitle);

    TMsRichEdit* Editor;
    QStatusBar* StatusBar;
    QToolBar* ToolBar1;
    QSlider* VolBar;
    QMenuBar* MainMenu1;
    TKeyboard* Keyboard1;
    TSixKeyKbd* SixKeyKbd1;
    TSysFont* SysFont1;
    ISpeechPort& Speech() { return *FSpeech; }

    // The fields of the main window.
    std::string FUserName;
    std::string FFileName;
    int FModified = 0;
    bool FSuppressChange = false; // while the program changes the document's form or size
    bool FDbtLaunched = false;
    std::string FFindText, FReplaceText;
    int FReplaceMode = 0;
    std::string FTextBeforeTranslation;
    std::string FEmptyRtf;
    std::filesystem::path FWaveDir;
    // The keyboard repeat rate and delay of the user, as found at start-up (X11 only). The
    // clipboard viewer chain, the mixer handle and its own-change flag have no counterpart:
    // Qt reports clipboard changes to every program, and the volume is the program's own.
    std::optional<TKeyRepeat> FKeyRepeat;
    bool FCapsLock = false, FNumLock = false;
    int FLastLine = 0, FLastColumn = 0;
    bool FPendingEcho = false;
    TPrintQueue FPrinter; // the queue of the job being printed
    TNameValueList FMenuSpeech;
    TNameValueList FDotNames;
    std::unique_ptr<TRegistry> FRegistry;
    TCodeConverter FBraille;
    std::filesystem::path FDocumentsFolder;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // menus.cpp
    void BuildMenus();
    bool IsCommandKey(const QKeyEvent& key) const;
    // statusbar.cpp
    void BuildStatusBar();
    QLabel* Panel(int index) const;
    void SetActivity(const QString& text);
    // settings.cpp
    void ReadSettings();
    void WriteSettings();
    // After every command: settings it changed are written at once, not only at the end.
    void KeepChangedSettings();
    // The settings read at start-up take the place of the defaults.
    void RestoreSettings(const TUserSettings& s);
    // A menu command: its item's name and the member that carries it out.
    struct TCommand {
        const char* Name;
        void (TMainForm::*Run)();
    };
    // layoutcmds.cpp: the Layout menu and the display
    static const std::vector<TCommand>& LayoutCommands();
    void NormalSizeCommand();
    void ZoomInCommand();
    void ZoomOutCommand();
    void SetDocumentSize(double points);
    void AlignLeftCommand();
    void AlignCenterCommand();
    void AlignRightCommand();
    void Align(int alignment, bool announce);
    void BoldCommand();
    void ItalicCommand();
    void UnderlineCommand();
    void SymbolModeCommand();
    void VniDisplayCommand();
    void BrailleDisplayCommand();
    void SetDisplay(bool braille);
    void ShowDisplayState(bool braille);
    // editcmds.cpp: the Edit menu
    static const std::vector<TCommand>& EditCommands();
    void SaySelected(const char* key);
    void SelectWordCommand();
    void SelectSentenceCommand();
    void SelectParagraphCommand();
    void SelectAllCommand();
    TDocumentLook Look() const;
    bool FindFrom(int start, int options);
    bool AskToReplace();
    void FindCommand();
    void FindNextCommand();
    void ReplaceCommand();
    void SuspectWordCommand();
    void CopyCommand();
    void CutCommand();
    void PasteCommand();
    void UndoCommand();
    // mailcmds.cpp: the Mail menu
    static const std::vector<TCommand>& MailCommands();
    void SetupMailCommand();
    void ViewMailCommand();
    void SendMailCommand();
    void SendDocument();
    void SetUpTransfer(TMailFrm& transfer) const;
    // printcmds.cpp: printing and embossing
    void PrinterCommand();
    std::string JobTitle() const;
    void PrintDocument();
    void EmbossDocument(int charsPerLine);
    void RunPrintJob(const std::function<void()>& job);
    // filecmds.cpp: the File menu
    static const std::vector<TCommand>& FileCommands();
    int AskToSave();
    void NewCommand();
    void OpenCommand();
    void SaveCommand();
    void SaveAsCommand();
    void InfoCommand();
    void DbtCommand();
    void ExitCommand();
    void ShutDownCommand();
    bool CloseQuery();
    // docfiles.cpp: documents in and out
    bool SaveText(const std::string& name);
    bool SaveBraille(const std::string& name);
    bool SaveDocument(TMsRichEdit& source, const std::string& name);
    void PlainKeys(bool plain);
    int ShowWithPlainKeys(QDialog& dialog);
    // Says an outcome (a failure unless told), or shows it when speech is off.
    void Report(const char* key, const char* message, bool failure = true);
    void ReportLoadFailure(TLoadFailure why);
    // conversion.cpp: an office document converted by an outside program
    void WatchConversions();
    void ConversionStarted();
    void ConversionEnded();
    bool RefusedWhileConverting(const char* command = nullptr); // beeps when refused
    bool ConversionKey(int& key, Qt::KeyboardModifiers mods, bool down);
    bool CancelConversionKey(QEvent* event);
    // recoverydoc.cpp: no document lost
    void ScheduleRecovery();
    bool SaveRecovery(bool now); // false when it could not be written now
    void ForgetRecovery();
    void OfferRecovery();
    // editing.cpp
    void EditorChange();
    void EditorSelChange();
    // editkeys.cpp
    void EditorKeyDown(int& key, Qt::KeyboardModifiers mods);
    void EditorKeyUp(int& key, Qt::KeyboardModifiers mods);
    void EditorKeyPress(char& ch);
    void EditorEnter();
    void ReadSelectionCommand();
    // Document text with the editing flags: the English voice and control characters as set.
    void EchoText(const std::string& text, const char* codeTable);
    void EchoDisplayText(const std::string& text); // in the display's code table
    void SpeakDeletion(const std::string& piece, bool readControlChars);
    void ClearByte(std::size_t pos);
    void EdgeBeep();
    std::string VniOfBraille(const std::string& braille);
    void AccentKeyDown(char key, const TCaretText& t);
    void DeleteKeyDown(bool noModifiers, bool ctrl, const TCaretText& t);
    void BackspaceKeyDown(const TCaretText& t);
    void RightKeyDown(bool noModifiers, bool onlyCtrl, const TCaretText& t);
    void CtrlKeyDown(int key, bool keypad, const TCaretText& t);
    void CtrlAltKeyUp(int key);
    void LeftKeyUp(bool noModifiers, bool onlyCtrl);
    void UpDownKeyUp();
    void PositionKeyUp(int key, bool noModifiers, bool onlyCtrl, bool onlyAlt);
    // optioncmds.cpp: the options, which the settings restore. Each command changes its option,
    // acts on it as the settings restored would (Apply...), and says what it did.
    void ShowOptions(); // the check marks of the menus, from the options and the display
    void ApplyOptions();
    void ApplySpeechOn();
    void ApplyLanguage();
    void SpeechCommand();
    void ToolBarCommand();
    void ControlCharsCommand();
    void EchoModeCommand(TEchoMode mode);
    void LanguageCommand(bool english);
    void VolBarChange();
    void StartUntitledDocument();

    // What the key handlers keep between the events of a key (editkeys.cpp).
    struct TKeyState {
        int LastCaret = 0;   // the caret at the last key-down
        bool Echoed = false; // this key's letter or tone was spoken at key-down
        bool Placed = false; // the text changed since this key went down
        int DownKey = 0;     // the last key that went down, and the modifiers held then
        Qt::KeyboardModifiers DownMods;
        int HandledKey = 0, BeepKey = 0; // the key being handled; the key that beeped last
        std::chrono::steady_clock::time_point LastBeepEnd;
    } FKeys;
    std::unique_ptr<ISpeechPort> FSpeech;
    std::function<int(QDialog&)> FRunDialog;
    std::filesystem::path FRegistryFile;
    std::filesystem::path FDocumentsRoot;
    std::filesystem::path FStateFolder;
    std::function<bool()> FPowerOff;
    std::string FOpenAtStart;
    // The recovery file: written a moment after a change and then every period while the
    // changes go on, on its own thread.
    std::filesystem::path FRecoveryFile;
    QTimer* FRecoveryTimer = nullptr;
    int FRecoveryDelayMs = 500, FRecoveryPeriodMs = 1500;
    QElapsedTimer FLastSnapshot; // invalid until the first
    std::unique_ptr<TRecoveryWriter> FRecoveryWriter;
    bool FRecoveryGivenUp = false; // the user chose not to save: nothing to recover
    bool FEnding = false;          // ending on a signal: no questions
    bool FBrailleShown = false;    // the document is shown (and held) in Braille
    struct {
        bool Running = false, Cancelled = false;
        QTimer* Reminder = nullptr;
    } FConversion;
    std::map<std::string, QAction*> FActions;
    std::vector<QLabel*> FPanels;
    bool FShown = false;
    bool FClosed = false;
    std::deque<std::string> FOpenQueue; // files handed over, waiting for their turn
    bool FOpening = false;              // one of them is being asked about or opened
    TUserSettings FSettings;
    TUserSettings FKeptSettings; // as last written
};

} // namespace tavi

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
#include "shell/documentstate.h"
#include "shell/namevaluelist.h"
#include "shell/speakop.h"
#include "shell/speechport.h"
#include "shell/usersettings.h"
#include "shell/writewatch.h"

#include <QElapsedTimer>
#include <QMainWindow>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QMenu;
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

struct TMenuEntry;
class TKeyboard;
class TMailFrm;
class TMsRichEdit;
class TReadOnSource;
class TRecoveryWriter;
class TSixKeyKbd;
class TSpellFrm;
class TSysFont;

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
    // What could not be started, said once the user has given their name.
    std::vector<TStartupProblem> StartupProblems;
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
    void ShowMessage(const std::string& text, bool failure) override;
    std::string DotReading(const std::string& text, bool readControlChars) const;
    // IMailHost: what the mail windows use of the window.
    bool EnglishSpeech() const override;
    bool ReadControlChars() const override;
    int ShowModal(QDialog& dialog) override;
    std::string AskSaveName() override;
    void InsertIntoDocument(const std::string& text) override;
    void PauseKey() override;
    void MenuEntryHovered(QAction* action) override;
    void AnswerLetter(const TLetterAnswer& answer) override;

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

    // A warning said once (a problem at start, a disk that fails) is heard whole: the keys
    // typed meanwhile wait, in their order, and then act as usual.
    // With speech off, shown (when given) is put in a box instead.
    void SayWhole(const std::string& key, const char* shown = nullptr);
    void HearWhole();

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
    // Runs a command or a handler: an error that ends it is told (ApplicationException).
    void Guarded(const std::function<void()>& work);
    void ApplicationActivated();
    void ApplicationDeactivated(const QString& activeWindowTitle);

    // The parts of the window, as they are now; they change only through its commands.
    const TUserSettings& Settings() const { return FSettings; }
    const TOptions& Options() const { return FSettings.Options; }
    const TDocumentState& Document() const { return FDocument; }
    const TSearchState& Search() const { return FSearch; }
    const std::string& UserName() const { return FUser.Name; }
    const TNameValueList& MenuSpeech() const { return FData.MenuSpeech; }
    const TNameValueList& DotNames() const { return FData.DotNames; }
    const TRegistry* Registry() const { return FUser.Registry.get(); } // null once closed

    // The window's published components.
    TMsRichEdit* const Editor;
    QToolBar* const ToolBar1;
    QSlider* const VolBar;
    TKeyboard* const Keyboard1;
    TSixKeyKbd* const SixKeyKbd1;
    TSysFont* const SysFont1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    // A menu command: its item's name and the member that carries it out.
    struct TCommand {
        const char* Name;
        void (TMainForm::*Run)();
    };
    // mainform.cpp
    void BuildEditor();
    void BuildFonts();
    bool AskUserName();
    void PrepareEmptyDocument();
    void PrepareUserFolders();
    void LoadProgramLists();
    void SayStartupProblems();
    void StartUntitledDocument();
    // menus.cpp
    void BuildMenus();
    void AddMenuItem(QMenu& menu, const TMenuEntry& e,
                     std::map<std::string, QActionGroup*>& groups);
    void BuildToolBar();
    void ConnectCommands();
    void Connect(const char* item, std::function<void()> run);
    static const std::vector<TCommand>& ReadingCommands();
    bool IsCommandKey(const QKeyEvent& key) const;
    void HelpTextCommand(const char* item);
    void ShortcutHelpCommand(const char* item);
    void AboutCommand();
    std::string MenuCaptionSpeech(const QAction& action) const;
    void MenuTitleHovered(QAction* action);
    void MenuEscapeKey(QObject* watched, QEvent* event);
    void VolumeUpCommand();
    void VolumeDownCommand();
    // statusbar.cpp
    void BuildStatusBar();
    QLabel* Panel(int index) const;
    void SetActivity(const QString& text);
    // settings.cpp
    void ReadSettings();
    void WriteSettings();
    void SettingsWritten(bool ok); // told once when writing fails, kept quiet until it works
    // After every command: settings it changed are written at once, not only at the end.
    void KeepChangedSettings();
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
    void VniDisplayCommand();
    void BrailleDisplayCommand();
    void SetDisplay(bool braille);
    std::string OtherForm(bool braille, const std::string& text);
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
    void PrepareSpellCheck(TSpellFrm& dialog, int& found);
    void SaySpellCheckEnd(const TSpellFrm& dialog, int result, int found);
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
    // The send window (for the document, or an answer when one is given), then the transfer.
    void SendLetter(const TLetterAnswer* answer);
    void SetUpTransfer(TMailFrm& transfer) const;
    // printcmds.cpp: printing and embossing
    void PrinterCommand();
    std::string JobTitle() const;
    void PrintDocument(const TPrintQueue& printer);
    void EmbossDocument(const TPrintQueue& printer, int charsPerLine);
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
    void ShowOpened(const std::string& file);
    bool SaveText(const std::string& name);
    bool SaveBraille(const std::string& name);
    bool SaveDocument(TMsRichEdit& source, const std::string& name);
    void PlainKeys(bool plain);
    int ShowWithPlainKeys(QDialog& dialog);
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
    void RecoveryWritten(bool ok);
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
    void ActOnDeletion(const TFieldKeyEcho& echo, bool readControlChars);
    void RightKeyDown(bool noModifiers, bool onlyCtrl, const TCaretText& t);
    void CtrlKeyDown(int key, bool keypad);
    void CtrlAltKeyUp(int key);
    void LeftKeyUp(bool noModifiers, bool onlyCtrl);
    void UpDownKeyUp();
    void PositionKeyUp(int key, bool noModifiers, bool onlyCtrl, bool onlyAlt);
    void WordDeletionKeyDown(bool before);
    // changespeech.cpp: what an edit changed, said while the option is on
    static const std::vector<TCommand>& ChangeCommands();
    void SayChangesCommand();
    bool SayChanges() const;
    std::string SpokenVni(const std::string& displayBytes); // the display's bytes as VNI text
    // A few words and the number of letters; in English words when english (for what the
    // English voice says; prompts are said by the Vietnamese voice).
    std::string StartSaid(const std::string& displayBytes, bool english);
    std::string DeletionSaid(const std::string& displayBytes);
    void SelectionKeyDown(int key, bool shift);
    void SelectionKeyUp(int key);
    void KeepLetterWhole(bool forward);
    std::string SelectionReplaced(unsigned char typed);
    std::string FoundLine();
    // optioncmds.cpp: the options, which the settings restore. Each command changes its option,
    // acts on it as the settings restored would (Apply...), and says what it did.
    void ShowOptions(); // the check marks of the menus, from the options and the display
    // The settings read at start-up take the place of the defaults.
    void RestoreSettings(const TUserSettings& s);
    void ApplyOptions();
    void ApplySpeechOn();
    void ApplyLanguage();
    void SpeechCommand();
    void ToolBarCommand();
    void ControlCharsCommand();
    void SymbolModeCommand();
    void EchoModeCommand(TEchoMode mode);
    void LanguageCommand(bool english);
    void VolBarChange();
    // voicecmds.cpp: the speed of each voice and English words read in English
    static const std::vector<TCommand>& VoiceCommands();
    void ApplyVoices();
    void FasterCommand();
    void SlowerCommand();
    void StepRate(int by);
    void EnglishWordsCommand();
    // readon.cpp: reading the document on from the caret
    void ReadOnCommand();
    std::function<std::string(std::string_view)> ReadOnSpoken();
    // Stops reading on with the caret at the word being heard; false when nothing was.
    bool StopReadOn();
    bool ReadOnKey(QEvent* event); // true: the key stopped reading on, and goes no further

    // The parts of the window. Fields that other code knows by their usual names keep them
    // inside the parts: FileName, Modified, TextBeforeTranslation and EmptyRtf (FDocument),
    // FindText, ReplaceText and ReplaceMode (FSearch), MailUser, MailPassword, UserAddress,
    // InMail, OutMail and RasService (FSettings.Mail), PrinterIndex, Embosser, CharsLine,
    // LeftMargin and RightMargin (FSettings.Print), LastLine, LastColumn and PendingEcho (FKeys).
    TMainFormSetup FSetup; // its speech port is FSpeech
    std::unique_ptr<ISpeechPort> FSpeech;
    TUserSettings FSettings;
    TUserSettings FKeptSettings; // as last written
    TDocumentState FDocument;
    TSearchState FSearch;
    // What the key handlers keep between the events of a key (editkeys.cpp) and between keys.
    struct TKeyState {
        int LastCaret = 0;   // the caret at the last key-down
        bool Echoed = false; // this key's letter or tone was spoken at key-down
        bool Placed = false; // the text changed since this key went down
        int DownKey = 0;     // the last key that went down, and the modifiers held then
        Qt::KeyboardModifiers DownMods;
        int HandledKey = 0, BeepKey = 0; // the key being handled; the key that beeped last
        std::chrono::steady_clock::time_point LastBeepEnd;
        int LastLine = 0;         // the caret's line when Up or Down went down
        int LastColumn = 0;       // the caret's column when the last key went down
        bool PendingEcho = false; // the next change speaks the character before the caret
        bool CapsLock = false, NumLock = false; // as last seen
        // The selection (start, end) when a key with Shift that moves its end went down.
        std::optional<std::pair<int, int>> SelectingFrom;
    } FKeys;
    // The user: the name typed at start-up (upper-cased), the documents folder, the registry.
    struct {
        std::string Name;
        std::filesystem::path Documents;
        std::unique_ptr<TRegistry> Registry; // from the reading of the settings to the end
        TWriteWatch SettingsWrites;
    } FUser;
    // The lists of the program folder, the Braille converter and the folder of the beep.
    struct {
        TNameValueList MenuSpeech; // menu captions and what they say
        TNameValueList DotNames;   // Braille characters and their dot numbers
        TCodeConverter Braille;
        std::filesystem::path WaveDir;
    } FData;
    // The recovery file: written a moment after a change and then every period while the
    // changes go on, on its own thread.
    struct {
        std::filesystem::path File;
        QTimer* Timer = nullptr;
        QElapsedTimer LastSnapshot; // invalid until the first
        std::unique_ptr<TRecoveryWriter> Writer;
        bool GivenUp = false; // the user chose not to save: nothing to recover
        TWriteWatch Writes;
    } FRecovery;
    struct {
        bool Running = false, Cancelled = false;
        QTimer* Reminder = nullptr;
    } FConversion;
    // Where the window is in its life, and what it gives back at the end.
    struct {
        bool Shown = false, Closed = false;
        bool Ending = false; // ending on a signal: no questions
        // The translator was started: the program losing the keyboard to it is not announced.
        bool DbtLaunched = false;
        // The keyboard repeat rate and delay of the user, as found at start-up (X11 only).
        std::optional<TKeyRepeat> KeyRepeat;
        std::deque<std::string> OpenQueue; // files handed over, waiting for their turn
        bool Opening = false;              // one of them is being asked about or opened
    } FRun;
    // Reading on: the sentences being read, and the key that stopped it while it is down.
    struct {
        std::shared_ptr<TReadOnSource> Source;
        int StopKey = 0;
    } FReadOn;
    // The menus: a title waiting for the first item of its menu; an Escape being handled; the
    // entry just said.
    struct {
        std::string PendingTitle;
        bool EscapePending = false;
        QAction* Hovered = nullptr;
    } FMenus;
    // The controls found by name or number: menu items and tool buttons, status bar panels.
    struct {
        std::map<std::string, QAction*> Actions;
        std::vector<QLabel*> Panels;
    } FControls;
};

} // namespace tavi

// The menu bar and tool bar of the main window, built from the menu table, and the speech of
// the menu entries as they are highlighted.
#include "shell/mainform.h"

#include "dialogs/aboutbox.h"
#include "dialogs/manualfrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"
#include "platform/paths.h"
#include "shell/menudefs.h"

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

#include <filesystem>
#include <stack>
#include <utility>

namespace tavi {

namespace {

// Tool buttons that have no menu item of their own.
struct TButtonOnly {
    const char* name;
    const char* caption;
};
const TButtonOnly ButtonsOnly[] = {
    {"TFontBold", "Chữ đậm"}, {"TFontItalic", "Chữ nghiêng"}, {"TFontUnderLine", "Chữ gạch dưới"}};

} // namespace

QAction* TMainForm::Action(const std::string& name) const {
    auto it = FControls.Actions.find(name);
    return it == FControls.Actions.end() ? nullptr : it->second;
}

bool TMainForm::Checked(const std::string& name) const {
    const QAction* a = Action(name);
    return a && a->isChecked();
}

void TMainForm::BuildMenus() {
    std::map<std::string, QActionGroup*> groups;
    std::stack<QMenu*> open;
    for (const TMenuEntry& e : MainMenuEntries()) {
        switch (e.kind) {
        case TMenuEntry::Menu: {
            QMenu* menu = open.empty() ? menuBar()->addMenu(QString::fromUtf8(e.caption))
                                       : open.top()->addMenu(QString::fromUtf8(e.caption));
            menu->setObjectName(e.name);
            menu->menuAction()->setObjectName(e.name);
            FControls.Actions[e.name] = menu->menuAction();
            connect(menu, &QMenu::hovered, this, &TMainForm::MenuEntryHovered);
            connect(menu, &QMenu::aboutToHide, this, [this] { FSpeech->StopReading(); });
            // Opened from its title (Down, Enter, a click), it says the title again first.
            if (open.empty())
                connect(menu, &QMenu::aboutToShow, this,
                        [this, menu] { MenuTitleHovered(menu->menuAction()); });
            open.push(menu);
            break;
        }
        case TMenuEntry::End: open.pop(); break;
        case TMenuEntry::Separator: open.top()->addSeparator(); break;
        case TMenuEntry::Item: AddMenuItem(*open.top(), e, groups); break;
        }
    }
    // The bar's titles speak as the highlight reaches them: with Alt and the arrows, and as a
    // menu opens before its first item.
    connect(menuBar(), &QMenuBar::hovered, this, &TMainForm::MenuTitleHovered);
    BuildToolBar();
    ConnectCommands();
}

void TMainForm::AddMenuItem(QMenu& menu, const TMenuEntry& e,
                            std::map<std::string, QActionGroup*>& groups) {
    QAction* a = menu.addAction(QString::fromUtf8(e.caption));
    a->setObjectName(e.name);
    a->setProperty("tag", e.tag);
    if (*e.shortcut) a->setShortcut(QKeySequence(QString::fromLatin1(e.shortcut)));
    a->setCheckable(e.checkable);
    a->setChecked(e.checked);
    if (*e.group) {
        QActionGroup*& g = groups[e.group];
        if (!g) g = new QActionGroup(this);
        g->addAction(a);
    }
    a->setEnabled(false); // until a command is connected
    FControls.Actions[e.name] = a;
    if (*e.button) FControls.Actions[e.button] = a;
}

void TMainForm::BuildToolBar() {
    for (const TButtonOnly& b : ButtonsOnly) {
        auto* a = new QAction(QString::fromUtf8(b.caption), this);
        a->setObjectName(b.name);
        a->setCheckable(true);
        a->setEnabled(false);
        FControls.Actions[b.name] = a;
    }
    addToolBar(ToolBar1);
    ToolBar1->setObjectName("ToolBar1");
    VolBar->setObjectName("VolBar");
    VolBar->setRange(0, 10);
    VolBar->setMaximumWidth(120);
    for (const char* name : ToolBarButtons()) {
        if (!*name)
            ToolBar1->addSeparator();
        else if (std::string(name) == "VolBar")
            ToolBar1->addWidget(VolBar);
        else
            ToolBar1->addAction(Action(name));
    }
}

// The commands this window carries out; every other entry stays disabled until the commands
// of its own part of the program are connected.
void TMainForm::ConnectCommands() {
    for (const auto* commands :
         {&FileCommands(), &EditCommands(), &LayoutCommands(), &MailCommands(), &ReadingCommands(),
          &VoiceCommands(), &ChangeCommands()})
        for (const TCommand& c : *commands)
            Connect(c.Name, [this, run = c.Run] { (this->*run)(); });
    for (std::size_t mode = 0; mode < EchoModeItems.size(); ++mode)
        Connect(EchoModeItems[mode],
                [this, mode] { EchoModeCommand(static_cast<TEchoMode>(mode)); });
    Connect("MVietNam", [this] { LanguageCommand(false); });
    Connect("MEnglish", [this] { LanguageCommand(true); });
    for (const char* name : {"CchSDng1", "CchG1"})
        Connect(name, [this, name] { HelpTextCommand(name); });
    for (const char* name : {"MShortcuthelpAll", "MHelpFile", "MHelpEdit", "MhelpLayout",
                             "MHelpSound", "MHelMail", "MHelpParams", "MSHDan"})
        Connect(name, [this, name] { ShortcutHelpCommand(name); });
    connect(VolBar, &QSlider::valueChanged, this, [this] { VolBarChange(); });
    Action("MTuongHinh")->setEnabled(false); // symbol mode: in Braille display only
    ShowOptions();
}

// An error that ends the command is told. After the command the check marks show the options again
// (an item toggles itself, also when its command is refused), and the settings it changed are kept.
void TMainForm::Connect(const char* item, std::function<void()> run) {
    QAction* a = Action(item);
    a->setEnabled(true);
    connect(a, &QAction::triggered, this, [this, item, run = std::move(run)] {
        if (!RefusedWhileConverting(item)) Guarded(run);
        ShowOptions();
        KeepChangedSettings();
    });
}

// The Reading menu and help, besides the commands of their own that take the item.
const std::vector<TMainForm::TCommand>& TMainForm::ReadingCommands() {
    static const std::vector<TCommand> commands = {{"MROption", &TMainForm::SpeechCommand},
                                                   {"MGToolBar", &TMainForm::ToolBarCommand},
                                                   {"MRCharCtrl", &TMainForm::ControlCharsCommand},
                                                   {"MRRead", &TMainForm::ReadSelectionCommand},
                                                   {"MRReadOn", &TMainForm::ReadOnCommand},
                                                   {"MRVolUp", &TMainForm::VolumeUpCommand},
                                                   {"MRVolDown", &TMainForm::VolumeDownCommand},
                                                   {"MHAbout", &TMainForm::AboutCommand}};
    return commands;
}

void TMainForm::VolumeUpCommand() {
    if (VolBar->value() < 10) VolBar->setValue(VolBar->value() + 1);
}

void TMainForm::VolumeDownCommand() {
    if (VolBar->value() > 0) VolBar->setValue(VolBar->value() - 1);
}

// The help text of the item's Tag, when it is there; then back to the editor.
void TMainForm::HelpTextCommand(const char* item) {
    static const char* const files[] = {"Hdsd.TXT", "cachgo.TXT"};
    const std::filesystem::path file =
        ProgramFolder() / files[Action(item)->property("tag").toInt()];
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
        TManualFrm manual(*this, this);
        manual.FileName = file.string();
        ShowModal(manual);
    } else {
        PlayBeep();
    }
    Announce("zzzmesa");
}

void TMainForm::ShortcutHelpCommand(const char* item) {
    Announce(ShortcutHelp(Action(item)->property("tag").toInt()));
}

void TMainForm::AboutCommand() {
    TAboutBox about(*this, this);
    ShowModal(about);
    Announce("zzzmesa");
}

bool TMainForm::IsCommandKey(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const auto& [name, action] : FControls.Actions)
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true;
    return false;
}

// The caption of a menu entry as the menu speech list keys it.
std::string TMainForm::MenuCaptionSpeech(const QAction& action) const {
    std::string caption = VnBytes(action.text(), VniDosTable);
    if (const auto amp = caption.find('&'); amp != std::string::npos) caption.erase(amp, 1);
    if (const auto tab = caption.find('\t'); tab != std::string::npos) caption.erase(tab);
    return FData.MenuSpeech.Value(caption);
}

// A menu that opens highlights its first item at once: the title waits for that item, so that
// one is not cut off by the other, and is said alone when no item follows. (The bar hears of
// the items of its menus too: they speak for themselves.)
void TMainForm::MenuTitleHovered(QAction* action) {
    if (!SoundOn() || !action || !menuBar()->actions().contains(action)) return;
    FMenus.PendingTitle = MenuCaptionSpeech(*action);
    QTimer::singleShot(0, this, [this] {
        if (FMenus.PendingTitle.empty()) return;
        FSpeech->StopReading();
        SpeakText(std::exchange(FMenus.PendingTitle, {}), VniWinTable, false, false);
    });
}

// Escape closes one level: a submenu goes back to its entry, which is said again; a menu to its
// title on the bar, which says itself; the bar gives the keys back to the document, and says so.
void TMainForm::MenuEscapeKey(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return;
    // The bar and its menus only (the mail viewer has menus of its own).
    QObject* owner = watched;
    while (owner && owner != menuBar()) owner = owner->parent();
    if (!owner) return;
    // The key passes the menu and its parents: the first of its checks acts.
    FMenus.EscapePending = true;
    QTimer::singleShot(0, this, [this] {
        if (!std::exchange(FMenus.EscapePending, false)) return;
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            if (menu->activeAction()) MenuEntryHovered(menu->activeAction());
        } else if (!menuBar()->activeAction()) {
            Announce("zzzmesa");
        }
    });
}

void TMainForm::MenuEntryHovered(QAction* action) {
    QMenu* menu = nullptr; // the menu showing the entry (a submenu's entry is in its parent)
    for (QObject* o : action->associatedObjects())
        if (auto* m = qobject_cast<QMenu*>(o); m && m != action->menu()) menu = m;
    if (!action->isEnabled()) {
        // The highlight moves past an entry that cannot be chosen, silently.
        if (menu) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(menu, &down);
        }
        return;
    }
    if (!SoundOn()) return;
    // A submenu opened from the keyboard highlights its first entry twice at once: said once.
    if (std::exchange(FMenus.Hovered, action) == action) return;
    QTimer::singleShot(0, this, [this] { FMenus.Hovered = nullptr; });
    FSpeech->StopReading();
    // The title of a menu just opened comes first.
    std::string text = std::exchange(FMenus.PendingTitle, {});
    if (!text.empty()) text += ' ';
    if (action->menu()) text += " zzzmesha ";
    text += MenuCaptionSpeech(*action);
    if (action->isChecked()) text += " . zzzmeslh";
    SpeakText(text, VniWinTable, false, false);
}

} // namespace tavi

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
#include <QToolBar>

#include <filesystem>
#include <stack>

namespace tavi {

namespace {

// Spoken shortcut help by the Tag of its item.
const char* const ShortcutHelp[] = {"zzzmesde zzzmesdf zzzmesks zzzmesdg zzzmesdh zzzmeslf "
                                    "zzzmesku zzzmesjo zzzmesjp zzzmesdi zzzmeskv",
                                    "zzzmesde",
                                    "zzzmesdf",
                                    "zzzmesks zzzmesdg",
                                    "zzzmesdh zzzmeslf",
                                    "zzzmesku zzzmesjo zzzmesjp",
                                    "zzzmesdi",
                                    "zzzmeskv"};

// Tool buttons that have no menu item of their own.
struct TButtonOnly {
    const char* name;
    const char* caption;
};
const TButtonOnly ButtonsOnly[] = {
    {"TFontBold", "Chữ đậm"}, {"TFontItalic", "Chữ nghiêng"}, {"TFontUnderLine", "Chữ gạch dưới"}};

} // namespace

QAction* TMainForm::Action(const std::string& name) const {
    auto it = FActions.find(name);
    return it == FActions.end() ? nullptr : it->second;
}

bool TMainForm::Checked(const std::string& name) const {
    const QAction* a = Action(name);
    return a && a->isChecked();
}

void TMainForm::BuildMenus() {
    MainMenu1 = menuBar();
    std::map<std::string, QActionGroup*> groups;
    std::stack<QMenu*> open;
    for (const TMenuEntry& e : MainMenuEntries()) {
        switch (e.kind) {
        case TMenuEntry::Menu: {
            QMenu* menu = open.empty() ? MainMenu1->addMenu(QString::fromUtf8(e.caption))
                                       : open.top()->addMenu(QString::fromUtf8(e.caption));
            menu->setObjectName(e.name);
            menu->menuAction()->setObjectName(e.name);
            FActions[e.name] = menu->menuAction();
            connect(menu, &QMenu::hovered, this, &TMainForm::MenuEntryHovered);
            connect(menu, &QMenu::aboutToHide, this, [this] { FSpeech->StopReading(); });
            open.push(menu);
            break;
        }
        case TMenuEntry::End: open.pop(); break;
        case TMenuEntry::Separator: open.top()->addSeparator(); break;
        case TMenuEntry::Item: {
            QAction* a = open.top()->addAction(QString::fromUtf8(e.caption));
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
            a->setEnabled(false); // until a command is connected below
            FActions[e.name] = a;
            if (*e.button) FActions[e.button] = a;
            break;
        }
        }
    }
    for (const TButtonOnly& b : ButtonsOnly) {
        auto* a = new QAction(QString::fromUtf8(b.caption), this);
        a->setObjectName(b.name);
        a->setCheckable(true);
        a->setEnabled(false);
        FActions[b.name] = a;
    }

    ToolBar1 = addToolBar(QString::fromUtf8("Thanh công cụ"));
    ToolBar1->setObjectName("ToolBar1");
    VolBar = new QSlider(Qt::Horizontal, this);
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

    // The commands this window carries out; every other entry stays disabled until the
    // commands of its own part of the program are connected.
    const auto on = [this](const char* name, auto handler) {
        QAction* a = Action(name);
        a->setEnabled(true);
        connect(a, &QAction::triggered, this, [this, name, handler] {
            if (!RefusedWhileConverting(name)) {
                if constexpr (std::is_invocable_v<decltype(handler)>)
                    handler();
                else
                    (this->*handler)();
            }
            ShowOptions(); // a checkable item toggled itself, also when refused
        });
        connect(a, &QAction::triggered, this, &TMainForm::KeepChangedSettings); // after it
    };
    for (const auto* commands :
         {&FileCommands(), &EditCommands(), &LayoutCommands(), &MailCommands()})
        for (const TCommand& c : *commands) on(c.Name, c.Run);
    on("MROption", &TMainForm::SpeechCommand);
    on("MGToolBar", &TMainForm::ToolBarCommand);
    on("MRCharCtrl", &TMainForm::ControlCharsCommand);
    for (std::size_t mode = 0; mode < EchoModeItems.size(); ++mode)
        on(EchoModeItems[mode], [this, mode] { EchoModeCommand(static_cast<TEchoMode>(mode)); });
    on("MRRead", [this] { ReadSelectionCommand(); });
    on("MVietNam", [this] { LanguageCommand(false); });
    on("MEnglish", [this] { LanguageCommand(true); });
    on("MRVolUp", [this] {
        if (VolBar->value() < 10) VolBar->setValue(VolBar->value() + 1);
    });
    on("MRVolDown", [this] {
        if (VolBar->value() > 0) VolBar->setValue(VolBar->value() - 1);
    });
    connect(VolBar, &QSlider::valueChanged, this, [this] { VolBarChange(); });
    for (const char* name : {"CchSDng1", "CchG1"}) {
        on(name, [this, name] {
            const char* files[] = {"Hdsd.TXT", "cachgo.TXT"};
            const std::filesystem::path file =
                ProgramFolder() / files[Action(name)->property("tag").toInt()];
            std::error_code ec;
            if (std::filesystem::exists(file, ec)) {
                TManualFrm manual(*this, this);
                manual.FileName = file.string();
                ShowModal(manual);
            } else {
                PlayBeep();
            }
            SpeakText("zzzmesa", VniWinTable, false, false);
        });
    }
    for (const char* name : {"MShortcuthelpAll", "MHelpFile", "MHelpEdit", "MhelpLayout",
                             "MHelpSound", "MHelMail", "MHelpParams", "MSHDan"}) {
        on(name, [this, name] {
            SpeakText(ShortcutHelp[Action(name)->property("tag").toInt()], VniWinTable, false,
                      false);
        });
    }
    on("MHAbout", [this] {
        TAboutBox about(*this, this);
        ShowModal(about);
        SpeakText("zzzmesa", VniWinTable, false, false);
    });
}

bool TMainForm::IsCommandKey(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    for (const auto& [name, action] : FActions)
        if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed)
            return true;
    return false;
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
    FSpeech->StopReading();
    std::string text = action->menu() ? " zzzmesha " : "";
    std::string caption = VnBytes(action->text(), "Vni for Dos");
    if (const auto amp = caption.find('&'); amp != std::string::npos) caption.erase(amp, 1);
    if (const auto tab = caption.find('\t'); tab != std::string::npos) caption.erase(tab);
    text += FMenuSpeech.Value(caption);
    if (action->isChecked()) text += " . zzzmeslh";
    SpeakText(text, VniWinTable, false, false);
}

} // namespace tavi

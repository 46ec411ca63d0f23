// An office document converted by an outside program, as it is opened or saved: the user hears
// that the conversion is under way, at once and again every few seconds, and Escape gives it
// up. Meanwhile the document in the editor cannot change: keys that would edit it beep, and
// so do commands other than those that read, select or set the speech; the keys that move the
// caret still speak.
#include "shell/mainform.h"

#include "document/msrichedit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include <set>
#include <string_view>

namespace tavi {

namespace {

constexpr int ReminderMs = 5000;
constexpr const char* UnderWay = " zzzmescvd ";

// Commands that leave the document as it is and open no window.
const std::set<std::string_view> AllowedWhileConverting = {
    "MRRead",      "MROption",   "MRENone",     "MREChar",    "MREWord",          "MRESen",
    "MREPar",      "MRCharCtrl", "MVietNam",    "MEnglish",   "MRVolUp",          "MRVolDown",
    "MGToolBar",   "MESelWord",  "MESelSt",     "MESelPar",   "MESelAll",         "MECopy",
    "MHelpFile",   "MHelpEdit",  "MhelpLayout", "MHelpSound", "MShortcuthelpAll", "MHelMail",
    "MHelpParams", "MSHDan"};

// A key that would change the text: one that types (Ctrl+Alt types the VNI fonts' characters
// too), deletes, or breaks a line.
bool EditsText(int key, Qt::KeyboardModifiers mods) {
    const bool ctrl = mods.testFlag(Qt::ControlModifier), alt = mods.testFlag(Qt::AltModifier);
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis) return ctrl == alt;
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return true;
    default: return false;
    }
}

} // namespace

void TMainForm::WatchConversions() {
    FConversion.Reminder = new QTimer(this);
    FConversion.Reminder->setInterval(ReminderMs);
    // A reminder never cuts off what the user is listening to.
    connect(FConversion.Reminder, &QTimer::timeout, this, [this] {
        if (!Playing()) Announce(UnderWay);
    });
    TConversionWatch& watch = Editor->Conversion;
    watch.Started = [this] { ConversionStarted(); };
    watch.Ended = [this] { ConversionEnded(); };
    // The program ending gives it up too: nothing may follow the recovery file's last write.
    watch.Cancelled = [this] { return FConversion.Cancelled || FRun.Ending || FRun.Closed; };
}

void TMainForm::ConversionStarted() {
    FConversion.Running = true;
    FConversion.Cancelled = false;
    Editor->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    SetActivity(QString::fromUtf8("Đang chuyển đổi tập tin (Escape: thôi)"));
    Announce(UnderWay);
    FConversion.Reminder->start();
}

void TMainForm::ConversionEnded() {
    FConversion.Reminder->stop();
    FConversion.Running = false;
    Editor->setTextInteractionFlags(Qt::TextEditorInteraction);
    SetActivity({});
}

bool TMainForm::RefusedWhileConverting(const char* command) {
    if (!FConversion.Running || (command && AllowedWhileConverting.count(command))) return false;
    PlayBeep();
    return true;
}

bool TMainForm::ConversionKey(int& key, Qt::KeyboardModifiers mods, bool down) {
    if (!FConversion.Running || !EditsText(key, mods)) return false;
    if (down) EdgeBeep();
    key = 0;
    return true;
}

// Escape, wherever the keyboard is, except in an open menu, which it closes.
bool TMainForm::CancelConversionKey(QEvent* event) {
    if (!FConversion.Running || event->type() != QEvent::KeyPress ||
        static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape ||
        QApplication::activePopupWidget())
        return false;
    FConversion.Cancelled = true;
    return true;
}

} // namespace tavi

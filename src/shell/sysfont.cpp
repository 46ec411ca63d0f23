#include "shell/sysfont.h"

#include <QApplication>
#include <QFontDatabase>

namespace tavi {

namespace {

// A face that is not installed falls back to the application's default family, keeping the
// requested size and style.
QFont Usable(QFont f) {
    if (!QFontDatabase::families().contains(f.family())) f.setFamily(QApplication::font().family());
    return f;
}

} // namespace

TSysFont::TSysFont(QObject* owner) : QObject(owner) {
    const QFont base = QApplication::font();
    Caption = SmallCaption = Menu = Status = Message = base;
}

void TSysFont::Set(QFont& slot, const QFont& f) {
    if (slot == f) return;
    slot = f;
    Apply();
}

void TSysFont::Apply() {
    ++Applied;
    QApplication::setFont(Usable(Menu), "QMenuBar");
    QApplication::setFont(Usable(Menu), "QMenu");
    QApplication::setFont(Usable(Status), "QStatusBar");
    QApplication::setFont(Usable(Status), "QToolTip");
    QApplication::setFont(Usable(Message), "QMessageBox");
    QApplication::setFont(Usable(Caption), "QDockWidget"); // the program's own caption bars
}

} // namespace tavi

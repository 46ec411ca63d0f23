// The status bar and the operations that keep it current: caret position, modified flag,
// lock keys, activity; the window caption.
#include "shell/mainform.h"

#include "document/msrichedit.h"

#include <QLabel>
#include <QStatusBar>

namespace tavi {

namespace {

struct TPanel {
    int width;
    bool centred;
};
constexpr TPanel Panels[] = {{140, true}, {90, true}, {62, true},
                             {65, true},  {55, true}, {50, false}};

} // namespace

void TMainForm::BuildStatusBar() {
    statusBar()->setObjectName("StatusBar");
    for (const TPanel& p : Panels) {
        auto* label = new QLabel(this);
        label->setMinimumWidth(p.width);
        if (p.centred) label->setAlignment(Qt::AlignCenter);
        statusBar()->addWidget(label, p.width == 50 ? 1 : 0);
        FControls.Panels.push_back(label);
    }
}

QLabel* TMainForm::Panel(int index) const {
    return FControls.Panels.at(static_cast<std::size_t>(index));
}

void TMainForm::SetActivity(const QString& text) {
    Panel(5)->setText(text);
}

void TMainForm::SetModified(int value) {
    if (value == FDocument.Modified) return;
    FDocument.Modified = value;
    Panel(1)->setText(value ? QString::fromUtf8("Được chỉnh sửa") : QString());
}

void TMainForm::SetFileName(const std::string& name) {
    FDocument.FileName = name;
    const std::string file = std::filesystem::path(name).filename().string();
    setWindowTitle(QString::fromUtf8(ApplicationTitle) + " - " + QString::fromStdString(file));
    Editor->setAccessibleName(QString::fromStdString(file)); // a screen reader's name for it
}

void TMainForm::UpdateCaretPanel() {
    Panel(0)->setText(QString::asprintf("Dòng: %3d  - Cột: %3d", Editor->CaretLine() + 1,
                                        Editor->CaretLetterColumn() + 1));
    const bool selection = Editor->SelLength() > 0;
    for (const char* name : {"MECopy", "MECut"}) Action(name)->setEnabled(selection);
}

void TMainForm::UpdatePasteCommand() {
    Action("MEPaste")->setEnabled(Editor->canPaste());
}

void TMainForm::UpdateLockPanels(bool speak) {
    if (const auto locks = ReadLockStates()) {
        FKeys.CapsLock = locks->CapsLock;
        FKeys.NumLock = locks->NumLock;
    }
    Panel(2)->setText(FKeys.NumLock ? "NUMLOCK" : "");
    Panel(3)->setText(FKeys.CapsLock ? "CAPSLOCK" : "");
    if (speak && SoundOn()) SpeakLockStates();
}

void TMainForm::SpeakLockStates() {
    const char* on = " ba\xE4t ";  // bật
    const char* off = " ta\xE9t "; // tắt
    SpeakText(std::string("NUMLOCK") + (FKeys.NumLock ? on : off) + "CAPSLOCK" +
                  (FKeys.CapsLock ? on : off),
              VniWinTable, false, false);
}

} // namespace tavi

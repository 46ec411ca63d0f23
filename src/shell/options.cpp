// The option commands of the main window that its settings restore: speech on and off, the
// tool bar, control-character reading, the echo mode, the speech language and the volume.
#include "shell/mainform.h"

#include "shell/menudefs.h"

#include <QSlider>
#include <QToolBar>

namespace tavi {

void TMainForm::SpeechOnOff(bool fromProgram) {
    QAction* option = Action("MROption");
    if (fromProgram) option->setChecked(!option->isChecked()); // a menu click toggled it already
    if (option->isChecked()) {
        if (!fromProgram) SpeakText("zzzmesag", VniWinTable, false, false);
        SetKeyRepeat(SlowestKeyRepeat);
    } else {
        if (Checked("MEnglish")) FSpeech->EngineReset();
        // Speech is off already, so the farewell goes to the reader directly.
        if (!fromProgram) FSpeech->ReaderSpeak("zzzmesaf", VniWinTable, false);
        if (FKeyRepeat) SetKeyRepeat(*FKeyRepeat);
    }
}

void TMainForm::ToolBarCommand(bool fromProgram) {
    QAction* item = Action("MGToolBar");
    if (fromProgram) item->setChecked(!item->isChecked());
    ToolBar1->setVisible(item->isChecked());
    SpeakText(item->isChecked() && !fromProgram ? "zzzmesv" : "zzzmesu", VniWinTable, false, false);
}

void TMainForm::ControlCharsCommand(bool fromProgram) {
    QAction* item = Action("MRCharCtrl");
    if (fromProgram) {
        item->setChecked(!item->isChecked());
        return;
    }
    SpeakText(item->isChecked() ? "zzzmesaja" : "zzzmesak", VniWinTable, false, false);
}

void TMainForm::EchoModeCommand(int mode, bool fromProgram) {
    static const char* const keys[] = {" zzzmesca ", " zzzmescc ", " zzzmesce ", " zzzmescg ",
                                       " zzzmesci "};
    Action(EchoModeItems[static_cast<std::size_t>(mode)])->setChecked(true);
    if (!fromProgram) SpeakText(keys[mode], VniWinTable, false, false);
}

void TMainForm::LanguageCommand(bool english) {
    Action(english ? "MEnglish" : "MVietNam")->setChecked(true);
    FSpeech->SetEngineActive(english);
    if (english) FSpeech->EngineReset();
}

// The volume is the program's own (its samples are scaled), so no other program changes it and
// there is no mixer notice to follow.
void TMainForm::VolBarChange() {
    const int position = VolBar->value();
    FSpeech->SetVolume(position * 65535 / 10);
    VolBar->setToolTip(QString::fromUtf8("Âm Lượng: ") + QString::number(position) + "/10");
}

} // namespace tavi

// The options of the main window that its settings restore: speech on and off, the tool bar,
// symbol mode, control-character reading, the echo mode and the speech language (the voices'
// own options are in voicecmds.cpp); and the volume. The menus show the options; they never hold
// them.
#include "shell/mainform.h"

#include "shell/menudefs.h"

#include <QSlider>
#include <QToolBar>

namespace tavi {

void TMainForm::ShowOptions() {
    const TOptions& o = FSettings.Options;
    for (const TOptionRow& row : OptionRows()) {
        if (!*row.Item) continue;
        const bool on = o.*std::get<bool TOptions::*>(row.Field);
        // Of a pair of radio items, the one that stands for the option's state is checked.
        Action(on || !*row.OffItem ? row.Item : row.OffItem)->setChecked(on || *row.OffItem);
    }
    Action(EchoModeItems[static_cast<std::size_t>(o.Echo())])->setChecked(true);
    Action(FDocument.Braille() ? "MGTGrade1" : "MGTVNI2")->setChecked(true);
}

void TMainForm::RestoreSettings(const TUserSettings& s) {
    // A start-up that hides the tool bar says so, in the voice of the defaults.
    if (FSettings.Options.ToolBar && !s.Options.ToolBar) Announce("zzzmesu");
    FSettings = s;
    FSettings.Options.SetEcho(FSettings.Options.Echo()); // a number that selects no mode
    FSettings.Options.ClampRates();
    ApplyOptions();
}

// What the options do besides being shown, silently.
void TMainForm::ApplyOptions() {
    ToolBar1->setVisible(FSettings.Options.ToolBar);
    ApplySpeechOn();
    ApplyLanguage();
    ApplyVoices();
    ShowOptions();
}

// The slowest key repeat while speech is on, so that a held key does not run ahead of it.
void TMainForm::ApplySpeechOn() {
    if (FSettings.Options.SpeechOn)
        SetKeyRepeat(SlowestKeyRepeat);
    else if (FRun.KeyRepeat)
        SetKeyRepeat(*FRun.KeyRepeat);
}

void TMainForm::ApplyLanguage() {
    FSpeech->SetEngineActive(FSettings.Options.English());
    if (FSettings.Options.English()) FSpeech->EngineReset();
}

void TMainForm::SpeechCommand() {
    TOptions& o = FSettings.Options;
    o.SpeechOn = !o.SpeechOn;
    ApplySpeechOn();
    if (o.SpeechOn) return Announce("zzzmesag");
    if (o.English()) FSpeech->EngineReset();
    // Speech is off already, so the farewell goes to the reader directly.
    FSpeech->ReaderSpeak("zzzmesaf", VniWinTable, false);
}

void TMainForm::ToolBarCommand() {
    bool& shown = FSettings.Options.ToolBar;
    shown = !shown;
    ToolBar1->setVisible(shown);
    Announce(shown ? "zzzmesv" : "zzzmesu");
}

void TMainForm::ControlCharsCommand() {
    bool& read = FSettings.Options.ControlChars;
    read = !read;
    Announce(read ? "zzzmesaja" : "zzzmesak");
}

void TMainForm::EchoModeCommand(TEchoMode mode) {
    static const char* const keys[] = {" zzzmesca ", " zzzmescc ", " zzzmesce ", " zzzmescg ",
                                       " zzzmesci "};
    FSettings.Options.SetEcho(mode);
    Announce(keys[static_cast<int>(mode)]);
}

void TMainForm::LanguageCommand(bool english) {
    FSettings.Options.Vietnamese = !english;
    ApplyLanguage();
}

// While it is on, Braille is read by its dots (the item can be chosen in Braille display only).
void TMainForm::SymbolModeCommand() {
    FSettings.Options.SymbolMode = !FSettings.Options.SymbolMode;
}

// The volume is the program's own (its samples are scaled), so no other program changes it and
// there is no mixer notice to follow.
void TMainForm::VolBarChange() {
    const int position = VolBar->value();
    FSpeech->SetVolume(position * 65535 / 10);
    VolBar->setToolTip(QString::fromUtf8("Âm Lượng: ") + QString::number(position) + "/10");
}

} // namespace tavi

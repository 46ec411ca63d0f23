// The per-user settings of the main window: read while the window is first shown, written
// whenever a command changed them and when the window closes.
#include "shell/mainform.h"

#include "shell/menudefs.h"
#include "shell/usersettings.h"

namespace tavi {

TUserSettings TMainForm::CollectSettings() const {
    TUserSettings s;
    s.DbtApp = FDbtPath;
    s.ToolBar = Checked("MGToolBar");
    s.SoundMode = Checked("MROption");
    s.SoundSymbolMode = Checked("MTuongHinh");
    s.SoundCtrlChar = Checked("MRCharCtrl");
    s.SoundEdit = FSoundEdit;
    for (std::size_t mode = 0; mode < EchoModeItems.size(); ++mode)
        if (Checked(EchoModeItems[mode])) s.SoundEdit = static_cast<int>(mode);
    s.LangSpeak = Checked("MVietNam");
    s.MailUser = FMailUser;
    s.PassWord = FMailPassword;
    s.UserAddress = FUserAddress;
    s.InMail = FInMail;
    s.OutMail = FOutMail;
    s.RasService = FRasService;
    s.MailSecurity = FMailSecurity;
    s.MailCaFile = FMailCaFile;
    s.Printer = FPrinterIndex;
    s.Embosser = FEmbosser;
    s.CharsLine = FCharsLine;
    s.LMargin = FLeftMargin;
    s.RMargin = FRightMargin;
    s.AutoCnv = FAutoConvert;
    return s;
}

void TMainForm::ApplySettings(const TUserSettings& s) {
    FDbtPath = s.DbtApp;
    if (s.ToolBar != Checked("MGToolBar")) ToolBarCommand(true);
    if (s.SoundMode != Checked("MROption")) SpeechOnOff(true);
    Action("MTuongHinh")->setChecked(s.SoundSymbolMode);
    if (s.SoundCtrlChar != Checked("MRCharCtrl")) ControlCharsCommand(true);
    FSoundEdit = s.SoundEdit;
    if (const int mode = s.SoundEdit & 0xFF; mode <= 4) EchoModeCommand(mode, true);
    if (s.LangSpeak)
        Action("MVietNam")->setChecked(true);
    else
        LanguageCommand(true);
    FMailUser = s.MailUser;
    FMailPassword = s.PassWord;
    FUserAddress = s.UserAddress;
    FInMail = s.InMail;
    FOutMail = s.OutMail;
    FRasService = s.RasService;
    FMailSecurity = s.MailSecurity;
    FMailCaFile = s.MailCaFile;
    FPrinterIndex = s.Printer;
    FEmbosser = s.Embosser;
    FCharsLine = s.CharsLine;
    FLeftMargin = static_cast<std::int16_t>(s.LMargin);
    FRightMargin = static_cast<std::int16_t>(s.RMargin);
    FAutoConvert = s.AutoCnv;
}

void TMainForm::ReadSettings() {
    TUserSettings s = CollectSettings();
    try {
        FRegistry = std::make_unique<TRegistry>(FRegistryFile.empty() ? TRegistry::DefaultFile()
                                                                      : FRegistryFile);
        ReadUserSettings(*FRegistry, FUserName, s);
    } catch (const std::exception& e) {
        // An unreadable registry file: the defaults apply and nothing will be written over it.
        FRegistry.reset();
        s.AutoCnv = true;
        ApplicationException(&e);
    }
    ApplySettings(s);
    FKeptSettings = CollectSettings();
}

void TMainForm::WriteSettings() {
    if (!FRegistry) return;
    FKeptSettings = CollectSettings(); // a failed write is tried again at the next change
    try {
        WriteUserSettings(*FRegistry, FUserName, FKeptSettings);
    } catch (const std::exception&) {
        // Ending on a signal, nobody is there to answer a message box.
        if (!FEnding) Report("zzzmesesa ", "Không lưu được tập tin!");
    }
}

// A crash, a kill or a power cut must not take back what the user set during the day.
void TMainForm::KeepChangedSettings() {
    if (FRegistry && !FClosed && CollectSettings() != FKeptSettings) WriteSettings();
}

} // namespace tavi

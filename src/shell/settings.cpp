// The per-user settings of the main window: read while the window is first shown, written
// whenever a command changed them and when the window closes.
#include "shell/mainform.h"

#include "shell/usersettings.h"

namespace tavi {

void TMainForm::ReadSettings() {
    TUserSettings s = FSettings;
    try {
        FUser.Registry = std::make_unique<TRegistry>(
            FSetup.RegistryFile.empty() ? TRegistry::DefaultFile() : FSetup.RegistryFile);
        ReadUserSettings(*FUser.Registry, FUser.Name, s);
    } catch (const std::exception& e) {
        // An unreadable registry file: the defaults apply and nothing will be written over it.
        FUser.Registry.reset();
        s.Options.AutoConvert = true;
        ApplicationException(&e);
    }
    RestoreSettings(s);
    FKeptSettings = FSettings;
}

void TMainForm::WriteSettings() {
    if (!FUser.Registry) return;
    FKeptSettings = FSettings; // a failed write is tried again at the next change
    try {
        WriteUserSettings(*FUser.Registry, FUser.Name, FKeptSettings);
    } catch (const std::exception&) {
        // Ending on a signal, nobody is there to answer a message box.
        if (!FRun.Ending) Report("zzzmesesa ", "Không lưu được tập tin!");
    }
}

// A crash, a kill or a power cut must not take back what the user set during the day.
void TMainForm::KeepChangedSettings() {
    if (FUser.Registry && !FRun.Closed && FSettings != FKeptSettings) WriteSettings();
}

} // namespace tavi

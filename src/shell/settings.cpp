// The per-user settings of the main window: read while the window is first shown, written
// whenever a command changed them and when the window closes.
#include "shell/mainform.h"

#include "shell/usersettings.h"

namespace tavi {

void TMainForm::ReadSettings() {
    TUserSettings s = FSettings;
    try {
        FRegistry = std::make_unique<TRegistry>(FRegistryFile.empty() ? TRegistry::DefaultFile()
                                                                      : FRegistryFile);
        ReadUserSettings(*FRegistry, FUserName, s);
    } catch (const std::exception& e) {
        // An unreadable registry file: the defaults apply and nothing will be written over it.
        FRegistry.reset();
        s.Options.AutoConvert = true;
        ApplicationException(&e);
    }
    RestoreSettings(s);
    FKeptSettings = FSettings;
}

void TMainForm::WriteSettings() {
    if (!FRegistry) return;
    FKeptSettings = FSettings; // a failed write is tried again at the next change
    try {
        WriteUserSettings(*FRegistry, FUserName, FKeptSettings);
    } catch (const std::exception&) {
        // Ending on a signal, nobody is there to answer a message box.
        if (!FEnding) Report("zzzmesesa ", "Không lưu được tập tin!");
    }
}

// A crash, a kill or a power cut must not take back what the user set during the day.
void TMainForm::KeepChangedSettings() {
    if (FRegistry && !FClosed && FSettings != FKeptSettings) WriteSettings();
}

} // namespace tavi

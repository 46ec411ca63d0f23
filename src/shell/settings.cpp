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
    } catch (const std::exception& e) {
        // An unreadable registry file: the defaults apply and nothing will be written over it.
        s.Options.AutoConvert = true;
        const TStartupProblem unread{
            "zzzmesxg", "Không đọc được cài đặt, ta vi dùng cài đặt mặc định.", {}};
        NoteProblem(FSetup.StartupProblems, unread, e.what());
    }
    bool written = true;
    try {
        if (FUser.Registry) ReadUserSettings(*FUser.Registry, FUser.Name, s);
    } catch (const std::exception&) {
        // Only a key just made is written while reading, so nothing was there to read; it
        // stays in the registry, which writes it with the next change.
        s.Options.AutoConvert = true;
        written = false;
    }
    RestoreSettings(s);
    FKeptSettings = FSettings;
    if (!written) SettingsWritten(false);
}

void TMainForm::WriteSettings() {
    if (!FUser.Registry) return;
    FKeptSettings = FSettings; // a failed write is tried again at the next change
    try {
        WriteUserSettings(*FUser.Registry, FUser.Name, FKeptSettings);
        SettingsWritten(true);
    } catch (const std::exception&) {
        SettingsWritten(false);
    }
}

// A folder that cannot be written is said once, in the user's words and without its path; the
// changes after it are kept in memory and written as soon as the folder takes them.
void TMainForm::SettingsWritten(bool ok) {
    // Ending on a signal, nobody is there to answer a message box.
    if (FUser.SettingsWrites.Written(ok) != TWriteWatch::TNews::Failing || FRun.Ending) return;
    if (SoundOn()) HearWhole(); // what the command said first
    SayWhole("zzzmesxe ", "Không lưu được cài đặt.");
}

// A crash, a kill or a power cut must not take back what the user set during the day.
void TMainForm::KeepChangedSettings() {
    if (FUser.Registry && !FRun.Closed && FSettings != FKeptSettings) WriteSettings();
}

} // namespace tavi

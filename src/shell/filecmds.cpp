// The File menu: new, open, save, save as, file information, the Braille translator, exit and
// shut down, and the questions before a document is given up or the window closes.
#include "shell/mainform.h"

#include "dialogs/confirmfrm.h"
#include "dialogs/fileinfo.h"
#include "dialogs/finfofrm.h"
#include "dialogs/savefrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"

#include <QCheckBox>
#include <QProcess>

#include <ctime>

namespace tavi {

namespace fs = std::filesystem;

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

} // namespace

const std::vector<TMainForm::TCommand>& TMainForm::FileCommands() {
    static const std::vector<TCommand> commands = {
        {"MFNew", &TMainForm::NewCommand},        {"MFOpen", &TMainForm::OpenCommand},
        {"MFSave", &TMainForm::SaveCommand},      {"MFSaveAs", &TMainForm::SaveAsCommand},
        {"MFInfo", &TMainForm::InfoCommand},      {"MFDBT", &TMainForm::DbtCommand},
        {"MFExit", &TMainForm::ExitCommand},      {"MFShutDown", &TMainForm::ShutDownCommand},
        {"MFPrinter", &TMainForm::PrinterCommand}};
    return commands;
}

int TMainForm::AskToSave() {
    if (FDocument.Modified == 0) return mrOk;
    TConfirmFrm confirm(*this, this);
    confirm.SetQuestion(Vni("Bạn chưa lưu văn bản đang soạn, lưu không?"));
    confirm.Prompt = "zzzmesp ";
    const int result = ShowModal(confirm);
    if (result == mrOk) {
        SaveCommand();
        // A save that failed or was given up keeps the document: whoever asked gives up too.
        return FDocument.Modified == 0 ? mrOk : mrCancel;
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
    return result;
}

void TMainForm::NewCommand() {
    if (AskToSave() == mrCancel) return;
    StartUntitledDocument();
    ForgetRecovery();
    Announce(" zzzmesdt ");
}

void TMainForm::OpenCommand() {
    if (AskToSave() == mrCancel) return;
    TOpenFrm dialog(*this, FUser.Documents, this);
    dialog.CheckAutoCnv->setChecked(FSettings.Options.AutoConvert);
    if (ShowWithPlainKeys(dialog) == mrOk) {
        FSettings.Options.AutoConvert = dialog.CheckAutoCnv->isChecked();
        OpenDocument(dialog.FileName().string());
    }
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

void TMainForm::SaveCommand() {
    if (FDocument.Modified == 0) return;
    if (FDocument.FileName == Untitled)
        SaveAsCommand();
    else if (!FDocument.Braille())
        SaveText(FDocument.FileName);
    else
        SaveBraille(FDocument.FileName);
}

// The save dialog and, for a file that is there already, the question whether to replace it.
std::string TMainForm::AskSaveName() {
    TSaveFrm dialog(*this, FUser.Documents, this);
    if (ShowWithPlainKeys(dialog) != mrOk || dialog.FileName().empty()) return {};
    const fs::path name = dialog.FileName();
    std::error_code ec;
    if (fs::exists(name, ec)) {
        Announce("zzzmesan");
        TConfirmFrm confirm(*this, this);
        confirm.SetQuestion(Vni("Đã có tệp tin \"") + Upper(Vni(name.string())) +
                            Vni("\" trên đĩa. Nhắp Chọn để lưu."));
        if (ShowModal(confirm) != mrOk) return {};
    }
    return name.string();
}

void TMainForm::SaveAsCommand() {
    const std::string name = AskSaveName();
    if (!name.empty() && (FDocument.Braille() ? SaveBraille(name) : SaveText(name)))
        SetFileName(name);
    WaitWhileSpeaking();
    Announce("zzzmesa");
}

void TMainForm::InfoCommand() {
    TFInfoFrm info(*this, this);
    TFInfoFrm::Values v;
    v.FileName = FDocument.FileName;
    std::error_code ec;
    const std::time_t now = std::time(nullptr);
    if (fs::exists(FDocument.FileName, ec)) {
        const auto [created, modified] = FileTimes(FDocument.FileName);
        v.Created = created;
        v.LastModified = modified;
        v.Size = std::to_string(FileSize(FDocument.FileName)) + " Byte ";
    } else {
        v.Created = DateText(now);
        v.LastModified = UnknownTimeText;
        v.Size = " " + std::to_string(Editor->TextLength()) + " Byte ";
    }
    v.LastAccess = DateText(now);
    v.WordCount = std::to_string(WordCount(Editor->Text())) + " T\xF6\xF8 "; // Từ
    info.SetValues(v);
    ShowModal(info);
    Announce("zzzmesa");
}

// The external Braille translator: any program the settings name ("DbtApp").
void TMainForm::DbtCommand() {
    std::error_code ec;
    const std::string& program = FSettings.Options.DbtPath;
    if (!program.empty() && fs::is_regular_file(program, ec) &&
        QProcess::startDetached(QString::fromStdString(program), {})) {
        FRun.DbtLaunched = true;
        Announce(" zzzmesbja ");
    } else {
        Report(" zzzmesbi ", "Tavi không tìm thấy DBT");
    }
}

void TMainForm::ExitCommand() {
    close();
}

void TMainForm::ShutDownCommand() {
    TConfirmFrm confirm(*this, this);
    confirm.SetQuestion(Vni("Bạn muốn tắt máy?"));
    confirm.Prompt = " zzzmesbn ";
    if (ShowModal(confirm) != mrOk) {
        Announce("zzzmesa");
        return;
    }
    const int save = AskToSave();
    if (save == mrCancel) return;
    // Not saved by the user's choice: the end that follows must not keep it for recovery.
    if (save != mrOk) {
        ForgetRecovery();
        FRecovery.GivenUp = true;
    }
    Announce(" zzzmessa ");
    WaitWhileSpeaking();
    FSetup.PowerOff();
}

bool TMainForm::CloseQuery() {
    if (AskToSave() == mrCancel) return false;
    TConfirmFrm confirm(*this, this);
    // The question names no other system: the program closes to the desktop.
    confirm.SetQuestion(Vni("Bạn muốn đóng Tavi?"));
    confirm.Prompt = " zzzmesbl ";
    if (ShowModal(confirm) != mrOk) {
        Announce("zzzmesa");
        return false;
    }
    return true;
}

} // namespace tavi

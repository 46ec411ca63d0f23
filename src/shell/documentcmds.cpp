// The document commands the main window carries out itself: the save question, save, save as,
// file information, and the question before the window closes.
#include "shell/mainform.h"

#include "codes/keyboard.h"
#include "codes/sixkeykb.h"
#include "dialogs/confirmfrm.h"
#include "dialogs/fileinfo.h"
#include "dialogs/finfofrm.h"
#include "dialogs/savefrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"

#include <QMessageBox>

#include <ctime>

namespace tavi {

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
}

} // namespace

int TMainForm::AskToSave() {
    if (FModified == 0) return mrOk;
    TConfirmFrm confirm(*this, this);
    confirm.SetQuestion("Ba\xEFn ch\xF6"
                        "a l\xF6u va\xEAn ba\xFBn \xF1"
                        "ang soa\xEFn, l\xF6u kho\xE2ng?");
    confirm.Prompt = "zzzmesp ";
    const int result = ShowModal(confirm);
    if (result == mrOk) {
        SaveCommand();
    } else {
        WaitWhileSpeaking();
        SpeakText("zzzmesa", VniWinTable, false, false);
    }
    return result;
}

void TMainForm::SaveCommand() {
    if (FModified == 0) return;
    if (FFileName == Untitled)
        SaveAsCommand();
    else
        SaveText(FFileName);
}

void TMainForm::SaveAsCommand() {
    // The accent keys would turn the digits of a file name into marks.
    const bool vni = Keyboard1->Enabled(), six = SixKeyKbd1->Enabled();
    Keyboard1->SetEnabled(false);
    SixKeyKbd1->SetEnabled(false);
    TSaveFrm dialog(*this, FDocumentsFolder, this);
    const int result = ShowModal(dialog);
    Keyboard1->SetEnabled(vni);
    SixKeyKbd1->SetEnabled(six);
    if (result == mrOk && !dialog.FileName().empty()) {
        const std::filesystem::path name = dialog.FileName();
        bool go = true;
        std::error_code ec;
        if (std::filesystem::exists(name, ec)) {
            SpeakText("zzzmesan", VniWinTable, false, false);
            TConfirmFrm confirm(*this, this);
            confirm.SetQuestion(
                "\xD1"
                "a\xF5 co\xF9 te\xE4p tin \"" +
                Upper(VnBytes(QString::fromStdString(name.string()), "Vni for Win")) +
                "\" tre\xE2n \xF1\xF3"
                "a. Nha\xE9p Cho\xEFn \xF1"
                "e\xE5 l\xF6u.");
            go = ShowModal(confirm) == mrOk;
        }
        if (go && SaveText(name.string())) SetFileName(name.string());
    }
    WaitWhileSpeaking();
    SpeakText("zzzmesa", VniWinTable, false, false);
}

bool TMainForm::SaveText(const std::string& name) {
    if (Editor->SaveToFile(QString::fromStdString(name))) {
        SpeakText("zzzmeser ", VniWinTable, false, false);
        SetModified(0);
        return true;
    }
    if (SoundOn())
        SpeakText("zzzmesesa ", VniWinTable, false, false);
    else
        QMessageBox::warning(this, windowTitle(), QString::fromUtf8("Không lưu được tập tin!"));
    return false;
}

bool TMainForm::CloseQuery() {
    int answer = mrCancel;
    try {
        answer = AskToSave();
    } catch (const std::exception& e) {
        ApplicationException(&e);
        return false;
    }
    if (answer == mrCancel) return false;
    // A save that failed or was given up must not end in a lost document.
    if (answer == mrOk && FModified != 0) return false;
    TConfirmFrm confirm(*this, this);
    // The question names no other system: the program closes to the desktop.
    confirm.SetQuestion("Ba\xEFn muo\xE1n \xF1o\xF9ng Tavi?");
    confirm.Prompt = " zzzmesbl ";
    if (ShowModal(confirm) != mrOk) {
        SpeakText("zzzmesa", VniWinTable, false, false);
        return false;
    }
    return true;
}

void TMainForm::InfoCommand() {
    TFInfoFrm info(*this, this);
    TFInfoFrm::Values v;
    v.FileName = FFileName;
    std::error_code ec;
    const std::time_t now = std::time(nullptr);
    if (std::filesystem::exists(FFileName, ec)) {
        const auto [created, modified] = FileTimes(FFileName);
        v.Created = created;
        v.LastModified = modified;
        v.Size = std::to_string(FileSize(FFileName)) + " Byte ";
    } else {
        v.Created = DateText(now);
        v.LastModified = UnknownTimeText;
        v.Size = " " + std::to_string(Editor->TextLength()) + " Byte ";
    }
    v.LastAccess = DateText(now);
    v.WordCount = std::to_string(WordCount(Editor->Text())) + " T\xF6\xF8 ";
    info.SetValues(v);
    ShowModal(info);
    SpeakText("zzzmesa", VniWinTable, false, false);
}

} // namespace tavi

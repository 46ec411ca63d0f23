// No document lost: the modified document goes to the recovery file a few seconds after a
// change and at once when the program is told to end; the next start offers it back.
#include "shell/mainform.h"

#include "dialogs/confirmfrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"
#include "document/rtf.h"
#include "shell/recovery.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

namespace tavi {

namespace fs = std::filesystem;

void TMainForm::ScheduleRecovery() {
    FRecoveryGivenUp = false;
    if (!FRecoveryFile.empty() && !FRecoveryTimer->isActive()) FRecoveryTimer->start();
}

// The document is taken here; writing it out and the disk are left to the writer's thread
// unless the program is about to end.
void TMainForm::SaveRecovery(bool now) {
    if (FRecoveryFile.empty() || FModified == 0 || FRecoveryGivenUp) return;
    const auto write = [file = FRecoveryFile, name = FFileName, braille = !Checked("MGTVNI2"),
                        doc = Editor->Document()] {
        try {
            WriteRecoveryFile(file, {name, braille, WriteRtf(doc)});
        } catch (const std::exception&) {
            // A full or read-only disk: the next change tries again.
        }
    };
    if (now) {
        FRecoveryWriter->waitForDone();
        write();
    } else {
        FRecoveryWriter->start(write);
    }
}

void TMainForm::ForgetRecovery() {
    if (FRecoveryTimer) FRecoveryTimer->stop();
    if (FRecoveryFile.empty()) return;
    // After any write still on its way, so that it cannot bring the file back.
    FRecoveryWriter->start([file = FRecoveryFile] {
        std::error_code ec;
        fs::remove(file, ec);
    });
}

void TMainForm::OfferRecovery() {
    std::error_code ec;
    if (FRecoveryFile.empty() || !fs::exists(FRecoveryFile, ec)) return;
    const std::optional<TRecovery> r = ReadRecoveryFile(FRecoveryFile);
    const auto keepAside = [this, &ec] {
        fs::rename(FRecoveryFile, fs::path(FRecoveryFile.string() + ".damaged"), ec);
    };
    if (!r) return keepAside(); // damaged: never thrown away, and not offered again
    TConfirmFrm confirm(*this, this);
    confirm.SetQuestion(
        VnBytes(QString::fromUtf8("Có một văn bản chưa lưu từ lần trước. Khôi phục lại không?"),
                "Vni for Win"));
    confirm.Prompt = "zzzmesrc";
    if (ShowModal(confirm) != mrOk) return ForgetRecovery();
    if (!Editor->SetTextRTF(r->Rtf)) return keepAside();
    ShowDisplayState(r->Braille);
    SetFileName(r->FileName);
    Editor->EmptyUndoBuffer();
    SetModified(1);
}

void TMainForm::EndRequested() {
    if (FEnding) return;
    FEnding = true;
    FSpeech->StopReading();
    FRecoveryTimer->stop();
    SaveRecovery(true);
    if (FShown && !FClosed) FormClose();
    // Every event loop ends, also that of a dialog left open.
    QCoreApplication::exit(0);
}

} // namespace tavi

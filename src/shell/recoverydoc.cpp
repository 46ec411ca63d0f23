// No document lost: the modified document goes to the recovery file a moment after a change,
// then every period while the changes go on, and at once when the program is told to end; the
// next start offers it back.
#include "shell/mainform.h"

#include "dialogs/confirmfrm.h"
#include "dialogs/vntext.h"
#include "document/msrichedit.h"
#include "shell/recovery.h"
#include "shell/recoverywriter.h"

#include <QCoreApplication>
#include <QTimer>

namespace tavi {

namespace fs = std::filesystem;

void TMainForm::ScheduleRecovery() {
    FRecoveryGivenUp = false;
    if (FRecoveryFile.empty() || FRecoveryTimer->isActive()) return;
    Editor->PrepareSnapshots();
    const long long since = FLastSnapshot.isValid() ? FLastSnapshot.elapsed() : -1;
    FRecoveryTimer->start(RecoveryDelayMs(since, FRecoveryDelayMs, FRecoveryPeriodMs));
}

// Only a copy of the editor's characters is taken here, on the typing thread; the document
// model, its RTF and the disk are left to the writer's thread unless the program is about to
// end. A failed write in the background is tried again at the next change.
bool TMainForm::SaveRecovery(bool now) {
    if (FRecoveryFile.empty() || FModified == 0 || FRecoveryGivenUp) return true;
    FLastSnapshot.start();
    TRecoveryJob job{FFileName, FBrailleShown, Editor->Snapshot()};
    if (now) return FRecoveryWriter->WriteNow(FRecoveryFile, job);
    FRecoveryWriter->Write(FRecoveryFile, std::move(job));
    return true;
}

void TMainForm::ForgetRecovery() {
    if (FRecoveryTimer) FRecoveryTimer->stop();
    if (!FRecoveryFile.empty()) FRecoveryWriter->Remove(FRecoveryFile);
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
    FSpeech->StopReading();
    FRecoveryTimer->stop();
    if (!SaveRecovery(true)) {
        // Nowhere to keep the document: ending now would lose it.
        Report("zzzmesesa ", "Không lưu được tập tin!");
        return;
    }
    FEnding = true;
    if (FShown && !FClosed) FormClose();
    // Every event loop ends, also that of a dialog left open.
    QCoreApplication::exit(0);
}

} // namespace tavi

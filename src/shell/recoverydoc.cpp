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
    FRecovery.GivenUp = false;
    if (FRecovery.File.empty() || FRecovery.Timer->isActive()) return;
    Editor->PrepareSnapshots();
    const long long since =
        FRecovery.LastSnapshot.isValid() ? FRecovery.LastSnapshot.elapsed() : -1;
    FRecovery.Timer->start(RecoveryDelayMs(since, FSetup.RecoveryDelayMs, FSetup.RecoveryPeriodMs));
}

// Only a copy of the editor's characters is taken here, on the typing thread; the document
// model, its RTF and the disk are left to the writer's thread unless the program is about to
// end. A failed write in the background is tried again at the next change.
bool TMainForm::SaveRecovery(bool now) {
    if (FRecovery.File.empty() || FDocument.Modified == 0 || FRecovery.GivenUp) return true;
    FRecovery.LastSnapshot.start();
    TRecoveryJob job{FDocument.FileName, FDocument.Braille(), Editor->Snapshot()};
    if (now) return FRecovery.Writer->WriteNow(FRecovery.File, job);
    FRecovery.Writer->Write(FRecovery.File, std::move(job));
    return true;
}

// A disk that is full or read-only is said once; the writes go on, also without new changes,
// and the user hears when one works again, so that they know whether a crash would lose work.
void TMainForm::RecoveryWritten(bool ok) {
    if (FRun.Closed) return;
    if (!ok && FDocument.Modified != 0 && !FRecovery.GivenUp && !FRecovery.Timer->isActive())
        FRecovery.Timer->start(FSetup.RecoveryPeriodMs);
    switch (FRecovery.Writes.Written(ok)) {
    case TWriteWatch::TNews::Failing:
        SayWhole("zzzmesxc ", "Không ghi được bản lưu dự phòng.");
        break;
    case TWriteWatch::TNews::WorksAgain: SayWhole("zzzmesxd "); break;
    case TWriteWatch::TNews::None: break;
    }
}

void TMainForm::ForgetRecovery() {
    if (FRecovery.Timer) FRecovery.Timer->stop();
    if (!FRecovery.File.empty()) FRecovery.Writer->Remove(FRecovery.File);
}

void TMainForm::OfferRecovery() {
    std::error_code ec;
    if (FRecovery.File.empty() || !fs::exists(FRecovery.File, ec)) return;
    const std::optional<TRecovery> r = ReadRecoveryFile(FRecovery.File);
    const auto keepAside = [this, &ec] {
        fs::rename(FRecovery.File, fs::path(FRecovery.File.string() + ".damaged"), ec);
    };
    if (!r) return keepAside(); // damaged: never thrown away, and not offered again
    TConfirmFrm confirm(*this, this);
    confirm.SetQuestion(Vni("Có một văn bản chưa lưu từ lần trước. Khôi phục lại không?"));
    confirm.Prompt = "zzzmesrc";
    if (ShowModal(confirm) != mrOk) return ForgetRecovery();
    if (!Editor->SetTextRTF(r->Rtf)) return keepAside();
    ShowDisplayState(r->Braille);
    SetFileName(r->FileName);
    Editor->EmptyUndoBuffer();
    SetModified(1);
}

void TMainForm::EndRequested() {
    if (FRun.Ending) return;
    FSpeech->StopReading();
    FRecovery.Timer->stop();
    if (!SaveRecovery(true)) {
        // Nowhere to keep the document: ending now would lose it.
        Report("zzzmesesa ", "Không lưu được tập tin!");
        return;
    }
    FRun.Ending = true;
    if (FRun.Shown && !FRun.Closed) FormClose();
    // Every event loop ends, also that of a dialog left open.
    QCoreApplication::exit(0);
}

} // namespace tavi

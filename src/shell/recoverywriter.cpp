#include "shell/recoverywriter.h"

#include "document/rtf.h"
#include "shell/recovery.h"

namespace tavi {

namespace fs = std::filesystem;

TRecoveryWriter::TRecoveryWriter() {
    Pool.setMaxThreadCount(1); // writes and removals in the order they were asked
}

TRecoveryWriter::~TRecoveryWriter() {
    Pool.waitForDone();
}

void TRecoveryWriter::Supersede(TSlot next) {
    std::lock_guard<std::mutex> hold(Lock);
    if (Waiting) Waiting->reset();
    Waiting = std::move(next);
}

std::optional<TRecoveryJob> TRecoveryWriter::Take(const TSlot& slot) {
    std::lock_guard<std::mutex> hold(Lock);
    std::optional<TRecoveryJob> job = std::move(*slot);
    slot->reset();
    return job;
}

bool TRecoveryWriter::Store(const fs::path& file, const TRecoveryJob& job) {
    try {
        WriteRecoveryFile(file,
                          {job.FileName, job.Braille, WriteRtf(SnapshotDocument(job.Document))});
        return true;
    } catch (const std::exception&) {
        return false; // a full or read-only disk
    }
}

void TRecoveryWriter::Write(const fs::path& file, TRecoveryJob job) {
    auto slot = std::make_shared<std::optional<TRecoveryJob>>(std::move(job));
    Supersede(slot);
    Pool.start([this, file, slot] {
        if (const auto job = Take(slot)) {
            const bool written = Store(file, *job);
            if (OnWritten) OnWritten(written);
        }
    });
}

bool TRecoveryWriter::WriteNow(const fs::path& file, const TRecoveryJob& job) {
    Supersede({});
    Pool.waitForDone();
    return Store(file, job);
}

void TRecoveryWriter::Remove(const fs::path& file) {
    Supersede({});
    Pool.start([file] {
        std::error_code ec;
        fs::remove(file, ec);
    });
}

void TRecoveryWriter::Wait() {
    Pool.waitForDone();
}

} // namespace tavi

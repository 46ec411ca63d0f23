// The writer of the recovery file: a thread of its own turns the editor's snapshots into the
// file, one at a time and in the order asked. A snapshot still waiting when a newer one comes
// is dropped (the newer one holds all of it), and a removal comes after every write asked
// before it, so that no late write brings a removed file back.
#pragma once

#include "document/docsnapshot.h"

#include <QThreadPool>

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace tavi {

struct TRecoveryJob {
    std::string FileName; // as the window holds it
    bool Braille = false;
    TDocumentSnapshot Document;
};

class TRecoveryWriter {
public:
    TRecoveryWriter();
    ~TRecoveryWriter();
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    // Written on the writer's thread; a failure is left to the next write.
    void Write(const std::filesystem::path& file, TRecoveryJob job);
    // Told on the writer's thread whether each such write worked (set before the first).
    std::function<void(bool written)> OnWritten;
    // Written at once, after the writes asked before; false when it could not be written.
    bool WriteNow(const std::filesystem::path& file, const TRecoveryJob& job);
    void Remove(const std::filesystem::path& file);
    void Wait();

private:
    using TSlot = std::shared_ptr<std::optional<TRecoveryJob>>;
    // The snapshot waiting to be written is needless now; next, if any, waits instead.
    void Supersede(TSlot next);
    std::optional<TRecoveryJob> Take(const TSlot& slot);
    static bool Store(const std::filesystem::path& file, const TRecoveryJob& job);

    std::mutex Lock;
    TSlot Waiting;    // the snapshot of the last write asked, until its write takes it
    QThreadPool Pool; // last: ended first, while the rest is still there
};

} // namespace tavi

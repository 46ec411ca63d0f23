#include "platform/singlecopy.h"

#include <QDir>
#include <QStandardPaths>

namespace tavi {

TSingleCopy::TSingleCopy(const QString& lockDir) {
    QString dir = lockDir;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    Lock = std::make_unique<QLockFile>(dir + "/tavi.lock");
    // A copy that crashed leaves a stale lock behind; QLockFile recognises it by its process.
    Lock->setStaleLockTime(0);
    First = Lock->tryLock(0);
}

} // namespace tavi

// One running copy of the program per user.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace tavi {

class TSingleCopy {
public:
    // lockDir: where the lock lives; empty means the user's runtime folder.
    explicit TSingleCopy(const QString& lockDir = QString());
    // True when this process is the one running copy (it holds the lock until destroyed).
    bool IsFirst() const { return First; }

private:
    std::unique_ptr<QLockFile> Lock;
    bool First = false;
};

} // namespace tavi

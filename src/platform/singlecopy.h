// One running copy of the program per user. A later start hands the file it was given to the
// running copy (the desktop's "open with", or tavi FILE in a terminal) and ends.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace tavi {

class TSingleCopy : public QObject {
    Q_OBJECT
public:
    // lockDir: where the lock and the copy's socket live; empty means the user's runtime folder.
    explicit TSingleCopy(const QString& lockDir = QString());
    ~TSingleCopy() override;
    // True when this process is the one running copy (it holds the lock until destroyed).
    bool IsFirst() const { return First; }

    // In the running copy: called with each file a later start hands over (an absolute path).
    std::function<void(const QString& file)> OnFileHandedOver;
    // In a later start: gives the running copy a file to open. False when no copy took it.
    bool HandOver(const QString& file, int timeoutMs = 5000) const;

private:
    void Accept();

    QString Dir;
    std::unique_ptr<QLockFile> Lock;
    QLocalServer* Server = nullptr;
    bool First = false;
};

} // namespace tavi

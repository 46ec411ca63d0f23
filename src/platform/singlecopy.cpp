#include "platform/singlecopy.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace tavi {

namespace {

// A hand-over is one line: the file's absolute path in UTF-8; the running copy answers "ok".
constexpr qsizetype MaxLine = 64 * 1024;

QString SocketPath(const QString& dir) {
    return dir + "/tavi.socket";
}

} // namespace

TSingleCopy::TSingleCopy(const QString& lockDir) {
    Dir = lockDir;
    if (Dir.isEmpty()) Dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (Dir.isEmpty()) Dir = QDir::tempPath();
    QDir().mkpath(Dir);
    Lock = std::make_unique<QLockFile>(Dir + "/tavi.lock");
    // A copy that crashed leaves a stale lock behind; QLockFile recognises it by its process.
    Lock->setStaleLockTime(0);
    First = Lock->tryLock(0);
    if (!First) return;
    // The socket of a copy that crashed is left behind too; the lock says it is ours now.
    QLocalServer::removeServer(SocketPath(Dir));
    Server = new QLocalServer(this);
    Server->setSocketOptions(QLocalServer::UserAccessOption);
    if (Server->listen(SocketPath(Dir)))
        connect(Server, &QLocalServer::newConnection, this, [this] { Accept(); });
}

TSingleCopy::~TSingleCopy() = default;

void TSingleCopy::Accept() {
    while (QLocalSocket* client = Server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            if (!client->canReadLine()) {
                if (client->bytesAvailable() > MaxLine) client->abort();
                return;
            }
            const QString file = QString::fromUtf8(client->readLine(MaxLine)).trimmed();
            client->write("ok\n");
            client->flush();
            client->disconnectFromServer();
            if (!file.isEmpty() && OnFileHandedOver) OnFileHandedOver(file);
        });
    }
}

bool TSingleCopy::HandOver(const QString& file, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(SocketPath(Dir));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(QFileInfo(file).absoluteFilePath().toUtf8() + "\n");
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    return socket.readLine().trimmed() == "ok";
}

} // namespace tavi

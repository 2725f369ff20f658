#include "SingleInstance.h"

#include "AtomicFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <sys/un.h>

SingleInstance::SingleInstance(QString folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_lock(lockPath())
{
    // The lock lasts as long as the instance: only a holder that no longer runs makes it stale.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = m_server.nextPendingConnection())
            connection->deleteLater();
        emit activationRequested();
    });
}

QString SingleInstance::socketPath() const
{
    const QString inFolder = m_folder + QStringLiteral("/instance.socket");
    if (QFile::encodeName(inFolder).size() < qsizetype(sizeof(sockaddr_un::sun_path)))
        return inFolder;
    const QByteArray name = QCryptographicHash::hash(m_folder.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/quillmarsh-")
           + QString::fromLatin1(name) + QStringLiteral(".socket");
}

SingleInstance::Claim SingleInstance::claim()
{
    AtomicFile::makePrivateFolder(m_folder);
    bool locked = m_lock.tryLock();
    if (!locked && m_lock.error() == QLockFile::LockFailedError) {
        // A lock file cut short (a crash while it was written) names no holder; removing it still
        // fails while a running instance holds it.
        qint64 pid = 0;
        QString host;
        QString application;
        if (!m_lock.getLockInfo(&pid, &host, &application) && m_lock.removeStaleLockFile())
            locked = m_lock.tryLock();
    }
    if (!locked && m_lock.error() == QLockFile::LockFailedError)
        return handOver() ? Claim::HandedOver : Claim::NoAnswer;
    return Claim::Running;
}

void SingleInstance::listen()
{
    // Holding the lock, any socket left at the path is a dead instance's.
    const QString socket = socketPath();
    QLocalServer::removeServer(socket);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(socket))
        qWarning("Later starts cannot reach this instance: listening on %s failed: %s", qPrintable(socket),
                 qPrintable(m_server.errorString()));
}

bool SingleInstance::handOver() const
{
    // The running instance may be between taking the lock and listening: ten tries, each waiting up
    // to 100 ms for the connection and 50 ms before the next.
    for (int attempt = 0; attempt < 10; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(100)) {
            socket.disconnectFromServer();
            return true;
        }
        QThread::msleep(50);
    }
    return false;
}

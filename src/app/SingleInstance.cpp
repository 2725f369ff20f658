#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <sys/un.h>

SingleInstance::SingleInstance(QString folder, std::chrono::milliseconds patience, QObject* parent)
    : QObject(parent), m_folder(folder), m_patience(patience), m_lock(std::move(folder))
{
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
    m_problem.clear();
    const InstanceLock::Outcome outcome = m_lock.acquire();
    if (!m_lock.movedAside().isEmpty())
        qWarning("%s could not serve as the instance lock and was moved to %s", qPrintable(lockPath()),
                 qPrintable(m_lock.movedAside()));
    switch (outcome) {
    case InstanceLock::Outcome::Held:
        return Claim::Running;
    case InstanceLock::Outcome::Unknown:
        m_problem = QStringLiteral("Quillmarsh cannot tell whether it is already running on this home. %1")
                        .arg(m_lock.problem());
        return Claim::Undecided;
    case InstanceLock::Outcome::Taken:
        break;
    }
    const Claim handed = handOver();
    if (handed == Claim::NoAnswer)
        m_problem = QStringLiteral("Quillmarsh is already running on this home but does not answer. %1 Quit it, "
                                   "or end its process, then start Quillmarsh again.")
                        .arg(m_lock.problem().isEmpty() ? QStringLiteral("It holds %1.").arg(lockPath())
                                                        : m_lock.problem());
    return handed;
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

SingleInstance::Claim SingleInstance::handOver()
{
    // The running instance may be between taking the lock and listening, or on its way out.
    const QDeadlineTimer deadline(m_patience);
    for (;;) {
        QLocalSocket socket;
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(100)) {
            socket.disconnectFromServer();
            return Claim::HandedOver;
        }
        if (m_lock.acquire() == InstanceLock::Outcome::Held)
            return Claim::Running;
        if (deadline.hasExpired())
            return Claim::NoAnswer;
        QThread::msleep(50);
    }
}

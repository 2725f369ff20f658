#include "SingleInstance.h"

#include "StoredFiles.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

SingleInstance::SingleInstance(QString folder, std::chrono::milliseconds patience, QObject* parent)
    : QObject(parent), m_folder(folder), m_patience(patience), m_lock(std::move(folder))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = m_server.nextPendingConnection())
            connection->deleteLater();
        emit activationRequested();
    });
}

SingleInstance::~SingleInstance()
{
    // Checked while this instance still listens, so that no other socket file can have the same
    // identity: after an uninstall removed the folder, a later start may already listen at the path.
    if (m_socketFile) {
        const QByteArray path = QFile::encodeName(socketPath());
        struct stat status {};
        if (::lstat(path.constData(), &status) == 0 && status.st_dev == m_socketFile->first
            && status.st_ino == m_socketFile->second)
            ::unlink(path.constData());
    }
    m_server.close();
}

QString SingleInstance::socketPath() const
{
    const QString inFolder = m_folder + u'/' + StoredFiles::instanceSocket;
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
    const QString socket = socketPath();
    const int fd = bindInPlace(socket);
    const QString failure = fd < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QString();
    if (fd >= 0 && m_server.listen(fd))
        return;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(QFile::encodeName(socket).constData());
        m_socketFile.reset();
    }
    qWarning("Later starts cannot reach this instance: listening on %s failed: %s", qPrintable(socket),
             qPrintable(fd < 0 ? failure : m_server.errorString()));
}

int SingleInstance::bindInPlace(const QString& path)
{
    // The server removes the name it was bound to when it closes, and by then another instance may
    // listen at `path` (a start after an uninstall removed the folder under this one): it is bound
    // under a name of its own and renamed into place, which also replaces a dead instance's socket.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const QString folder = QFileInfo(path).path();
    for (int attempt = 0; attempt < 8; ++attempt) {
        // No longer than the socket's own name, so it fits wherever that does.
        const QByteArray bound =
            QFile::encodeName(folder + u'/' + StoredFiles::socketBindingPrefix
                              + QString::number(QRandomGenerator::global()->bounded(0x10000000), 16));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (size_t(bound.size()) >= sizeof address.sun_path) {
            errno = ENAMETOOLONG;
            break;
        }
        std::memcpy(address.sun_path, bound.constData(), size_t(bound.size()));
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            if (errno == EADDRINUSE)
                continue;
            break;
        }
        struct stat status {};
        if (::chmod(bound.constData(), 0600) == 0 && ::listen(fd, SOMAXCONN) == 0
            && ::lstat(bound.constData(), &status) == 0
            && ::rename(bound.constData(), QFile::encodeName(path).constData()) == 0) {
            m_socketFile.emplace(status.st_dev, status.st_ino);
            return fd;
        }
        const int error = errno;
        ::unlink(bound.constData());
        errno = error;
        break;
    }
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
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

#include "InstanceLock.h"

#include "AtomicFile.h"
#include "ErrorText.h"
#include "linux/KernelFile.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

QString reason(int error)
{
    return ErrorText::continuingSentence(QString::fromLocal8Bit(std::strerror(error)));
}

// The lock file, opened for good and owner-only; -1 with errno set when it cannot be opened, or
// set to ENOTSUP when something other than a plain file stands at its name.
int openLockFile(const QByteArray& native)
{
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        errno = ENOTSUP;
        return -1;
    }
    // Earlier versions left it readable to all.
    if (status.st_uid == ::geteuid() && (status.st_mode & 07777) != 0600)
        ::fchmod(fd, 0600);
    return fd;
}

// Whether any process holds a lock on a file with this inode number, from the kernel's table of
// locks; nothing when the table cannot be read. The device the table names is the file system's,
// which is not always the one stat() gives (btrfs subvolumes), so only the inode number is
// compared: a false match leaves an entry where it is, which is the careful side.
std::optional<bool> lockedByAnyone(ino_t inode)
{
    const auto table = KernelFile::read(QStringLiteral("/proc/locks"));
    if (!table)
        return std::nullopt;
    bool locked = false;
    KernelFile::forEachLine(*table, [&locked, inode](QByteArrayView line) {
        // "1: FLOCK  ADVISORY  WRITE 4242 fd:01:1234 0 EOF"; a line with "->" is a waiter's.
        if (line.contains("->"))
            return true;
        for (const QByteArray& field : line.toByteArray().split(' ')) {
            if (field.count(':') != 2)
                continue;
            bool ok = false;
            locked = field.sliced(field.lastIndexOf(':') + 1).toULongLong(&ok) == inode && ok;
            break;
        }
        return !locked;
    });
    return locked;
}

// Held by a start while it judges and moves aside an entry that cannot serve as the lock: two
// starts doing so at once could otherwise have one move aside the new lock the other just made.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        using namespace std::chrono_literals;
        // Held for a few system calls only; a start stopped while holding it is waited for two seconds.
        for (int attempt = 0; m_fd >= 0 && attempt < 200; ++attempt) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
                m_held = true;
                return;
            }
            std::this_thread::sleep_for(10ms);
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    bool held() const { return m_held; }

private:
    const int m_fd;
    bool m_held = false;
};

} // namespace

InstanceLock::InstanceLock(QString folder) : m_folder(std::move(folder)) {}

InstanceLock::~InstanceLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InstanceLock::Outcome InstanceLock::acquire()
{
    if (m_fd >= 0)
        return Outcome::Held;
    m_problem.clear();
    AtomicFile::makePrivateFolder(m_folder);
    const QByteArray native = QFile::encodeName(path());
    int fd = openLockFile(native);
    if (fd < 0) {
        const Outcome repaired = openRepaired(native, errno, fd);
        if (repaired != Outcome::Held)
            return repaired;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Outcome::Taken;
        m_problem = QStringLiteral("%1 could not be locked: %2.").arg(path(), reason(error));
        return Outcome::Unknown;
    }
    m_fd = fd;
    return Outcome::Held;
}

InstanceLock::Outcome InstanceLock::openRepaired(const QByteArray& native, int openError, int& fd)
{
    const QString cannotCreate = QStringLiteral("%1 could not be created: %2.");
    struct stat entry {};
    if (::lstat(native.constData(), &entry) != 0) {
        m_problem = cannotCreate.arg(path(), reason(openError));
        return Outcome::Unknown;
    }
    const FolderLock folder(m_folder);
    if (!folder.held()) {
        m_problem = QStringLiteral("%1 cannot be opened (%2), and another start keeps its folder busy.")
                        .arg(path(), reason(openError));
        return Outcome::Unknown;
    }
    // Another start may have set it in order meanwhile.
    fd = openLockFile(native);
    if (fd >= 0)
        return Outcome::Held;
    openError = errno;
    if (::lstat(native.constData(), &entry) != 0) {
        m_problem = cannotCreate.arg(path(), reason(openError));
        return Outcome::Unknown;
    }
    const auto locked = lockedByAnyone(entry.st_ino);
    if (!locked) {
        m_problem = QStringLiteral("%1 cannot be opened (%2), and whether a process holds it cannot be read "
                                   "from /proc/locks.")
                        .arg(path(), reason(openError));
        return Outcome::Unknown;
    }
    if (*locked) {
        m_problem = QStringLiteral("A process holds %1, which this user cannot open (%2): it may be Quillmarsh "
                                   "started by another user, for example with sudo.")
                        .arg(path(), reason(openError));
        return Outcome::Taken;
    }
    const auto moved = AtomicFile::moveAside(path());
    if (!moved) {
        m_problem = QStringLiteral("%1 cannot be opened (%2) nor moved aside.").arg(path(), reason(openError));
        return Outcome::Unknown;
    }
    m_movedAside = *moved;
    fd = openLockFile(native);
    if (fd >= 0)
        return Outcome::Held;
    m_problem = cannotCreate.arg(path(), reason(errno));
    return Outcome::Unknown;
}

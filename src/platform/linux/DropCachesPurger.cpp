#include "DropCachesPurger.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

MemoryPurger::Outcome failure(int error)
{
    // A read-only /proc/sys (a container's) refuses everyone the same way.
    if (error == EACCES || error == EPERM || error == EROFS)
        return {MemoryPurger::Outcome::Kind::NotPermitted};
    return {MemoryPurger::Outcome::Kind::Failed, QString::fromLocal8Bit(std::strerror(error))};
}

} // namespace

MemoryPurger::Outcome DropCachesPurger::purge()
{
    const QByteArray path = QFile::encodeName(m_procRoot + QStringLiteral("/sys/vm/drop_caches"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno);
    // Dirty pages are not dropped; written out first, they can be.
    m_flush();
    const bool written = ::write(fd, "1", 1) == 1;
    const int error = errno;
    ::close(fd);
    if (!written)
        return failure(error);
    return {MemoryPurger::Outcome::Kind::Purged};
}

#include "BoundedFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace BoundedFile {

Result read(int fd, qint64 limit)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return {Status::Unreadable, {}};
    if (!S_ISREG(status.st_mode))
        return {Status::NotRegularFile, {}};
    if (status.st_size > limit)
        return {Status::TooLarge, {}};
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {Status::Unreadable, {}};
    // One byte more than the bound is asked for, so that a file grown since fstat shows.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return {Status::Unreadable, {}};
    if (bytes.size() > limit)
        return {Status::TooLarge, {}};
    return {Status::Read, std::move(bytes)};
}

Result read(const QString& path, qint64 limit)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable, {}};
    Result result = read(fd, limit);
    ::close(fd);
    return result;
}

} // namespace BoundedFile

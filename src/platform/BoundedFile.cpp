#include "BoundedFile.h"

#include <QFile>
#include <algorithm>
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
    // The size fstat gave is asked for first, so that no buffer of the whole bound is taken for a
    // small file; a byte more, and then up to one byte past the bound, shows a file grown since.
    const qint64 expected = std::min<qint64>(status.st_size, limit);
    QByteArray bytes = file.read(expected + 1);
    if (bytes.size() > expected && bytes.size() <= limit)
        bytes += file.read(limit + 1 - bytes.size());
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

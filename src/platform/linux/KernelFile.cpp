#include "KernelFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool KernelFile::readInto(const char* nativePath, QByteArray& content)
{
    content.resize(std::max<qsizetype>(content.capacity(), 4096));
    const int fd = ::open(nativePath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        content.truncate(0);
        return false;
    }
    qsizetype filled = 0;
    for (;;) {
        if (filled == content.size())
            content.resize(content.size() * 2);
        const ssize_t got = ::read(fd, content.data() + filled, size_t(content.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            content.truncate(0);
            return false;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    content.truncate(filled);
    return true;
}

std::optional<QByteArray> KernelFile::read(const QString& path)
{
    QByteArray content;
    if (!readInto(path.toLocal8Bit().constData(), content))
        return std::nullopt;
    return content;
}

std::optional<QByteArray> KernelFile::readValue(const QString& path)
{
    auto content = read(path);
    if (!content)
        return std::nullopt;
    return content->trimmed();
}

std::optional<qint64> KernelFile::readInteger(const QString& path)
{
    const auto value = readValue(path);
    if (!value)
        return std::nullopt;
    bool ok = false;
    const qint64 number = value->toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return number;
}

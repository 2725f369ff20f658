#include "KernelFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

std::optional<QByteArray> KernelFile::read(const QString& path)
{
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QByteArray content(4096, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == content.size())
            content.resize(content.size() * 2);
        const ssize_t got = ::read(fd, content.data() + filled, size_t(content.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += got;
    }
    ::close(fd);
    content.truncate(filled);
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

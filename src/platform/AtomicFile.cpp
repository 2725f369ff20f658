#include "AtomicFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isLink(const QByteArray& native)
{
    struct stat status {};
    return ::lstat(native.constData(), &status) == 0 && S_ISLNK(status.st_mode);
}

QByteArray absoluteNative(const QString& path)
{
    return QFile::encodeName(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
}

// mkdir -p, each missing folder owner-only from the moment it exists.
bool makeMissing(const QByteArray& native)
{
    struct stat status {};
    if (::stat(native.constData(), &status) == 0)
        return S_ISDIR(status.st_mode);
    if (errno != ENOENT)
        return false;
    const qsizetype slash = native.lastIndexOf('/');
    if (slash > 0 && !makeMissing(native.left(slash)))
        return false;
    return ::mkdir(native.constData(), 0700) == 0 || errno == EEXIST;
}

bool writeWith(const QString& path, const QByteArray& contents, bool ownerOnly, bool keepLink = false)
{
    // QSaveFile writes to the target of a link (and creates it when it does not exist yet).
    const QByteArray native = QFile::encodeName(path);
    if (!keepLink && isLink(native) && ::unlink(native.constData()) != 0)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    // QSaveFile buffers: a full disk only shows at flush, and commit() would then still move the
    // truncated file over the good one.
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, false);
}

bool AtomicFile::writePrivate(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, true);
}

bool AtomicFile::writeThrough(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, false, true);
}

namespace {

std::optional<QString> asideName(const QString& path)
{
    const QString stem = path + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    // Two files set aside within one millisecond get a counter.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = attempt == 0 ? stem : stem + u'-' + QString::number(attempt);
        if (!QFile::exists(target))
            return target;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> AtomicFile::moveAside(const QString& path)
{
    const auto target = asideName(path);
    return target && QFile::rename(path, *target) ? target : std::nullopt;
}

std::optional<QString> AtomicFile::keepAside(const QString& path, const QByteArray& contents)
{
    const auto target = asideName(path);
    return target && writePrivate(*target, contents) ? target : std::nullopt;
}

bool AtomicFile::makeMissingFolders(const QString& path)
{
    return makeMissing(absoluteNative(path));
}

bool AtomicFile::makePrivateFolder(const QString& path)
{
    const QByteArray native = absoluteNative(path);
    if (isLink(native) && ::unlink(native.constData()) != 0)
        return false;
    if (!makeMissing(native))
        return false;
    // Checked and changed through one descriptor, so a link put in its place meanwhile is never followed.
    const int folder = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return false;
    struct stat status {};
    const bool owned = ::fstat(folder, &status) == 0 && status.st_uid == ::geteuid()
                       && ((status.st_mode & 07777) == 0700 || ::fchmod(folder, 0700) == 0);
    ::close(folder);
    return owned;
}

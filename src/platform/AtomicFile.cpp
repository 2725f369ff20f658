#include "AtomicFile.h"

#include "FolderRefusal.h"
#include "LinkedFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

enum class Link { Replace, Follow, KeepToOwnFile, KeepToOwnersOnlyFile };

bool writeWith(const QString& path, const QByteArray& contents, Link link)
{
    QString target = path;
    bool ownerOnly = false;
    if (link == Link::Follow) {
        if (const QString end = LinkedFile::finalTarget(path); !end.isEmpty())
            target = end;
    } else {
        const auto sharing = link == Link::KeepToOwnersOnlyFile ? LinkedFile::Sharing::Refused : LinkedFile::Sharing::Allowed;
        const auto linked = link == Link::Replace ? std::nullopt : LinkedFile::ownFile(path, sharing);
        if (linked) {
            // Written in the target's folder; QSaveFile gives the new file the mode of the old.
            target = *linked;
        } else {
            const QByteArray native = QFile::encodeName(path);
            if (isLink(native) && ::unlink(native.constData()) != 0)
                return false;
            ownerOnly = link != Link::Replace;
        }
    }
    QSaveFile file(target);
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
    return writeWith(path, contents, Link::Replace);
}

bool AtomicFile::writePrivate(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, Link::KeepToOwnFile);
}

bool AtomicFile::writeSecret(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, Link::KeepToOwnersOnlyFile);
}

bool AtomicFile::writeThrough(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, Link::Follow);
}

namespace {

std::optional<QString> asideName(const QString& path)
{
    const QString stem = path + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    // Two files set aside within one millisecond get a counter.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = attempt == 0 ? stem : stem + u'-' + QString::number(attempt);
        struct stat status {};
        if (::lstat(QFile::encodeName(target).constData(), &status) != 0 && errno == ENOENT)
            return target;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> AtomicFile::moveAside(const QString& path)
{
    // Renamed as it stands, a link included; QFile::rename would copy what it cannot rename,
    // reading a pipe or an endless device.
    const auto target = asideName(path);
    return target && ::rename(QFile::encodeName(path).constData(), QFile::encodeName(*target).constData()) == 0
               ? target
               : std::nullopt;
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

namespace {

uid_t ownerOf(const QByteArray& native)
{
    struct stat status {};
    return ::stat(native.constData(), &status) == 0 ? status.st_uid : ::geteuid();
}

// The folder that stood in the way of making `native`: the nearest one that exists, when it lies
// in the home and is another user's (a run with sudo makes those too), else `native` itself.
FolderRefusal cannotMake(const QByteArray& native, int error)
{
    FolderRefusal refusal{FolderRefusal::Reason::Failed, QFile::decodeName(native), {}, 0, error};
    const QString home = QDir::homePath();
    for (QByteArray folder = native; folder.lastIndexOf('/') > 0;) {
        folder.truncate(folder.lastIndexOf('/'));
        const QString name = QFile::decodeName(folder);
        if (!name.startsWith(home + u'/'))
            break;
        struct stat status {};
        if (::stat(folder.constData(), &status) != 0)
            continue;
        if (S_ISDIR(status.st_mode) && status.st_uid != ::geteuid())
            refusal = {FolderRefusal::Reason::OwnedByAnother, name, {}, status.st_uid, error};
        break;
    }
    return refusal;
}

std::optional<FolderRefusal> privateFolder(const QByteArray& native)
{
    const QString folder = QFile::decodeName(native);
    const bool link = isLink(native);
    const QString target = link ? QFileInfo(folder).symLinkTarget() : QString();
    struct stat status {};
    if (link && ::stat(native.constData(), &status) != 0)
        return FolderRefusal{FolderRefusal::Reason::LinkToNothing, folder, target, 0, errno};
    if (!link && !makeMissing(native)) {
        const int error = errno;
        if (::lstat(native.constData(), &status) == 0)
            return FolderRefusal{FolderRefusal::Reason::NotAFolder, folder, {}, status.st_uid, ENOTDIR};
        return cannotMake(native, error);
    }
    // Checked and changed through one descriptor, so that a link put in the place of a folder
    // meanwhile is never followed, and a followed link's target is judged as it is opened. Opened
    // as a path only, a folder of the user's without read permission is still set right.
    const int fd = ::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC | (link ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        const int error = errno;
        if (error == ENOTDIR || error == ELOOP)
            return FolderRefusal{FolderRefusal::Reason::NotAFolder, folder, target, ownerOf(native), error};
        return FolderRefusal{FolderRefusal::Reason::Failed, folder, target, 0, error};
    }
    const auto anothers = link ? FolderRefusal::Reason::LinkToAnothersFolder : FolderRefusal::Reason::OwnedByAnother;
    std::optional<FolderRefusal> refusal;
    if (::fstat(fd, &status) != 0)
        refusal = FolderRefusal{FolderRefusal::Reason::Failed, folder, target, 0, errno};
    else if (status.st_uid != ::geteuid())
        refusal = FolderRefusal{anothers, folder, target, status.st_uid, EPERM};
    // A followed link's target is the user's folder, whose mode is theirs to choose; only a folder
    // of the application's own is held owner-only.
    else if (!link && (status.st_mode & 07777) != 0700
             && ::chmod(QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), 0700) != 0)
        refusal = FolderRefusal{FolderRefusal::Reason::Failed, folder, target, 0, errno};
    ::close(fd);
    return refusal;
}

} // namespace

bool AtomicFile::makePrivateFolder(const QString& path, FolderRefusal* why)
{
    const auto refusal = privateFolder(absoluteNative(path));
    if (refusal && why)
        *why = *refusal;
    return !refusal;
}

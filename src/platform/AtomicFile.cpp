#include "AtomicFile.h"

#include "Descriptor.h"
#include "FolderRefusal.h"
#include "LinkedFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
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

QByteArray temporaryName(const QByteArray& name)
{
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray temporary = name + AtomicFile::temporaryInfix.toLatin1();
    for (int i = 0; i < 6; ++i)
        temporary += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)];
    return temporary;
}

bool isOwnRegularFile(int folder, const char* name)
{
    struct stat status {};
    return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode)
           && status.st_uid == ::geteuid();
}

// How the file at the place is put in the new one's stead.
enum class Swap {
    // Whatever stands at the name, a link included, is replaced (a folder is not).
    Plain,
    // Written through a link: only the user's regular file that stood there when it was checked is
    // replaced, or nothing when nothing stood there, so that a link changing meanwhile never leads
    // the write onto a file made anew or into a folder.
    Checked,
};

// Writes `contents` under a temporary name in the place's folder and renames it over the place's
// name. The temporary is made afresh (never through a link) owner-only, or with the mode a new
// file gets; it takes the mode of the regular file it replaces unless `ownerOnly`. The whole of
// `contents` is written and synced before the rename, so that a full disk or a crash leaves the old
// file; on any failure the temporary goes.
bool replaceAt(const LinkedFile::Place& place, const QByteArray& contents, bool ownerOnly, Swap swap)
{
    const int folder = place.folder.get();
    const char* name = place.name.constData();
    struct stat existing {};
    const bool exists = ::fstatat(folder, name, &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return false;
    }
    const bool regular = exists && S_ISREG(existing.st_mode);
    if (swap == Swap::Checked && exists && !isOwnRegularFile(folder, name))
        return false;
    // A file the user made read-only is left as it is.
    if (regular && ::faccessat(folder, name, W_OK, AT_EACCESS) != 0)
        return false;
    const bool keepMode = regular && !ownerOnly;
    QByteArray temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = temporaryName(place.name);
        file = Descriptor(::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                   ownerOnly || keepMode ? 0600 : 0666));
        if (!file.valid() && errno != EEXIST)
            return false;
    }
    if (!file.valid())
        return false;
    const auto discard = [&] {
        const int error = errno;
        ::unlinkat(folder, temporary.constData(), 0);
        errno = error;
        return false;
    };
    if (keepMode && ::fchmod(file.get(), existing.st_mode & 0777) != 0)
        return discard();
    if (!file.writeAll(contents) || ::fdatasync(file.get()) != 0 || ::close(file.release()) != 0)
        return discard();
    if (swap == Swap::Plain)
        return ::renameat(folder, temporary.constData(), folder, name) == 0 || discard();
    if (!exists) {
        if (::renameat2(folder, temporary.constData(), folder, name, RENAME_NOREPLACE) == 0)
            return true;
        if (errno != EINVAL && errno != ENOSYS)
            return discard();
        // A filesystem that cannot rename without replacing can still link without replacing.
        if (::linkat(folder, temporary.constData(), folder, name, 0) != 0)
            return discard();
        ::unlinkat(folder, temporary.constData(), 0);
        return true;
    }
    if (::renameat2(folder, temporary.constData(), folder, name, RENAME_EXCHANGE) == 0) {
        // What was swapped out now bears the temporary name.
        if (isOwnRegularFile(folder, temporary.constData())) {
            ::unlinkat(folder, temporary.constData(), 0);
            return true;
        }
        ::renameat2(folder, temporary.constData(), folder, name, RENAME_EXCHANGE);
        errno = EPERM;
        return discard();
    }
    if (errno != EINVAL && errno != ENOSYS)
        return discard();
    // A filesystem that cannot exchange: the file is checked once more just before it is replaced.
    if (!isOwnRegularFile(folder, name))
        return discard();
    return ::renameat(folder, temporary.constData(), folder, name) == 0 || discard();
}

enum class Link { Replace, Follow, KeepToOwnFile, KeepToOwnersOnlyFile };

bool writeWith(const QString& path, const QByteArray& contents, Link link)
{
    if (link == Link::Follow) {
        const LinkedFile::Place place = LinkedFile::reach(path);
        return place.reached() && replaceAt(place, contents, false, place.linked ? Swap::Checked : Swap::Plain);
    }
    if (link != Link::Replace) {
        const auto sharing = link == Link::KeepToOwnersOnlyFile ? LinkedFile::Sharing::Refused : LinkedFile::Sharing::Allowed;
        if (const auto linked = LinkedFile::ownFilePlace(path, sharing))
            return replaceAt(*linked, contents, false, Swap::Checked);
    }
    // Any link standing at `path` is replaced; what it leads to is left as it is.
    const LinkedFile::Place place = LinkedFile::at(path);
    return place.reached() && replaceAt(place, contents, link != Link::Replace, Swap::Plain);
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
    // A followed link's target is the user's folder, whose mode is theirs to choose: it is judged
    // and never changed, and so is a folder behind a link that is not the user's.
    if (isLink(native) || LinkedFile::reach(folder).error == EPERM)
        return LinkedFile::folderRefusal(folder);
    struct stat status {};
    if (!makeMissing(native)) {
        const int error = errno;
        if (::lstat(native.constData(), &status) == 0)
            return FolderRefusal{FolderRefusal::Reason::NotAFolder, folder, {}, status.st_uid, ENOTDIR};
        return cannotMake(native, error);
    }
    // Checked and changed through one descriptor, so that a link put in the place of the folder
    // meanwhile is never followed. Opened as a path only, a folder of the user's without read
    // permission is still set right.
    const Descriptor fd(::open(native.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid()) {
        const int error = errno;
        if (error == ENOTDIR || error == ELOOP)
            return FolderRefusal{FolderRefusal::Reason::NotAFolder, folder, {}, ownerOf(native), error};
        return FolderRefusal{FolderRefusal::Reason::Failed, folder, {}, 0, error};
    }
    if (::fstat(fd.get(), &status) != 0)
        return FolderRefusal{FolderRefusal::Reason::Failed, folder, {}, 0, errno};
    if (status.st_uid != ::geteuid())
        return FolderRefusal{FolderRefusal::Reason::OwnedByAnother, folder, {}, status.st_uid, EPERM};
    if ((status.st_mode & 07777) != 0700
        && ::chmod(QByteArray("/proc/self/fd/" + QByteArray::number(fd.get())).constData(), 0700) != 0)
        return FolderRefusal{FolderRefusal::Reason::Failed, folder, {}, 0, errno};
    return std::nullopt;
}

} // namespace

bool AtomicFile::makePrivateFolder(const QString& path, FolderRefusal* why)
{
    const auto refusal = privateFolder(absoluteNative(path));
    if (refusal && why)
        *why = *refusal;
    return !refusal;
}

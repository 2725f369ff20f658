#include "LinkedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

// The user's primary group when no one else is in it, neither named in its member list nor having
// it as their own primary group: a group write there is the user's alone.
std::optional<gid_t> privateGroup()
{
    const uid_t user = ::geteuid();
    const passwd* me = ::getpwuid(user);
    if (!me)
        return std::nullopt;
    const QByteArray name = me->pw_name;
    const gid_t group = me->pw_gid;
    const struct group* entry = ::getgrgid(group);
    if (!entry)
        return std::nullopt;
    for (char** member = entry->gr_mem; *member; ++member) {
        if (name != *member)
            return std::nullopt;
    }
    bool alone = true;
    ::setpwent();
    while (const passwd* other = ::getpwent()) {
        if (other->pw_gid == group && other->pw_uid != user)
            alone = false;
    }
    ::endpwent();
    return alone ? std::optional<gid_t>(group) : std::nullopt;
}

bool isUserOrRoot(uid_t owner)
{
    return owner == ::geteuid() || owner == 0;
}

QByteArrayList namesOf(const QByteArray& path)
{
    QByteArrayList names;
    for (const QByteArray& name : path.split('/')) {
        if (!name.isEmpty() && name != ".")
            names.append(name);
    }
    return names;
}

QString joined(const QByteArrayList& names)
{
    return QFile::decodeName('/' + names.join('/'));
}

std::optional<QByteArray> linkTarget(int link)
{
    QByteArray target(256, Qt::Uninitialized);
    for (;;) {
        const ssize_t length = ::readlinkat(link, "", target.data(), size_t(target.size()));
        if (length < 0)
            return std::nullopt;
        if (length < target.size())
            return target.left(length);
        target.resize(target.size() * 2);
    }
}

// The walk behind reach(): with `followLast` false, a link at the last name is the place itself.
LinkedFile::Place walk(const QString& path, bool followLast)
{
    LinkedFile::Place place;
    QByteArray native = QFile::encodeName(path);
    if (!native.startsWith('/'))
        native = QFile::encodeName(QDir::currentPath()) + '/' + native;
    QByteArrayList pending = namesOf(native);
    std::reverse(pending.begin(), pending.end());
    Descriptor folder(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    QByteArrayList real;
    int links = 0;
    const auto fail = [&](int error) {
        place.error = error;
        return std::move(place);
    };
    const auto found = [&](const QByteArray& name) {
        place.folder = std::move(folder);
        place.name = name;
        place.path = name == "." ? joined(real) : joined(real + QByteArrayList{name});
        return std::move(place);
    };
    while (!pending.isEmpty()) {
        if (!folder.valid())
            return fail(errno);
        const QByteArray name = pending.takeLast();
        const bool last = pending.isEmpty();
        if (name == "..") {
            if (!real.isEmpty()) {
                folder = Descriptor(::openat(folder.get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
                real.removeLast();
            }
            continue;
        }
        Descriptor entry(::openat(folder.get(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (!entry.valid()) {
            // Opened to create, a chain ending in nothing makes the file there.
            if (errno == ENOENT && last)
                return found(name);
            return fail(errno);
        }
        if (::fstat(entry.get(), &status) != 0)
            return fail(errno);
        if (S_ISLNK(status.st_mode) && (followLast || !last)) {
            struct stat holder {};
            if (::fstat(folder.get(), &holder) != 0)
                return fail(errno);
            if (!isUserOrRoot(status.st_uid) || !isUserOrRoot(holder.st_uid) || LinkedFile::othersMayWrite(holder)) {
                place.untrustedFolder = joined(real);
                place.untrustedOwner = LinkedFile::othersMayWrite(holder) || !isUserOrRoot(holder.st_uid)
                                           ? holder.st_uid
                                           : status.st_uid;
                return fail(EPERM);
            }
            if (++links > kMaxLinks)
                return fail(ELOOP);
            const auto target = linkTarget(entry.get());
            if (!target)
                return fail(errno);
            if (target->startsWith('/')) {
                folder = Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
                real.clear();
            }
            QByteArrayList names = namesOf(*target);
            std::reverse(names.begin(), names.end());
            pending += names;
            if (last)
                place.linked = true;
            continue;
        }
        if (last)
            return found(name);
        if (!S_ISDIR(status.st_mode))
            return fail(ENOTDIR);
        folder = std::move(entry);
        real.append(name);
    }
    if (!folder.valid())
        return fail(errno);
    return found(".");
}

// A regular file of the user's, with Sharing::Refused one no one else has any permission on.
bool isOwnFile(const struct stat& status, LinkedFile::Sharing sharing)
{
    return S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
           && (sharing == LinkedFile::Sharing::Allowed || (status.st_mode & (S_IRWXG | S_IRWXO)) == 0);
}

bool holdsOwnFile(const LinkedFile::Place& place, LinkedFile::Sharing sharing)
{
    struct stat status {};
    return place.reached() && place.linked
           && ::fstatat(place.folder.get(), place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
           && isOwnFile(status, sharing);
}

} // namespace

namespace LinkedFile {

Place reach(const QString& path)
{
    return walk(path, true);
}

Place at(const QString& path)
{
    return walk(path, false);
}

bool othersMayWrite(const struct stat& folder)
{
    if ((folder.st_mode & S_IWOTH) != 0)
        return true;
    if ((folder.st_mode & S_IWGRP) == 0)
        return false;
    // Asked only here: going through every account can take a while on a large directory.
    static const std::optional<gid_t> own = privateGroup();
    return folder.st_gid != own;
}

std::optional<Place> ownFilePlace(const QString& path, Sharing sharing)
{
    Place place = reach(path);
    return holdsOwnFile(place, sharing) ? std::optional<Place>(std::move(place)) : std::nullopt;
}

std::optional<QString> ownFile(const QString& path, Sharing sharing)
{
    const auto place = ownFilePlace(path, sharing);
    return place ? std::optional<QString>(place->path) : std::nullopt;
}

bool isOwnFolder(const QString& path)
{
    const Place place = reach(path);
    struct stat status {};
    return place.reached()
           && ::fstatat(place.folder.get(), place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
           && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && !(place.linked && othersMayWrite(status));
}

BoundedFile::Result read(const QString& path, qint64 limit, Sharing sharing)
{
    using BoundedFile::Status;
    const Place place = reach(path);
    if (place.error == EPERM)
        return {Status::NotRegularFile, {}};
    if (!place.reached())
        return {place.error == ENOENT || place.error == ENOTDIR ? Status::Missing : Status::Unreadable, {}};
    const Descriptor file(::openat(place.folder.get(), place.name.constData(),
                                   O_RDONLY | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) {
        // ELOOP: a link put there since it was reached.
        return {errno == ENOENT ? Status::Missing : errno == ELOOP ? Status::NotRegularFile : Status::Unreadable, {}};
    }
    struct stat status {};
    if (place.linked && (::fstat(file.get(), &status) != 0 || !isOwnFile(status, sharing)))
        return {Status::NotRegularFile, {}};
    return BoundedFile::read(file.get(), limit);
}

std::optional<FolderRefusal> folderRefusal(const QString& folder)
{
    using Reason = FolderRefusal::Reason;
    const Place place = reach(folder);
    const QString target = QFileInfo(folder).symLinkTarget();
    if (place.error == EPERM)
        return FolderRefusal{Reason::OpenToOthers, folder, place.untrustedFolder, place.untrustedOwner, EPERM};
    struct stat status {};
    if (!place.reached()
        || ::fstatat(place.folder.get(), place.name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = place.reached() ? errno : place.error;
        if (error == ENOENT)
            return FolderRefusal{Reason::LinkToNothing, folder, target, 0, error};
        return FolderRefusal{Reason::Failed, folder, target, 0, error};
    }
    if (!S_ISDIR(status.st_mode))
        return FolderRefusal{Reason::NotAFolder, folder, target, status.st_uid, ENOTDIR};
    if (status.st_uid != ::geteuid())
        return FolderRefusal{place.linked ? Reason::LinkToAnothersFolder : Reason::OwnedByAnother, folder, target,
                             status.st_uid, EPERM};
    if (place.linked && othersMayWrite(status))
        return FolderRefusal{Reason::OpenToOthers, folder, place.path, status.st_uid, EPERM};
    return std::nullopt;
}

} // namespace LinkedFile

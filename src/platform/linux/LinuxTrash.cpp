#include "LinuxTrash.h"

#include "AtomicFile.h"
#include "Descriptor.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");
// A last dot further from the end than this does not start an extension worth keeping.
constexpr qsizetype kMaxExtension = 16;

bool isOwnFolder(const Descriptor& folder, uid_t user)
{
    struct stat info {};
    return folder.valid() && ::fstat(folder.get(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == user;
}

// The folder `name` in `parent`, made 0700 when missing. Only a real folder of the user's own
// counts: a link, or a folder someone else put there, is refused.
Descriptor ownFolderAt(int parent, const QByteArray& name, uid_t user)
{
    if (::mkdirat(parent, name.constData(), 0700) != 0 && errno != EEXIST)
        return Descriptor();
    Descriptor folder(::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return isOwnFolder(folder, user) ? std::move(folder) : Descriptor();
}

QByteArray resolved(const QByteArray& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

// The nearest folder on the way to `path` that exists, with every link resolved.
QByteArray nearestExisting(QByteArray path)
{
    for (QByteArray real = resolved(path); !path.isEmpty(); real = resolved(path)) {
        if (!real.isEmpty())
            return real;
        path.truncate(path.lastIndexOf('/'));
    }
    return QByteArrayLiteral("/");
}

// The kernel writes a space, tab, newline or backslash in a mount point as a backslash and three
// octal digits.
QByteArray unescaped(const QByteArray& field)
{
    QByteArray text;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto octal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && octal(i + 1) && octal(i + 2) && octal(i + 3)) {
            text.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            text.append(field[i]);
        }
    }
    return text;
}

QList<QByteArray> mountPoints(const QString& table)
{
    QFile file(table);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> points;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            points.append(unescaped(fields[4]));
    }
    return points;
}

// The mount point of the mount that holds `real`, a path without links: the deepest one at or
// above it. Empty when the table names none.
QByteArray mountPointOf(const QByteArray& real, const QList<QByteArray>& points)
{
    QByteArray deepest;
    for (const QByteArray& point : points) {
        const bool holds = point == "/" || real == point || real.startsWith(point + '/');
        if (holds && point.size() > deepest.size())
            deepest = point;
    }
    return deepest;
}

// The name an item takes in the Trash at the given attempt: its own name, then "stem.N.ext" from
// N = 2. The stem is cut, never inside a UTF-8 sequence, until the name with the info file's
// suffix fits in a file name.
QByteArray trashName(const QByteArray& name, int attempt)
{
    const QByteArray tag = attempt == 0 ? QByteArray() : '.' + QByteArray::number(attempt + 1);
    qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || name.size() - dot > kMaxExtension)
        dot = name.size();
    QByteArray stem = name.left(dot);
    const QByteArray extension = name.mid(dot);
    qsizetype room = NAME_MAX - kInfoSuffix.size() - tag.size() - extension.size();
    if (stem.size() > room) {
        while (room > 0 && (uchar(stem[room]) & 0xC0) == 0x80)
            --room;
        stem.truncate(room);
    }
    return stem + tag + extension;
}

QByteArray infoText(const QByteArray& location, const QDateTime& deleted)
{
    return "[Trash Info]\nPath=" + location.toPercentEncoding("/") + "\nDeletionDate="
           + deleted.toLocalTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1() + '\n';
}

// 0 or the error.
int renameWithoutReplacing(const QByteArray& from, int folder, const QByteArray& name)
{
    if (::renameat2(AT_FDCWD, from.constData(), folder, name.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL)
        return errno;
    // A file system that cannot refuse to replace. The info file already holds the name against
    // every program that follows the same rules, and no entry stood there a moment ago.
    return ::renameat(AT_FDCWD, from.constData(), folder, name.constData()) == 0 ? 0 : errno;
}

// Claims a free name in the Trash open at `trash` with an info file that says where the item came
// from, then moves the item there under that name.
bool moveInto(const Descriptor& trash, uid_t user, const QByteArray& item, const QByteArray& info)
{
    const Descriptor files = ownFolderAt(trash.get(), "files", user);
    const Descriptor infoFolder = ownFolderAt(trash.get(), "info", user);
    if (!files.valid() || !infoFolder.valid())
        return false;
    const QByteArray name = item.mid(item.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < LinuxTrash::kMaxNameAttempts; ++attempt) {
        const QByteArray candidate = trashName(name, attempt);
        // An entry left in files/ without its info file keeps its name as well.
        struct stat taken {};
        if (::fstatat(files.get(), candidate.constData(), &taken, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        const QByteArray infoName = candidate + kInfoSuffix;
        const Descriptor claim(::openat(infoFolder.get(), infoName.constData(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!claim.valid() && errno == EEXIST)
            continue;
        if (!claim.valid())
            return false;
        const int error = claim.writeAll(info) ? renameWithoutReplacing(item, files.get(), candidate) : EIO;
        if (error == 0)
            return true;
        ::unlinkat(infoFolder.get(), infoName.constData(), 0);
        if (error != EEXIST)
            return false;
    }
    return false;
}

// The Trash at the top of a mount other than the home Trash's.
Descriptor topTrash(const QByteArray& top, uid_t user)
{
    const Descriptor topFolder(::open(top.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!topFolder.valid())
        return Descriptor();
    const QByteArray uid = QByteArray::number(user);
    // The administrator's shared folder counts only as a real folder with the sticky bit, which
    // keeps users from moving or removing one another's folders in it.
    struct stat shared {};
    if (::fstatat(topFolder.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode)
        && (shared.st_mode & S_ISVTX)) {
        const Descriptor sharedFolder(::openat(topFolder.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (sharedFolder.valid()) {
            Descriptor own = ownFolderAt(sharedFolder.get(), uid, user);
            if (own.valid())
                return own;
        }
    }
    return ownFolderAt(topFolder.get(), ".Trash-" + uid, user);
}

} // namespace

LinuxTrash::LinuxTrash(Options options) : m_options(std::move(options)) {}

bool LinuxTrash::moveToTrash(const QString& path)
{
    const QByteArray given = QFile::encodeName(QDir::cleanPath(path));
    const qsizetype slash = given.lastIndexOf('/');
    struct stat itemInfo {};
    if (!given.startsWith('/') || slash == given.size() - 1 || ::lstat(given.constData(), &itemInfo) != 0)
        return false;
    // The item itself may be a link; the folders on its way are resolved, so that the info file
    // names where it really lies.
    const QByteArray parent = resolved(slash == 0 ? QByteArrayLiteral("/") : given.left(slash));
    if (parent.isEmpty())
        return false;
    const QByteArray item = (parent == "/" ? parent : parent + '/') + given.mid(slash + 1);

    const QList<QByteArray> points = mountPoints(m_options.mountTable);
    const QByteArray top = mountPointOf(item, points);
    const QDateTime now = m_options.clock();
    const QString homeTrash = m_options.dataHome + QStringLiteral("/Trash");
    if (top == mountPointOf(nearestExisting(QFile::encodeName(homeTrash)), points)) {
        if (m_options.dataHome.isEmpty() || !AtomicFile::makeMissingFolders(homeTrash))
            return false;
        const Descriptor trash(::open(QFile::encodeName(homeTrash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        return isOwnFolder(trash, m_options.user) && moveInto(trash, m_options.user, item, infoText(item, now));
    }
    const Descriptor trash = topTrash(top, m_options.user);
    const QByteArray relative = item.mid(top == "/" ? 1 : top.size() + 1);
    return trash.valid() && moveInto(trash, m_options.user, item, infoText(relative, now));
}

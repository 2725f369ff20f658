#include "StoredFolderRemoval.h"

#include "Descriptor.h"
#include "LinkedFile.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using StoredFiles::Folder;
using StoredFiles::Kind;

Kind kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return Kind::Folder;
    if (S_ISREG(mode))
        return Kind::RegularFile;
    if (S_ISSOCK(mode))
        return Kind::Socket;
    if (S_ISLNK(mode))
        return Kind::Link;
    return Kind::Other;
}

// The names in the folder open at `folder`. Read through a description of its own, so that a
// second listing starts from the beginning.
std::optional<QByteArrayList> namesIn(int folder)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!dir) {
        if (listing >= 0)
            ::close(listing);
        return std::nullopt;
    }
    QByteArrayList names;
    const dirent* entry = nullptr;
    // readdir() tells the end from a failure only by errno.
    while ((errno = 0, entry = ::readdir(dir))) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    return complete ? std::optional(names) : std::nullopt;
}

// True when nothing but a folder is left at the name: a folder put there meanwhile is not ours.
bool unlinked(int folder, const QByteArray& name)
{
    return ::unlinkat(folder, name.constData(), 0) == 0 || errno == ENOENT || errno == EISDIR;
}

bool removeOurs(int folder, Folder which);

// A subfolder of ours: a link standing there is removed, never followed, even when it is put in
// the folder's place after the folder was looked at.
bool removeSubfolder(int parent, const QByteArray& name)
{
    const int folder = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0) {
        const int error = errno;
        struct stat status {};
        if (::fstatat(parent, name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(status.st_mode))
            return unlinked(parent, name);
        return error == ENOENT || error == ENOTDIR;
    }
    const bool allRemoved = removeOurs(folder, Folder::Values);
    ::close(folder);
    // Kept when the user's files are in it, or when something else took its place.
    return (::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOTEMPTY || errno == EEXIST
            || errno == ENOENT || errno == ENOTDIR)
           && allRemoved;
}

bool removeOurs(int folder, Folder which)
{
    const auto names = namesIn(folder);
    if (!names)
        return false;
    bool allRemoved = true;
    for (const QByteArray& native : *names) {
        struct stat status {};
        if (::fstatat(folder, native.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            allRemoved = errno == ENOENT && allRemoved;
            continue;
        }
        const QString name = QFile::decodeName(native);
        const Kind kind = kindOf(status.st_mode);
        if (StoredFiles::isSubfolderOf(which, name)) {
            if (kind == Kind::Link)
                allRemoved = unlinked(folder, native) && allRemoved;
            else if (kind == Kind::Folder)
                allRemoved = removeSubfolder(folder, native) && allRemoved;
        } else if (StoredFiles::isFileOf(which, name, kind)) {
            allRemoved = unlinked(folder, native) && allRemoved;
        }
    }
    return allRemoved;
}

} // namespace

StoredFolderRemoval::Result StoredFolderRemoval::remove(const QString& path, Folder folder)
{
    // Reached through links of the user's only, each folder held by descriptor on the way. A link
    // at the folder itself is followed only where no one else may change the folder it leads to; a
    // link to nothing or to a file is let through, to be found below to hold nothing of ours.
    const LinkedFile::Place place = LinkedFile::reach(path);
    if (place.error == EPERM)
        return {false, path};
    if (const auto refusal = place.linked ? LinkedFile::folderRefusal(path) : std::nullopt;
        refusal
        && (refusal->reason == FolderRefusal::Reason::OpenToOthers
            || refusal->reason == FolderRefusal::Reason::LinkToAnothersFolder))
        return {false, path};
    const Descriptor opened(place.reached() ? ::openat(place.folder.get(), place.name.constData(),
                                                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                                            : -1);
    const int error = place.reached() ? errno : place.error;
    // Nothing there, or something that is not a folder (a link to nothing or to a file included):
    // the user's, and nothing of ours can be in it.
    if (!opened.valid())
        return {error == ENOENT || error == ENOTDIR || error == ELOOP, {}};
    Result result{removeOurs(opened.get(), folder), {}};
    const auto left = namesIn(opened.get());
    if (left && left->isEmpty()) {
        if (!place.linked && ::unlinkat(place.folder.get(), place.name.constData(), AT_REMOVEDIR) != 0
            && errno != ENOENT)
            result.allRemoved = false;
    } else if (left) {
        result.keptFolder = QFileInfo(path).canonicalFilePath();
    }
    return result;
}

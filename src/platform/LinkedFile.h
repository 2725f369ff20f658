#pragma once

#include "BoundedFile.h"
#include "Descriptor.h"
#include "FolderRefusal.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <sys/stat.h>

// Where a path leads when the symbolic links on it are followed as the kernel follows them. A user
// who keeps a file in a dotfiles folder (stow links single files) has it linked into place; writing
// through the link keeps that folder's copy the one in use. A link is the user's, and only then
// followed, when it belongs to the user (or root) and stands in a folder no one else may write:
// anyone who may write that folder could have made the link, or may change it at any time.
namespace LinkedFile {

// Where a path leads: its real folder, held open so that a link put in place of a folder on the way
// afterwards is not followed, and the last name in it, which is not a link.
struct Place {
    Descriptor folder; // opened as a path only
    QByteArray name;
    // The real path: for a chain that exists, what realpath(3) gives; for one ending in nothing,
    // where opening it to create would make the file.
    QString path;
    // A link was followed for the last name.
    bool linked = false;
    // 0 when the place was reached; ENOENT when a folder on the way is missing, ELOOP when links do
    // not end, EPERM when a link on the way is not the user's.
    int error = 0;
    // With EPERM: the folder holding that link, and the owner of what makes it another's: the
    // folder's when others may write it, else the link's.
    QString untrustedFolder;
    uid_t untrustedOwner = 0;

    bool reached() const { return error == 0; }
};

// Resolves `path` component by component as the kernel does: a relative link's target is taken
// against the real folder holding the link, and at most 40 links are followed.
Place reach(const QString& path);
// The same, except that a link at the last name is the place itself and is not followed.
Place at(const QString& path);

// Whether someone besides this user may change what the folder described holds: write for others
// (the sticky bit does not help), or for a group that is not the user's own private group.
bool othersMayWrite(const struct stat& folder);

// Who besides this user may have access to a file reached through a link.
enum class Sharing { Allowed, Refused };

// The regular file of this user's that a link at `path` leads to; with Sharing::Refused, only
// when no one else has any permission on it. Nothing when `path` is not such a link of the user's:
// a link to nothing, to a folder, a pipe or a device, to another user's file, or one that is not
// the user's.
std::optional<QString> ownFile(const QString& path, Sharing sharing = Sharing::Allowed);
// The same, as the place of that file.
std::optional<Place> ownFilePlace(const QString& path, Sharing sharing);

// A folder of this user's, reached only through links of the user's; through a link, only one
// that no one else may write.
bool isOwnFolder(const QString& path);

// Reads a stored file as BoundedFile does, through links of the user's only and, through a link,
// only a regular file of the user's (one no one else may touch, with Sharing::Refused). Anything
// else counts as NotRegularFile, so that it is set aside like any other file that cannot serve.
BoundedFile::Result read(const QString& path, qint64 limit, Sharing sharing = Sharing::Allowed);

// Why a folder that is, or lies behind, a link may not hold what the application keeps: a link on
// the way that is not the user's, or a folder at the end that is not one, is not the user's or that
// others may write. Nothing when it may.
std::optional<FolderRefusal> folderRefusal(const QString& folder);

} // namespace LinkedFile

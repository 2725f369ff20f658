#pragma once

#include <QString>
#include <optional>

// Where a symbolic link standing at the place of one of our files leads. A user who keeps a file
// in a dotfiles folder (stow links single files) has it linked into place; writing through the
// link keeps that folder's copy the one in use.
namespace LinkedFile {

// The path a link at `path` leads to at the end of its chain of links, whether or not anything
// stands there; empty when `path` is not a link or the chain does not end.
QString finalTarget(const QString& path);

// Who besides this user may have access to a file written through a link.
enum class Sharing { Allowed, Refused };

// The regular file of this user's that a link at `path` leads to; with Sharing::Refused, only
// when no one else has any permission on it. Nothing when `path` is not such a link: a link to
// nothing, to a folder, a pipe or a device, or to another user's file.
std::optional<QString> ownFile(const QString& path, Sharing sharing = Sharing::Allowed);

} // namespace LinkedFile

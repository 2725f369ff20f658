#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

struct FolderRefusal;

// Whole-file writes that either replace the old contents entirely or leave them untouched. A file
// reached through a link is replaced in its own folder, keeping its mode.
namespace AtomicFile {

// A write's temporary file is named after the file, then this, then six letters or digits: a form
// only these writes give a name, so that what an interrupted write left can be told from the user's.
inline const QString temporaryInfix = QStringLiteral(".quillmarsh-tmp-");

// A symbolic link standing where the file goes is removed and replaced by the new file; what it
// points to is never written.
bool write(const QString& path, const QByteArray& contents);
// A file of ours that the user may have linked into a folder of theirs (a dotfiles folder, say): a
// link of the user's (see LinkedFile) at `path` to a regular file of theirs stays a link and that
// file is replaced, in its own folder; should the link or the file change meanwhile, nothing is
// written rather than a file made anew. Any other link is replaced as by write(); a file made here
// is owner-only (0600) before any byte reaches it.
bool writePrivate(const QString& path, const QByteArray& contents);
// Like writePrivate(), for contents no one else may read: a link is kept only when the file it
// leads to is the user's alone.
bool writeSecret(const QString& path, const QByteArray& contents);
// A link of the user's standing at `path` stays a link: the regular file of theirs at the end of it
// is replaced, or made where the chain ends in nothing. Through any other link nothing is written.
bool writeThrough(const QString& path, const QByteArray& contents);
// Renames a file that could not be read as expected to "<path>.unreadable-<UTC time>" in the same
// folder, so that the user's data is kept when a new file takes its place. Returns the new path,
// or nothing when the file could not be moved (it is then left where it was).
std::optional<QString> moveAside(const QString& path);
// Writes `contents` privately under the name moveAside() would give `path`; returns that name.
std::optional<QString> keepAside(const QString& path, const QByteArray& contents);
// Creates the folders of `path` that are missing, each 0700 from the moment it exists; what
// already exists, links included, is left as it is. True when `path` is then a folder.
bool makeMissingFolders(const QString& path);
// Makes `path` a folder of the user's own with mode 0700. Missing folders on the way are created
// 0700 from the start. A link standing at `path` (into a dotfiles folder, say) is followed when its
// target is a folder of the user's, whose mode is left as it is; any other link is refused and left
// as it is, and so is a folder of another user. False when no such folder could be had; `why`, when
// given, then says what stood in the way.
bool makePrivateFolder(const QString& path, FolderRefusal* why = nullptr);

} // namespace AtomicFile

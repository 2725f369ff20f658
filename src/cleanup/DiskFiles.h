#pragma once

#include "FileItem.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

// The plain file-system reads that the disk scan and its walks share.
namespace DiskFiles {

constexpr int kNoFollow = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

// What the scan needs to know of an item, or nothing when it cannot be looked at.
std::optional<struct statx> statAt(int folder, const char* name, int flags);
std::optional<struct statx> statPath(const QString& path, int flags);
// File names are read as UTF-8; a name that is not could not be found again by its text.
std::optional<QString> decoded(const QByteArray& bytes);
// The names in a folder, "." and ".." and names that are not UTF-8 left out; none when it cannot
// be listed.
QStringList entryNames(const QString& folder);
// Largest first; of equal sizes the earlier stays ahead.
void sortLargestFirst(QList<FileItem>& items);

} // namespace DiskFiles

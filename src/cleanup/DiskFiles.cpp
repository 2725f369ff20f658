#include "DiskFiles.h"

#include <QFile>
#include <algorithm>
#include <dirent.h>

namespace {

constexpr unsigned kStatMask = STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_SIZE | STATX_BLOCKS |
                             STATX_MTIME | STATX_MNT_ID;

} // namespace

std::optional<struct statx> DiskFiles::statAt(int folder, const char* name, int flags)
{
    struct statx info {};
    if (statx(folder, name, flags, kStatMask, &info) != 0)
        return std::nullopt;
    return info;
}

std::optional<struct statx> DiskFiles::statPath(const QString& path, int flags)
{
    return statAt(AT_FDCWD, QFile::encodeName(path).constData(), flags);
}

std::optional<QString> DiskFiles::decoded(const QByteArray& bytes)
{
    if (!QByteArrayView(bytes).isValidUtf8())
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

QStringList DiskFiles::entryNames(const QString& folder)
{
    QStringList names;
    DIR* dir = opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (const auto text = decoded(name))
            names.append(*text);
    }
    closedir(dir);
    return names;
}

void DiskFiles::sortLargestFirst(QList<FileItem>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const FileItem& a, const FileItem& b) { return a.size > b.size; });
}

#include "LinkedFile.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

QString LinkedFile::finalTarget(const QString& path)
{
    QFileInfo link(path);
    if (!link.isSymLink())
        return {};
    // As many links as the kernel follows in one path.
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo next(link.symLinkTarget());
        if (!next.isSymLink())
            return next.filePath();
        link = next;
    }
    return {};
}

std::optional<QString> LinkedFile::ownFile(const QString& path, Sharing sharing)
{
    const QString target = finalTarget(path);
    struct stat status {};
    if (target.isEmpty() || ::lstat(QFile::encodeName(target).constData(), &status) != 0)
        return std::nullopt;
    if (!S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
        return std::nullopt;
    if (sharing == Sharing::Refused && (status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return std::nullopt;
    return target;
}

#include "AtomicFile.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

namespace {

bool writeWith(const QString& path, const QByteArray& contents, bool ownerOnly)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (ownerOnly && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    // QSaveFile buffers: a full disk only shows at flush, and commit() would then still move the
    // truncated file over the good one.
    if (file.write(contents) != contents.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace

bool AtomicFile::write(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, false);
}

bool AtomicFile::writePrivate(const QString& path, const QByteArray& contents)
{
    return writeWith(path, contents, true);
}

std::optional<QString> AtomicFile::moveAside(const QString& path)
{
    const QString stem = path + QStringLiteral(".unreadable-")
                         + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    // Two files set aside within one millisecond get a counter.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString target = attempt == 0 ? stem : stem + u'-' + QString::number(attempt);
        if (QFile::exists(target))
            continue;
        if (QFile::rename(path, target))
            return target;
        return std::nullopt;
    }
    return std::nullopt;
}

#include "BackupExclusion.h"

#include <QFile>
#include <sys/xattr.h>

// The freedesktop extended attribute that backup tools read.
namespace {
constexpr char kAttribute[] = "user.xdg.robots.backup";
constexpr char kNo[] = "false";
} // namespace

bool BackupExclusion::exclude(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    return ::setxattr(native.constData(), kAttribute, kNo, sizeof kNo - 1, 0) == 0;
}

bool BackupExclusion::isExcluded(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    char value[16] = {};
    const ssize_t n = ::getxattr(native.constData(), kAttribute, value, sizeof value - 1);
    return n == ssize_t(sizeof kNo - 1) && QByteArray(value, int(n)) == kNo;
}

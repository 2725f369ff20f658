#include "MachineIdentifier.h"

#include "BoundedFile.h"

#include <pwd.h>
#include <unistd.h>

namespace {

// An identifier file holds 33 bytes; anything far larger, or that is no file at all, is not one.
constexpr qint64 kMaxFileBytes = 4096;

QString firstLine(const QString& path)
{
    const BoundedFile::Result file = BoundedFile::read(path, kMaxFileBytes);
    return QString::fromUtf8(file.contents).section(u'\n', 0, 0).trimmed();
}

QString loginName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

QString MachineIdentifier::read(const QString& root)
{
    const QString base = root.endsWith(u'/') ? root : root + u'/';
    for (const char* file : {"etc/machine-id", "var/lib/dbus/machine-id"}) {
        const QString identifier = firstLine(base + QLatin1String(file));
        if (!identifier.isEmpty())
            return identifier;
    }
    return loginName();
}

#include "MachineIdentifier.h"

#include <QFile>

#include <pwd.h>
#include <unistd.h>

namespace {

QString firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(256)).section(u'\n', 0, 0).trimmed();
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

#include "Paths.h"

#include "StoredFiles.h"

#include <QDir>
#include <QStandardPaths>

namespace {
const QString kAppFolder = QStringLiteral("Quillmarsh");
}

QString Paths::home()
{
    return QDir::homePath();
}

QString Paths::desktop()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return desktop.isEmpty() ? home() + "/Desktop" : desktop;
}

QString Paths::temporary()
{
    return QDir::tempPath();
}

QString Paths::applicationSupport()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return temporary() + "/Application Support/" + kAppFolder;
    return data + "/" + kAppFolder;
}

QString Paths::configuration()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (config.isEmpty() ? temporary() : config) + "/" + kAppFolder;
}

QString Paths::defaultsFile()
{
    return configuration() + "/" + StoredFiles::defaults;
}

QString Paths::autostart()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (config.isEmpty() ? home() + "/.config" : config) + "/autostart";
}

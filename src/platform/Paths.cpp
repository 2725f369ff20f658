#include "Paths.h"

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

QString Paths::defaultsFile()
{
    QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (config.isEmpty())
        config = temporary();
    return config + "/" + kAppFolder + "/defaults.json";
}

QString Paths::autostart()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (config.isEmpty() ? home() + "/.config" : config) + "/autostart";
}

#include "FileManagerHelper.h"

#include "Paths.h"

#include <QDir>

QString FileManagerHelper::appSupportDirectory()
{
    static const QString directory = [] {
        const QString path = applicationSupportPath();
        QDir().mkpath(path);
        return path;
    }();
    return directory;
}

QString FileManagerHelper::applicationSupportPath()
{
    return Paths::applicationSupport();
}

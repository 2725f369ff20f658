#include "FileManagerHelper.h"

#include "AtomicFile.h"
#include "Paths.h"

QString FileManagerHelper::appSupportDirectory()
{
    static const QString directory = [] {
        const QString path = applicationSupportPath();
        AtomicFile::makePrivateFolder(path);
        return path;
    }();
    return directory;
}

QString FileManagerHelper::applicationSupportPath()
{
    return Paths::applicationSupport();
}

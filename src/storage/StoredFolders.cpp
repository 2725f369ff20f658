#include "StoredFolders.h"

#include "AtomicFile.h"
#include "FolderRefusal.h"
#include "Paths.h"

#include <QFileInfo>

QStringList StoredFolders::paths()
{
    return {Paths::applicationSupport(), QFileInfo(Paths::defaultsFile()).path()};
}

QString StoredFolders::prepare()
{
    for (const QString& folder : paths()) {
        FolderRefusal refusal;
        if (!AtomicFile::makePrivateFolder(folder, &refusal))
            return refusal.text();
    }
    return {};
}

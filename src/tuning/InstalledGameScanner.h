#pragma once

#include "GameProfile.h"

#include <QList>
#include <QStringList>

// Finds installed games: application bundles ("<name>.app") lying directly in the given folders
// whose bundle identifier or name belongs to one of the profiles.
class InstalledGameScanner {
public:
    // /Applications, /Applications/Utilities, and Applications and Downloads in the home folder.
    static QStringList standardFolders();

    // The names of the matching bundles, without ".app": folder by folder, by name within a folder,
    // duplicates kept. Folders that cannot be listed and entries that are no bundle with an
    // identifier are skipped; subfolders are not entered.
    static QStringList scan(const QStringList& folders, const QList<GameProfile>& profiles);
};

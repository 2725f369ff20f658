#pragma once

#include "InstalledApplications.h"

#include <QStringList>

// The installed applications of a Mac: application bundles ("<name>.app") lying directly in a few
// folders. Subfolders are not entered; entries that are no bundle with an identifier are skipped.
class ApplicationFolders final : public InstalledApplications {
public:
    explicit ApplicationFolders(QStringList folders);

    // /Applications, /Applications/Utilities, and Applications and Downloads in the home folder.
    static QStringList standardFolders();

    // Folder by folder, by name within a folder, duplicates kept.
    QList<Application> list() override;

private:
    const QStringList m_folders;
};

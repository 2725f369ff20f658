#pragma once

#include "InstalledApplications.h"

#include <QStringList>

// The installed applications of a Linux desktop: the application entries of the desktop-entry
// folders (flatpak's exports among them) and the games of the Steam libraries. An application
// shows once: an entry that starts a Steam game stands for that game, and a later application of
// a name already listed (letter case aside) is left out.
class LinuxInstalledApplications final : public InstalledApplications {
public:
    LinuxInstalledApplications(QStringList applicationFolders, QStringList steamRoots);

    // The desktop-entry folders of this user and system, with flatpak's exported entries of the
    // user and of the system when they are not among them yet.
    static QStringList standardApplicationFolders();

    // Desktop entries first, in folder order, then the Steam games.
    QList<Application> list() override;

private:
    const QStringList m_applicationFolders;
    const QStringList m_steamRoots;
};

#pragma once

#include "GameProfile.h"

#include "InstalledApplications.h"

#include <QList>
#include <QStringList>

// Finds installed games: the installed applications whose bundle identifier, name or program
// belongs to one of the profiles.
class InstalledGameScanner {
public:
    // The names of the matching applications, in the order given.
    static QStringList scan(const QList<InstalledApplications::Application>& applications,
                            const QList<GameProfile>& profiles);

    // The programs a game runs as, the game being named by a bundle identifier: those of the
    // applications with that identifier, and of those that belong to a profile listing it. Each
    // once; applications whose program is unknown add none.
    static QStringList programsOf(const QString& bundleIdentifier,
                                  const QList<InstalledApplications::Application>& applications,
                                  const QList<GameProfile>& profiles);

private:
    static bool belongs(const InstalledApplications::Application& application, const GameProfile& profile);
};

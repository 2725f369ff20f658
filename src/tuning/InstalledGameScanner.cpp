#include "InstalledGameScanner.h"

#include <algorithm>

bool InstalledGameScanner::belongs(const InstalledApplications::Application& application, const GameProfile& profile)
{
    return profile.matches(application.name, application.identifier)
           || (!application.program.isEmpty() && profile.matches(application.program, application.identifier));
}

QStringList InstalledGameScanner::scan(const QList<InstalledApplications::Application>& applications,
                                       const QList<GameProfile>& profiles)
{
    QStringList found;
    for (const InstalledApplications::Application& application : applications) {
        if (std::any_of(profiles.cbegin(), profiles.cend(),
                        [&](const GameProfile& profile) { return belongs(application, profile); }))
            found.append(application.name);
    }
    return found;
}

QStringList InstalledGameScanner::programsOf(const QString& bundleIdentifier,
                                             const QList<InstalledApplications::Application>& applications,
                                             const QList<GameProfile>& profiles)
{
    QStringList programs;
    for (const InstalledApplications::Application& application : applications) {
        if (application.program.isEmpty() || programs.contains(application.program))
            continue;
        const bool named = application.identifier == bundleIdentifier;
        if (named || std::any_of(profiles.cbegin(), profiles.cend(), [&](const GameProfile& profile) {
                return profile.bundleIDs.contains(bundleIdentifier) && belongs(application, profile);
            }))
            programs.append(application.program);
    }
    return programs;
}

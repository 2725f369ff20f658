#include "InstalledGameScanner.h"

#include "ApplicationBundle.h"
#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

QStringList InstalledGameScanner::standardFolders()
{
    return {QStringLiteral("/Applications"), QStringLiteral("/Applications/Utilities"),
            Paths::home() + QStringLiteral("/Applications"), Paths::home() + QStringLiteral("/Downloads")};
}

QStringList InstalledGameScanner::scan(const QStringList& folders, const QList<GameProfile>& profiles)
{
    QStringList found;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                                  QDir::Name);
        for (const QString& entry : entries) {
            const QFileInfo info(dir.filePath(entry));
            if (info.suffix() != QLatin1String("app"))
                continue;
            const QString name = info.completeBaseName();
            const auto bundle = ApplicationBundle::identifier(info.filePath());
            if (!bundle)
                continue;
            const bool belongs = std::any_of(profiles.cbegin(), profiles.cend(), [&](const GameProfile& profile) {
                return profile.matches(name, *bundle);
            });
            if (belongs)
                found.append(name);
        }
    }
    return found;
}

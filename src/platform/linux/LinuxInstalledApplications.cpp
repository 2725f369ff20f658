#include "LinuxInstalledApplications.h"

#include "DesktopEntryIndex.h"
#include "SteamLibraries.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>

LinuxInstalledApplications::LinuxInstalledApplications(QStringList applicationFolders, QStringList steamRoots)
    : m_applicationFolders(std::move(applicationFolders)), m_steamRoots(std::move(steamRoots))
{
}

QStringList LinuxInstalledApplications::standardApplicationFolders()
{
    QStringList folders = DesktopEntryIndex::standardFolders();
    const QString exports = QStringLiteral("/flatpak/exports/share/applications");
    for (const QString& folder :
         {QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + exports, "/var/lib" + exports}) {
        const QString clean = QDir::cleanPath(folder);
        if (!folders.contains(clean) && !folders.contains(clean + '/'))
            folders.append(clean);
    }
    return folders;
}

QList<InstalledApplications::Application> LinuxInstalledApplications::list()
{
    static const QRegularExpression steamGame(QStringLiteral("steam://rungameid/([0-9]+)"));
    QList<Application> found;
    QSet<QString> names;
    QSet<QString> identifiers;
    const auto add = [&](Application application) {
        const QString name = application.name.toCaseFolded();
        if (names.contains(name) || identifiers.contains(application.identifier))
            return;
        names.insert(name);
        identifiers.insert(application.identifier);
        found.append(std::move(application));
    };
    for (const DesktopEntryIndex::Application& entry : DesktopEntryIndex(m_applicationFolders).applications()) {
        // Steam's own shortcuts start the client with the game's number: the game is the manifest's.
        if (const auto match = steamGame.match(entry.command); match.hasMatch()) {
            add({entry.entry.name, QStringLiteral("steam:") + match.captured(1), {}});
            continue;
        }
        const QString program = entry.shared ? QString() : QFileInfo(entry.executable).fileName();
        add({entry.entry.name, entry.entry.id, program});
    }
    for (const SteamLibraries::Game& game : SteamLibraries::games(m_steamRoots))
        add({game.name, QStringLiteral("steam:") + game.appId, {}});
    return found;
}

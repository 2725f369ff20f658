#include "LinuxInstalledApplications.h"

#include "DesktopEntryIndex.h"
#include "SteamLibraries.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

namespace {

// The game number of the first "steam://rungameid/" followed by digits in a command, or empty.
QString steamGameOf(const QString& command)
{
    const QLatin1String link("steam://rungameid/");
    for (qsizetype at = command.indexOf(link); at >= 0; at = command.indexOf(link, at + 1)) {
        const qsizetype start = at + link.size();
        qsizetype end = start;
        while (end < command.size() && command[end] >= u'0' && command[end] <= u'9')
            ++end;
        if (end > start)
            return command.sliced(start, end - start);
    }
    return {};
}

} // namespace

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
        if (const QString game = steamGameOf(entry.command); !game.isEmpty()) {
            add({entry.entry.name, QStringLiteral("steam:") + game, {}});
            continue;
        }
        const QString program = entry.shared ? QString() : QFileInfo(entry.executable).fileName();
        add({entry.entry.name, entry.entry.id, program});
    }
    for (const SteamLibraries::Game& game : SteamLibraries::games(m_steamRoots))
        add({game.name, QStringLiteral("steam:") + game.appId, {}});
    return found;
}

#pragma once

#include "LifeToken.h"
#include "StoredFolderRemoval.h"

#include <QObject>
#include <QStringList>

class Defaults;
class GameOverlay;

// Removes what the application keeps for the current user: the launch-at-log-in entry, the
// Application Support folder, the system-wide frame-limit settings, the application's defaults (their
// file, the copies of it set aside and its folder) and the files of earlier versions. Runs once;
// the overlay settings and folder deletions happen on the utility queue, the defaults and legacy files on
// the main thread.
//
// Only the entries the application writes go from either folder, and everything else in it stays.
// Either may be a link the user made into a folder of theirs (a dotfiles or synced folder, or the
// home itself): the link and that folder stay too.
class CleanUninstall : public QObject {
    Q_OBJECT
public:
    static const QStringList legacyKeys;
    // Relative to the home folder.
    static const QStringList legacyPaths;

    CleanUninstall(GameOverlay& overlay, Defaults& defaults, QString homeDirectory, QString appSupportDirectory,
                   QString configurationDirectory, QString launchAtLoginEntry, QObject* parent = nullptr);

    bool hasStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }

    // Starts the removal; returns at once. Later calls do nothing.
    void start();

    // Deletes a file, a folder with its contents, or a link (never what it points to). True when
    // nothing is left at the path, whether or not there was anything.
    static bool removeItem(const QString& path);
    using Removal = StoredFolderRemoval::Result;
    // The data folder (Folder::Data) or the configuration folder: only the application's entries go
    // from it, and it goes when nothing else is left in it. A link the user made there is followed
    // and stays; see StoredFolderRemoval::remove().
    static Removal removeStoredFolder(const QString& path, StoredFiles::Folder folder);

signals:
    // Emitted by start(), before any work: from now on nothing may write application data.
    void started();
    // `allRemoved` is false when an item that existed could not be deleted. `keptFolders` are
    // folders where files that are not the application's were left.
    void finished(bool allRemoved, const QStringList& keptFolders);

private:
    bool wipeUserDefaults();
    bool removeLegacyFiles();

    GameOverlay& m_overlay;
    Defaults& m_defaults;
    const QString m_home;
    const QString m_appSupport;
    const QString m_configuration;
    const QString m_launchAtLoginEntry;
    bool m_started = false;
    bool m_finished = false;
    LifeToken m_life;
};

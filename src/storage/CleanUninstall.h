#pragma once

#include "LifeToken.h"

#include <QObject>
#include <QStringList>

class Defaults;
class GameOverlay;

// Removes what the application keeps for the current user: the launch-at-log-in entry, the
// Application Support folder, the system-wide frame-limit settings, the application's defaults (their
// file, the copies of it set aside and its folder) and the files of earlier versions. Runs once;
// the overlay settings and folder deletions happen on the utility queue, the defaults and legacy files on
// the main thread.
class CleanUninstall : public QObject {
    Q_OBJECT
public:
    static const QStringList legacyKeys;
    // Relative to the home folder.
    static const QStringList legacyPaths;

    CleanUninstall(GameOverlay& overlay, Defaults& defaults, QString homeDirectory, QString appSupportDirectory,
                   QString launchAtLoginEntry, QObject* parent = nullptr);

    bool hasStarted() const { return m_started; }
    bool isFinished() const { return m_finished; }

    // Starts the removal; returns at once. Later calls do nothing.
    void start();

    // Deletes a file, a folder with its contents, or a link (never what it points to). True when
    // nothing is left at the path, whether or not there was anything.
    static bool removeItem(const QString& path);
    // Like removeItem(), but a link to a folder (kept in a dotfiles or synced folder, say) is
    // followed: what is in the folder goes, the link and the folder stay.
    static bool removeDataFolder(const QString& path);

signals:
    // Emitted by start(), before any work: from now on nothing may write application data.
    void started();
    // `allRemoved` is false when an item that existed could not be deleted.
    void finished(bool allRemoved);

private:
    bool wipeUserDefaults();
    bool removeLegacyFiles();

    GameOverlay& m_overlay;
    Defaults& m_defaults;
    const QString m_home;
    const QString m_appSupport;
    const QString m_launchAtLoginEntry;
    bool m_started = false;
    bool m_finished = false;
    LifeToken m_life;
};

#pragma once

#include "GameProfile.h"
#include "GameProfileFile.h"

#include "InstalledApplications.h"
#include "LifeToken.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class SystemOptimizer;
class Workspace;

// The per-game profiles: the built-in presets and the user's own, kept together in the profiles
// file. Finds the profile of a running game, applies profiles through the optimizer, applies the
// running game's profile again at every application launch once monitoring is on, and lists the
// installed games at creation and again whenever asked. Lives on the main thread; published state
// changes there only and is announced by changed().
class GameProfileManager : public QObject {
    Q_OBJECT
public:
    struct Options {
        // The profiles file; empty means "game_profiles.json" in the Application Support folder.
        QString profilesPath;
        // Where installed games are looked for; without it none are found.
        std::shared_ptr<InstalledApplications> installedApplications;
    };

    explicit GameProfileManager(Workspace& workspace, QObject* parent = nullptr);
    GameProfileManager(Workspace& workspace, Options options, QObject* parent = nullptr);

    static const QList<GameProfile>& presets();

    // Published state.
    const QList<GameProfile>& profiles() const { return m_profiles; }
    const std::optional<QString>& activeGameName() const { return m_activeGameName; }
    const std::optional<QString>& activatedProfileID() const { return m_activatedProfileID; }
    // The active profile was applied by a game's launch rather than by the user.
    bool appliedAutomatically() const { return m_appliedAutomatically; }
    const QStringList& installedGames() const { return m_installedGames; }
    // The ids of the presets, to tell them from the user's own profiles.
    const QSet<QString>& presetIDs() const { return m_presetIDs; }
    // The last change could not be saved, and the profiles went back to what is stored; cleared
    // by the next save that can.
    bool saveFailed() const { return m_saveFailed; }

    // The optimizer that launches apply profiles with; held weakly.
    void setOptimizer(SystemOptimizer* optimizer) { m_optimizer = optimizer; }
    SystemOptimizer* optimizer() const { return m_optimizer; }

    // The file's profiles; when it has none to give and the list is empty, the presets.
    void loadProfiles();
    // The first profile with that id.
    std::optional<GameProfile> profile(const QString& id) const;
    // Each change below is saved at once; one that cannot be saved is undone: the profiles are
    // then those a new start would find.
    // Replaces the first profile of the same id and saves; an unknown id changes nothing.
    void updateProfile(const GameProfile& profile);
    // Removes the profile at the index and saves; an index outside the list changes nothing.
    void deleteProfile(qsizetype index);
    // Appends a new profile and saves.
    void addProfile(const GameProfile& profile);
    // Forgets which profile was applied last; what applying it switched on stays on.
    void deactivateProfile();

    // The profile of the first running application, in the workspace's order, that belongs to any
    // profile; among its profiles, the first in list order.
    std::optional<GameProfile> detectRunningGame() const;
    // Marks the profile as active and asks the optimizer for its frame limit (a limit below 1
    // removes the global one), keep-awake, mute and Game Mode. Switches that are off undo nothing.
    void applyProfile(const GameProfile& profile, SystemOptimizer& optimizer, bool automatically = false);

    // From now on every application launch applies the running game's profile again. Registers once.
    void startLaunchMonitoring();
    void removeLaunchObserver();
    bool isMonitoringLaunches() const { return bool(m_launchObserver); }
    // Launches are monitored and one may apply a profile: a profile's game runs (then any launch
    // applies it again), is installed here, or has a profile the user made for it.
    bool awaitsGameLaunches() const;

    // From now on the profiles file is left alone: the application's data is about to be wiped.
    void suspendWrites() { m_writesSuspended = true; }

    // Looks for installed games in the background; installedGames() changes later, when the list
    // found differs. Also run when launch monitoring starts.
    void scanInstalledGames();

signals:
    void changed();

private:
    void handleAppLaunch();
    void noteGameRunning(bool running);
    void save();

    Workspace& m_workspace;
    GameProfileFile m_file;
    std::shared_ptr<InstalledApplications> m_installedApplications;
    QList<GameProfile> m_profiles;
    bool m_writesSuspended = false;
    bool m_saveFailed = false;
    std::optional<QString> m_activeGameName;
    std::optional<QString> m_activatedProfileID;
    bool m_appliedAutomatically = false;
    QStringList m_installedGames;
    QSet<QString> m_presetIDs;
    QPointer<SystemOptimizer> m_optimizer;
    QMetaObject::Connection m_launchObserver;
    QMetaObject::Connection m_endObserver;
    QMetaObject::Connection m_resumeObserver;
    bool m_scanning = false;
    bool m_scanAgain = false;
    bool m_scannedOnce = false;
    // A profile's game was running at the last look, at a launch or at an end.
    bool m_gameRunning = false;
    LifeToken m_life;
};

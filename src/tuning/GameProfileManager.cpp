#include "GameProfileManager.h"

#include "GameProfilePresets.h"
#include "InstalledGameScanner.h"
#include "SystemOptimizer.h"

#include "MainThread.h"
#include "StoredFiles.h"
#include "WorkQueues.h"
#include "Workspace.h"
#include "storage/FileManagerHelper.h"

#include <algorithm>
#include <utility>

namespace {

QString profilesPathOr(const QString& path)
{
    return path.isEmpty() ? FileManagerHelper::appSupportDirectory() + u'/' + StoredFiles::profiles : path;
}

} // namespace

GameProfileManager::GameProfileManager(Workspace& workspace, QObject* parent)
    : GameProfileManager(workspace, Options{}, parent)
{
}

GameProfileManager::GameProfileManager(Workspace& workspace, Options options, QObject* parent)
    : QObject(parent),
      m_workspace(workspace),
      m_file(profilesPathOr(options.profilesPath)),
      m_installedApplications(std::move(options.installedApplications)),
      m_presetIDs(GameProfilePresets::ids())
{
    loadProfiles();
    scanInstalledGames();
}

const QList<GameProfile>& GameProfileManager::presets()
{
    return GameProfilePresets::all();
}

void GameProfileManager::loadProfiles()
{
    if (const auto stored = m_file.load()) {
        m_profiles = *stored;
        emit changed();
        return;
    }
    if (m_profiles.isEmpty()) {
        m_profiles = presets();
        emit changed();
    }
}

std::optional<GameProfile> GameProfileManager::profile(const QString& id) const
{
    for (const GameProfile& candidate : m_profiles) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

void GameProfileManager::updateProfile(const GameProfile& profile)
{
    for (GameProfile& stored : m_profiles) {
        if (stored.id == profile.id) {
            stored = profile;
            save();
            return;
        }
    }
}

void GameProfileManager::deleteProfile(qsizetype index)
{
    if (index < 0 || index >= m_profiles.size())
        return;
    m_profiles.removeAt(index);
    save();
}

void GameProfileManager::addProfile(const GameProfile& profile)
{
    m_profiles.append(profile);
    save();
}

void GameProfileManager::deactivateProfile()
{
    if (!m_activatedProfileID && !m_activeGameName)
        return;
    m_activatedProfileID.reset();
    m_activeGameName.reset();
    emit changed();
}

void GameProfileManager::save()
{
    if (!m_writesSuspended) {
        m_saveFailed = !m_file.save(m_profiles);
        if (m_saveFailed)
            m_profiles = m_file.load().value_or(presets());
    }
    emit changed();
}

std::optional<GameProfile> GameProfileManager::detectRunningGame() const
{
    for (const RunningApplication& application : m_workspace.runningApplications()) {
        if (application.localizedName.isEmpty())
            continue;
        for (const GameProfile& candidate : m_profiles) {
            if (candidate.matches(application.localizedName, application.bundleIdentifier))
                return candidate;
        }
    }
    return std::nullopt;
}

void GameProfileManager::applyProfile(const GameProfile& profile, SystemOptimizer& optimizer, bool automatically)
{
    m_activatedProfileID = profile.id;
    m_appliedAutomatically = automatically;
    m_activeGameName = profile.name;
    emit changed();
    if (profile.frameLimit >= 1)
        optimizer.setFrameLimit(profile.frameLimit);
    else
        optimizer.removeFrameLimit();
    if (profile.enableAntiShut)
        optimizer.setAntiShut(true);
    if (profile.enableFocusMode)
        optimizer.setFocusMode(true);
    if (profile.autoActivateGameMode)
        optimizer.enableGameMode();
}

void GameProfileManager::startLaunchMonitoring()
{
    if (m_launchObserver)
        return;
    m_launchObserver = connect(&m_workspace, &Workspace::applicationLaunched, this, &GameProfileManager::handleAppLaunch);
    m_endObserver = connect(&m_workspace, &Workspace::applicationTerminated, this,
                            [this] { noteGameRunning(detectRunningGame().has_value()); });
    // Launches go unseen while the workspace is not watched. A game that started meanwhile is
    // treated as the launch it was; one that was running already is only noted.
    m_resumeObserver = connect(&m_workspace, &Workspace::watchingResumed, this, [this] {
        if (m_gameRunning)
            noteGameRunning(detectRunningGame().has_value());
        else
            handleAppLaunch();
    });
    noteGameRunning(detectRunningGame().has_value());
    // A game installed since the last look may be launched from now on.
    scanInstalledGames();
}

void GameProfileManager::removeLaunchObserver()
{
    disconnect(m_launchObserver);
    disconnect(m_endObserver);
    disconnect(m_resumeObserver);
    m_launchObserver = {};
    m_endObserver = {};
    m_resumeObserver = {};
}

bool GameProfileManager::awaitsGameLaunches() const
{
    if (!isMonitoringLaunches())
        return false;
    if (m_gameRunning || !m_installedGames.isEmpty())
        return true;
    return std::any_of(m_profiles.cbegin(), m_profiles.cend(),
                       [this](const GameProfile& profile) { return !m_presetIDs.contains(profile.id); });
}

void GameProfileManager::noteGameRunning(bool running)
{
    if (running == m_gameRunning)
        return;
    m_gameRunning = running;
    emit changed();
}

void GameProfileManager::handleAppLaunch()
{
    const auto running = detectRunningGame();
    noteGameRunning(running.has_value());
    if (!running)
        return;
    const auto current = profile(running->id);
    if (!current || !m_optimizer)
        return;
    applyProfile(*current, *m_optimizer, true);
}

void GameProfileManager::scanInstalledGames()
{
    if (!m_installedApplications)
        return;
    // One scan at a time; a request during one is served by another right after it, since the
    // running one may have listed the folders before the change that prompted the request.
    if (m_scanning) {
        m_scanAgain = true;
        return;
    }
    m_scanning = true;
    WorkQueues::utility().start([this, life = m_life.watch(), installed = m_installedApplications, profiles = m_profiles] {
        if (life.expired())
            return;
        const QStringList found = InstalledGameScanner::scan(installed->list(), profiles);
        MainThread::post(life, [this, found] {
            m_scanning = false;
            const bool differs = found != m_installedGames || !m_scannedOnce;
            m_scannedOnce = true;
            m_installedGames = found;
            if (differs)
                emit changed();
            if (std::exchange(m_scanAgain, false))
                scanInstalledGames();
        });
    });
}

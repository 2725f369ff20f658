#include "SystemOptimizer.h"

#include "GameDetector.h"
#include "GameProfilePresets.h"

#include "AppleScriptRunner.h"
#include "MainThread.h"
#include "ProcessRunner.h"
#include "WorkQueues.h"
#include "Workspace.h"

#include <QtConcurrent/QtConcurrentRun>

namespace {

const QString kPreventedSleep = QStringLiteral("Prevented display sleep during gameplay");
const QString kMuted = QStringLiteral("Muted system output for focus mode");
const QString kRaised = QStringLiteral("Raised priority for ");
const QString kLowered = QStringLiteral("Lowered priority for ");
const QString kRestoredGame = QStringLiteral("Restored game process priority");
const QString kRestoredBackground = QStringLiteral("Restored background process priority");
const QString kGameModeDisabled = QStringLiteral("Game Mode disabled");

// Calls the completion, if any, on the main thread.
void complete(const SystemOptimizer::StatusCompletion& completion, bool success, const QString& message)
{
    if (completion)
        MainThread::post([completion, success, message] { completion(success, message); });
}

QString games(qsizetype count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" game") : QStringLiteral(" games"));
}

// A few of the programs by name, sorted, the rest counted.
QString programList(QStringList programs)
{
    constexpr qsizetype named = 3;
    programs.sort();
    const qsizetype count = programs.size();
    if (count == 1)
        return programs.first();
    if (count <= named)
        return programs.first(count - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + programs.last();
    return programs.first(named).join(QStringLiteral(", ")) + QStringLiteral(" and ") + QString::number(count - named)
           + QStringLiteral(" more");
}

// "<programs> keeps its own <hud> settings", "keep their own" for several; with `which`, the
// same after ", which".
QString keepTheirOwn(const QStringList& programs, const QString& hud, bool which = false)
{
    return programList(programs) + (which ? QStringLiteral(", which") : QString())
           + (programs.size() == 1 ? QStringLiteral(" keeps its own ") : QStringLiteral(" keep their own ")) + hud
           + QStringLiteral(" settings");
}

// Games whose own settings decide their HUD (`kept`, by program) are neither claimed nor failures.
QString metalHUDMessage(const QString& hud, bool enabled, qsizetype changed, qsizetype failed, const QStringList& kept)
{
    if (changed == 0 && failed == 0) {
        return kept.isEmpty() ? QStringLiteral("No known game is installed to show ") + hud + QStringLiteral(" in.")
                              : hud + QStringLiteral(" not enabled: ") + keepTheirOwn(kept, hud) + '.';
    }
    if (changed == 0) {
        return enabled ? QStringLiteral("Could not enable ") + hud
                             + QStringLiteral(": the setting could not be written for any of the ") + games(failed)
                             + (kept.isEmpty() ? QString() : QStringLiteral(", and ") + keepTheirOwn(kept, hud)) + '.'
                       : QStringLiteral("Could not disable ") + hud
                             + QStringLiteral(": the setting could not be removed for any of the ") + games(failed) + '.';
    }
    const QString restart = QStringLiteral(" RESTART the game to see the HUD.");
    const QString keptOut = kept.isEmpty() ? QString() : QStringLiteral(", not for ") + keepTheirOwn(kept, hud, true);
    if (failed == 0) {
        return enabled ? hud + QStringLiteral(" enabled for ") + games(changed) + keptOut + '.' + restart
                       : hud + QStringLiteral(" disabled for all known games.");
    }
    const QString rest = QStringLiteral("; ") + QString::number(failed) + QStringLiteral(" could not be changed");
    return enabled ? hud + QStringLiteral(" enabled for ") + games(changed) + keptOut + rest + '.' + restart
                   : hud + QStringLiteral(" disabled for ") + games(changed) + rest + '.';
}

// Names the programs a limit does not reach, a few of them by name.
QString frameLimitMessage(qint64 limit, const QStringList& unaffected, const QString& hud)
{
    const QString limited = QStringLiteral("FPS limited to ") + QString::number(limit);
    if (unaffected.isEmpty())
        return limited;
    return limited + QStringLiteral(" except in ") + keepTheirOwn(unaffected, hud, true);
}

} // namespace

const QStringList& SystemOptimizer::backgroundApplications()
{
    static const QStringList names = {
        "Safari", "Google Chrome", "Chrome", "Discord", "Slack", "Spotify", "Teams", "zoom.us",
    };
    return names;
}

const QStringList& SystemOptimizer::quickBoostQuitList()
{
    static const QStringList names = {
        "Discord",  "Slack",        "Spotify",  "Dropbox", "Steam Helper",
        "Google Drive", "OneDrive", "Box",      "Transmission", "qbittorrent",
        "uTorrent", "Skype",        "Zoom",     "Teams",   "Telegram",
    };
    return names;
}

SystemOptimizer::SystemOptimizer(const Services& services, QObject* parent)
    : SystemOptimizer(services, Timing{}, parent)
{
}

SystemOptimizer::SystemOptimizer(const Services& services, const Timing& timing, QObject* parent)
    : QObject(parent),
      m_workspace(services.workspace),
      m_runner(services.runner),
      m_scripts(services.scripts),
      m_overlay(services.overlay),
      m_backends(services.backends),
      m_freeMemory(services.host),
      m_priorities(services.processes),
      m_keepAwake(*services.backends.sleep, timing.keepAwakeMinute)
{
    m_autoHealTimer.setInterval(timing.autoHealInterval);
    connect(&m_autoHealTimer, &QTimer::timeout, this, &SystemOptimizer::autoHealTick);
    connect(&m_keepAwake, &KeepAwake::ended, this, [this] { publish(m_antiShutEnabled, false); });
    // The workspace's first reading may still be under way while the window is built; it is looked
    // at on a worker, so that the window need not wait for it. Any detection published before it
    // ends is newer than what it read, and is kept.
    m_firstDetection = QtConcurrent::run(&WorkQueues::utility(), [this, life = m_life.watch()] {
        const QList<RunningAppInfo> games = GameDetector::gamesAmong(m_workspace.runningApplications());
        MainThread::post(life, [this, games] {
            if (!m_gamesPublished)
                publishGames(games);
        });
    });
}

SystemOptimizer::~SystemOptimizer()
{
    // The worker reads the borrowed workspace, which may go right after this optimizer.
    m_firstDetection.waitForFinished();
}

template <typename T>
void SystemOptimizer::publish(T& field, T value)
{
    if (field == value)
        return;
    field = std::move(value);
    emit changed();
}

void SystemOptimizer::setLastOptimizationReport(std::optional<OptimizationReport> report)
{
    publish(m_lastOptimizationReport, std::move(report));
}

void SystemOptimizer::detectRunningGames()
{
    publishDetectedGames(GameDetector::gamesAmong(m_workspace.runningApplications()));
}

void SystemOptimizer::publishDetectedGames(const QList<RunningAppInfo>& games)
{
    MainThread::post(m_life.watch(), [this, games] { publishGames(games); });
}

void SystemOptimizer::publishGames(const QList<RunningAppInfo>& games)
{
    m_gamesPublished = true;
    publish(m_detectedGames, games);
}

std::optional<RunningApplication> SystemOptimizer::targetGameApp(std::optional<qint32> pid)
{
    const QList<RunningApplication> running = m_workspace.runningApplications();
    if (pid) {
        for (const RunningApplication& application : running) {
            if (application.processIdentifier == *pid)
                return application;
        }
    }
    // The choice is made from this fresh list, not from the one published before.
    const QList<RunningAppInfo> games = GameDetector::gamesAmong(running);
    publishDetectedGames(games);
    if (const auto front = m_workspace.frontmostApplication()) {
        for (const RunningAppInfo& game : games) {
            if (game.id == front->processIdentifier)
                return front;
        }
    }
    if (games.isEmpty())
        return std::nullopt;
    for (const RunningApplication& application : running) {
        if (application.processIdentifier == games.first().id)
            return application;
    }
    return std::nullopt;
}

void SystemOptimizer::enableGameMode(std::optional<qint32> pid, GameModeCompletion completion)
{
    detectRunningGames();
    const auto before = m_freeMemory.gigabytes();
    QStringList actions;

    if (changeMute(true))
        actions.append(kMuted);

    const auto game = targetGameApp(pid);
    if (game && m_priorities.apply(game->identity(), gamePriority, PriorityLedger::Change::Boosted))
        actions.append(kRaised + (game->localizedName.isEmpty() ? QStringLiteral("game") : game->localizedName));

    for (const RunningApplication& application : m_workspace.runningApplications()) {
        if (application.localizedName.isEmpty() || !backgroundApplications().contains(application.localizedName)
            || application.processIdentifier < 1
            || (game && application.processIdentifier == game->processIdentifier))
            continue;
        if (m_priorities.apply(application.identity(), backgroundPriority, PriorityLedger::Change::Throttled))
            actions.append(kLowered + application.localizedName);
    }

    const auto after = m_freeMemory.gigabytes();
    const auto reclaimed = before && after ? std::optional(FreeMemory::growth(before, after)) : std::nullopt;
    // The report waits for the system's answer about keep-awake, which its first line depends on.
    m_keepAwake.start(std::nullopt, [this, actions, reclaimed,
                                     completion = std::move(completion)](bool awake, const QString&) mutable {
        if (awake) {
            publish(m_antiShutEnabled, true);
            actions.prepend(kPreventedSleep);
        }
        const bool tookEffect = !actions.isEmpty();
        if (tookEffect) {
            publish(m_gameModeEnabled, true);
            setLastOptimizationReport(OptimizationReport{QStringLiteral("Game Mode enabled"), actions, reclaimed});
        }
        if (completion)
            completion(tookEffect, actions);
    });
}

void SystemOptimizer::disableGameMode(GameModeOffCompletion completion)
{
    QStringList actions;
    for (int i = m_priorities.restore(PriorityLedger::Change::Boosted); i > 0; --i)
        actions.append(kRestoredGame);
    for (int i = m_priorities.restore(PriorityLedger::Change::Throttled); i > 0; --i)
        actions.append(kRestoredBackground);
    setAntiShut(false);
    setFocusMode(false);
    publish(m_gameModeEnabled, false);
    actions.append(kGameModeDisabled);
    setLastOptimizationReport(OptimizationReport{QStringLiteral("Game Mode disabled"), actions, std::nullopt});
    if (completion)
        completion(actions);
}

void SystemOptimizer::setAntiShut(bool enabled, std::optional<int> minutes,
                                  std::function<void(const QString& message)> refused)
{
    if (enabled) {
        // Published once the system has answered.
        m_keepAwake.start(minutes, [this, refused = std::move(refused)](bool running, const QString& problem) {
            if (running)
                publish(m_antiShutEnabled, true);
            else if (!problem.isEmpty() && refused)
                refused(QStringLiteral("Could not switch Anti Shut on: ") + problem);
        });
        return;
    }
    m_keepAwake.stop();
    publish(m_antiShutEnabled, false);
}

void SystemOptimizer::setFocusMode(bool enabled)
{
    changeMute(enabled);
}

bool SystemOptimizer::changeMute(bool muted)
{
    const auto result = m_scripts.run(muted ? AppleScriptRunner::muteOutputScript
                                            : AppleScriptRunner::unmuteOutputScript);
    if (result.succeeded)
        publish(m_focusModeEnabled, muted);
    return result.succeeded;
}

QStringList SystemOptimizer::knownGameBundleIDs() const
{
    QSet<QString> bundles = GameProfilePresets::bundleIDs();
    for (const RunningAppInfo& game : m_detectedGames) {
        if (!game.bundleIdentifier.isEmpty())
            bundles.insert(game.bundleIdentifier);
    }
    return QStringList(bundles.cbegin(), bundles.cend());
}

void SystemOptimizer::publishFrameLimit(std::optional<qint64> limit)
{
    const bool active = limit.has_value();
    const qint64 value = limit.value_or(0);
    if (m_frameLimitActive == active && m_frameLimitValue == value)
        return;
    m_frameLimitActive = active;
    m_frameLimitValue = value;
    emit changed();
}

void SystemOptimizer::refreshFrameLimit()
{
    WorkQueues::utility().start([this, life = m_life.watch(), &overlay = m_overlay] {
        const auto limit = overlay.readFrameLimit();
        MainThread::post(life, [this, limit] { publishFrameLimit(limit); });
    });
}

void SystemOptimizer::setFrameLimit(qint64 limit, StatusCompletion completion)
{
    m_overlayWrites.start(WorkQueues::userInitiated(), [this, life = m_life.watch(), &overlay = m_overlay, limit,
                                                        completion = std::move(completion)] {
        const GameOverlay::Change write = overlay.writeFrameLimit(limit);
        if (!write.done())
            return complete(completion, false, write.message);
        MainThread::post([this, life, inForce = write.limitInForce, completion,
                          message = frameLimitMessage(limit, write.unaffectedPrograms, overlay.hudName())] {
            if (life.lock())
                publishFrameLimit(inForce);
            if (completion)
                completion(true, message);
        });
    });
}

void SystemOptimizer::removeFrameLimit(StatusCompletion completion)
{
    m_overlayWrites.start(WorkQueues::userInitiated(), [this, life = m_life.watch(), &overlay = m_overlay,
                                                        completion = std::move(completion)] {
        const GameOverlay::Change removal = overlay.removeFrameLimit();
        if (!removal.done())
            return complete(completion, false, removal.message);
        // A limit of the user's that ours had replaced holds again, and is what the screen shows.
        MainThread::post([this, life, inForce = removal.limitInForce, completion] {
            if (life.lock())
                publishFrameLimit(inForce);
            if (completion)
                completion(true, QStringLiteral("Frame limit removed"));
        });
    });
}

void SystemOptimizer::setMetalHUD(bool enabled, StatusCompletion completion)
{
    m_overlayWrites.start(WorkQueues::userInitiated(), [this, life = m_life.watch(), &overlay = m_overlay,
                                                        bundles = knownGameBundleIDs(), enabled,
                                                        completion = std::move(completion)] {
        if (life.expired())
            return;
        if (const auto missing = overlay.unavailableReason()) {
            complete(completion, false, *missing);
            return;
        }
        QStringList changed;
        QStringList failed;
        const GameOverlay::HUDWrites writes = overlay.writeHUDs(bundles, enabled);
        for (qsizetype i = 0; i < bundles.size() && i < writes.games.size(); ++i) {
            if (writes.games[i] == GameOverlay::HUDWrite::Done)
                changed.append(bundles[i]);
            else if (writes.games[i] == GameOverlay::HUDWrite::Failed)
                failed.append(bundles[i]);
        }
        MainThread::post([this, life, enabled, changed, failed, kept = writes.unaffectedPrograms, completion,
                          hud = overlay.hudName()] {
            if (life.lock())
                finishMetalHUD(enabled, changed, failed);
            if (completion)
                completion(!changed.isEmpty(), metalHUDMessage(hud, enabled, changed.size(), failed.size(), kept));
        });
    });
}

void SystemOptimizer::finishMetalHUD(bool enabled, const QStringList& changed, const QStringList& failed)
{
    // Every write is recorded, even a failed one, so that the clean-up tries to undo it; a default
    // whose removal failed stays recorded for the same reason.
    for (const QString& bundle : changed) {
        if (enabled)
            m_metalHUDBundleIDs.insert(bundle);
        else
            m_metalHUDBundleIDs.remove(bundle);
    }
    if (enabled) {
        for (const QString& bundle : failed)
            m_metalHUDBundleIDs.insert(bundle);
    }
    if (!changed.isEmpty())
        publish(m_metalHUDEnabled, enabled);
}

void SystemOptimizer::refreshCurrentDNS()
{
    WorkQueues::utility().start([this, life = m_life.watch(), backends = m_backends] {
        if (life.expired())
            return;
        const auto servers = DnsSwitcher(*backends.dns, *backends.dnsProbe).configuredServers();
        if (servers)
            MainThread::post(life, [this, servers] { publish(m_currentDNS, *servers); });
    });
}

void SystemOptimizer::setDNS(const QString& provider, StatusCompletion completion)
{
    changeDNS([provider](DnsSwitcher& dns) { return dns.switchTo(provider); }, std::move(completion));
}

void SystemOptimizer::resetDNS(StatusCompletion completion)
{
    changeDNS([](DnsSwitcher& dns) { return dns.reset(); }, std::move(completion));
}

void SystemOptimizer::changeDNS(std::function<DnsSwitcher::Result(DnsSwitcher&)> change, StatusCompletion completion)
{
    // One change at a time, in the order asked for: a reset asked for while a switch runs comes
    // after it, so the servers end as the last request leaves them, and a change that fails and
    // puts the settings back never undoes another's.
    m_dnsChanges.append([this, change = std::move(change), completion = std::move(completion)] {
        WorkQueues::userInitiated().start([this, life = m_life.watch(), backends = m_backends, change, completion] {
            if (life.expired())
                return;
            DnsSwitcher dns(*backends.dns, *backends.dnsProbe);
            const DnsSwitcher::Result result = change(dns);
            if (result.succeeded)
                MainThread::post(life, [this] { refreshCurrentDNS(); });
            complete(completion, result.succeeded, result.message);
            MainThread::post(life, [this] {
                m_dnsChanges.removeFirst();
                if (!m_dnsChanges.isEmpty())
                    m_dnsChanges.constFirst()();
            });
        });
    });
    if (m_dnsChanges.size() == 1)
        m_dnsChanges.constFirst()();
}

double SystemOptimizer::freeMemoryGB() const
{
    return m_freeMemory.gigabytes().value_or(0.0);
}

void SystemOptimizer::purgeRAM(PurgeCompletion completion)
{
    WorkQueues::userInitiated().start([this, life = m_life.watch(), purger = m_backends.memory, memory = m_freeMemory,
                                       completion = std::move(completion)] {
        const auto fail = [&completion](const QString& message) {
            MainThread::post([completion, message] { completion(false, message, 0.0); });
        };
        if (life.expired())
            return fail(QStringLiteral("Failed"));
        const auto before = memory.gigabytes();
        const MemoryPurger::Outcome purge = purger->purge();
        if (purge.kind == MemoryPurger::Outcome::Kind::Failed)
            return fail(QStringLiteral("Purge command failed: ") + purge.error);
        if (purge.kind == MemoryPurger::Outcome::Kind::NotPermitted)
            return fail(QStringLiteral("Purge command was not permitted on this computer."));
        const auto after = memory.gigabytes();
        const double freed = FreeMemory::growth(before, after);
        const auto reclaimed = before && after ? std::optional(freed) : std::nullopt;
        const QString message = freed > 0 ? QString::asprintf("Purged %.2f GB of inactive memory", freed)
                                          : QStringLiteral("Memory already optimized");
        MainThread::post([this, life, reclaimed, freed, message, completion] {
            if (life.lock()) {
                setLastOptimizationReport(OptimizationReport{
                    QStringLiteral("Purge RAM"), {QStringLiteral("Ran purge command to free inactive memory pages")},
                    reclaimed});
            }
            completion(true, message, freed);
        });
    });
}

void SystemOptimizer::setAutoHealEnabled(bool enabled)
{
    publish(m_autoHealEnabled, enabled);
    if (enabled)
        startAutoHeal();
    else
        m_autoHealTimer.stop();
}

void SystemOptimizer::startAutoHeal()
{
    m_autoHealTimer.stop();
    publish(m_autoHealMessage, QStringLiteral("Monitoring\u2026"));
    m_autoHealTimer.start();
}

void SystemOptimizer::autoHealTick()
{
    if (!m_autoHealEnabled)
        return;
    // An unreadable amount is not a low one.
    const auto free = m_freeMemory.gigabytes();
    if (!free || *free >= autoHealThresholdGB)
        return;
    purgeRAM([this, life = m_life.watch()](bool success, const QString& message, double freedGB) {
        const QString text = success ? QString::asprintf("Healed: %.2f GB freed", freedGB) : message;
        MainThread::post(life, [this, text] { publish(m_autoHealMessage, text); });
    });
}

bool SystemOptimizer::flushDNSCache()
{
    return flushDNSCache(*m_backends.dnsCache);
}

bool SystemOptimizer::flushDNSCache(DnsCacheFlusher& flusher)
{
    return flusher.flush();
}

int SystemOptimizer::terminateJunkProcesses()
{
    return terminateJunkProcesses(m_workspace);
}

int SystemOptimizer::terminateJunkProcesses(Workspace& workspace)
{
    int count = 0;
    for (const RunningApplication& application : workspace.runningApplications()) {
        if (application.localizedName.isEmpty() || !quickBoostQuitList().contains(application.localizedName)
            || application.processIdentifier < 1 || application.isTerminated)
            continue;
        if (workspace.requestQuit(application))
            ++count;
    }
    return count;
}

void SystemOptimizer::quickBoost(QuickBoostCompletion completion)
{
    quickBoostTask()(std::move(completion));
}

std::function<void(SystemOptimizer::QuickBoostCompletion)> SystemOptimizer::quickBoostTask() const
{
    // The task keeps the services, which outlive the optimizer, and a copy of the memory reader;
    // nothing of the optimizer itself.
    return [&workspace = m_workspace, backends = m_backends, memory = m_freeMemory](QuickBoostCompletion completion) {
        using Action = QuickBoostResult::QuickBoostAction;
        QuickBoostResult result;

        const bool flushed = flushDNSCache(*backends.dnsCache);
        // Read after the flush: a resolver that answers slowly leaves time for other processes to
        // free memory, which is not the boost's doing.
        const auto before = memory.gigabytes();
        result.actions.append(Action{.icon = QStringLiteral("network"),
                                     .label = flushed ? QStringLiteral("DNS cache flushed")
                                                      : QStringLiteral("DNS cache flush failed"),
                                     .success = flushed});

        const int quit = terminateJunkProcesses(workspace);
        if (quit < 1) {
            result.actions.append(Action{.icon = QStringLiteral("checkmark.circle"),
                                         .label = QStringLiteral("No junk processes running"),
                                         .success = true});
        } else {
            result.actions.append(Action{.icon = QStringLiteral("xmark.circle"),
                                         .label = QStringLiteral("Terminated %1 junk process%2")
                                                      .arg(quit)
                                                      .arg(quit == 1 ? QString() : QStringLiteral("es")),
                                         .success = true});
        }

        // Memory the quit applications gave back counts as freed even when the purge itself failed.
        // When neither the purge ran nor an application quit, nothing of ours freed memory: what grew
        // meanwhile is other processes' doing and is not claimed.
        const bool purged = backends.memory->purge().purged();
        result.ramFreed = purged || quit > 0 ? FreeMemory::growth(before, memory.gigabytes()) : 0.0;
        Action action{.icon = QStringLiteral("memorychip"), .label = {}, .success = result.ramFreed > 0 || purged};
        if (result.ramFreed > 0)
            action.label = QString::asprintf("Freed %.2f GB of inactive memory", result.ramFreed);
        else if (purged)
            action.label = QStringLiteral("Memory already optimized");
        else
            action.label = QStringLiteral("Memory purge unavailable on this computer");
        result.actions.append(action);

        MainThread::post([completion = std::move(completion), result] { completion(result); });
    };
}

void SystemOptimizer::startGameLaunchObserver()
{
    if (m_gameLaunchObserver)
        return;
    m_gameLaunchObserver = connect(&m_workspace, &Workspace::applicationLaunched, this,
                                   &SystemOptimizer::handleGameLaunch);
}

void SystemOptimizer::stopGameLaunchObserver()
{
    if (!m_gameLaunchObserver)
        return;
    disconnect(m_gameLaunchObserver);
    m_gameLaunchObserver = {};
}

void SystemOptimizer::handleGameLaunch(const RunningApplication& application)
{
    if (application.localizedName.isEmpty() || application.processIdentifier < 1
        || !GameDetector::isGame(application.localizedName, application.bundleIdentifier))
        return;
    const QString bundle = application.bundleIdentifier;
    if (m_metalHUDEnabled && !bundle.isEmpty() && !m_metalHUDBundleIDs.contains(bundle)) {
        m_overlayWrites.start(WorkQueues::utility(), [this, life = m_life.watch(), &overlay = m_overlay, bundle] {
            overlay.writeHUD(bundle, true);
            MainThread::post(life, [this, bundle] { m_metalHUDBundleIDs.insert(bundle); });
        });
    }
    if (m_isAutoOptimizeEnabled)
        enableGameMode(application.processIdentifier);
}

void SystemOptimizer::cleanup()
{
    stopGameLaunchObserver();
    m_autoHealTimer.stop();
    m_keepAwake.stop();
    m_overlayWrites.finish();
    m_overlay.removeOwnSettings(m_frameLimitActive,
                                QStringList(m_metalHUDBundleIDs.cbegin(), m_metalHUDBundleIDs.cend()));
    m_metalHUDBundleIDs.clear();
    m_priorities.restore(PriorityLedger::Change::Boosted);
    m_priorities.restore(PriorityLedger::Change::Throttled);
    publish(m_gameModeEnabled, false);
    publish(m_antiShutEnabled, false);
}

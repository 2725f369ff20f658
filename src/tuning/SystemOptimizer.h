#pragma once

#include "DnsSwitcher.h"
#include "FreeMemory.h"
#include "KeepAwake.h"
#include "OverlayWrites.h"
#include "OptimizationReport.h"
#include "PriorityLedger.h"
#include "QuickBoostResult.h"
#include "RunningAppInfo.h"

#include "GameOverlay.h"
#include "LifeToken.h"
#include "RunningApplication.h"
#include "TuningBackends.h"

#include <QFuture>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class AppleScriptRunner;
class HostStatistics;
class ProcessControl;
class ProcessRunner;
class Workspace;

// The tuning engine: running-game detection, Game Mode, keep-awake, mute, memory purge, auto-heal,
// Quick Boost, the Metal frame limit and HUD, DNS switching, the game-launch observer and the
// clean-up at quit. Lives on the main thread; its
// published state changes there only and is announced by changed(). Every completion is called
// exactly once, on the main thread. The services it is given must outlive it and its background work.
class SystemOptimizer : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool antiShutEnabled READ antiShutEnabled NOTIFY changed)
    Q_PROPERTY(bool focusModeEnabled READ focusModeEnabled NOTIFY changed)
    Q_PROPERTY(bool metalHUDEnabled READ metalHUDEnabled NOTIFY changed)
    Q_PROPERTY(bool gameModeEnabled READ gameModeEnabled NOTIFY changed)
    Q_PROPERTY(bool autoHealEnabled READ autoHealEnabled WRITE setAutoHealEnabled NOTIFY changed)
    Q_PROPERTY(QString autoHealMessage READ autoHealMessage NOTIFY changed)
    Q_PROPERTY(bool frameLimitActive READ frameLimitActive NOTIFY changed)
    Q_PROPERTY(qint64 frameLimitValue READ frameLimitValue NOTIFY changed)
    Q_PROPERTY(QStringList currentDNS READ currentDNS NOTIFY changed)

public:
    using RunningAppInfo = ::RunningAppInfo;
    using OptimizationReport = ::OptimizationReport;
    using QuickBoostResult = ::QuickBoostResult;

    using GameModeCompletion = std::function<void(bool success, const QStringList& actions)>;
    using GameModeOffCompletion = std::function<void(const QStringList& actions)>;
    using PurgeCompletion = std::function<void(bool success, const QString& message, double freedGB)>;
    using QuickBoostCompletion = std::function<void(const QuickBoostResult& result)>;
    using StatusCompletion = std::function<void(bool success, const QString& message)>;

    struct Services {
        Workspace& workspace;
        ProcessControl& processes;
        ProcessRunner& runner;
        AppleScriptRunner& scripts;
        HostStatistics& host;
        GameOverlay& overlay;
        // Keep-awake, the memory purge, the DNS cache flush and the DNS servers.
        const TuningBackends& backends;
    };
    struct Timing {
        std::chrono::milliseconds autoHealInterval{30'000};
        // One minute of the keep-awake expiry.
        std::chrono::milliseconds keepAwakeMinute{60'000};
    };

    static constexpr int gamePriority = -10;
    static constexpr int backgroundPriority = 10;
    static constexpr double autoHealThresholdGB = 1.5;
    // Matched exactly against application names.
    static const QStringList& backgroundApplications();
    static const QStringList& quickBoostQuitList();

    explicit SystemOptimizer(const Services& services, QObject* parent = nullptr);
    SystemOptimizer(const Services& services, const Timing& timing, QObject* parent = nullptr);
    ~SystemOptimizer() override;

    // Published state.
    bool antiShutEnabled() const { return m_antiShutEnabled; }
    bool focusModeEnabled() const { return m_focusModeEnabled; }
    bool metalHUDEnabled() const { return m_metalHUDEnabled; }
    const QList<RunningAppInfo>& detectedGames() const { return m_detectedGames; }
    bool gameModeEnabled() const { return m_gameModeEnabled; }
    const std::optional<OptimizationReport>& lastOptimizationReport() const { return m_lastOptimizationReport; }
    void setLastOptimizationReport(std::optional<OptimizationReport> report);
    bool autoHealEnabled() const { return m_autoHealEnabled; }
    // Every assignment, also of the same value, starts auto-heal afresh or stops it.
    void setAutoHealEnabled(bool enabled);
    const QString& autoHealMessage() const { return m_autoHealMessage; }
    bool frameLimitActive() const { return m_frameLimitActive; }
    // 0 whenever frameLimitActive() is false.
    qint64 frameLimitValue() const { return m_frameLimitValue; }
    // The DNS servers of the active network service as last read; empty for automatic servers.
    const QStringList& currentDNS() const { return m_currentDNS; }
    static const QMap<QString, QStringList>& dnsProviders() { return DnsSwitcher::providers(); }

    // The app setting: when on, a game launch turns Game Mode on for that game.
    bool isAutoOptimizeEnabled() const { return m_isAutoOptimizeEnabled; }
    void setAutoOptimizeEnabled(bool enabled) { m_isAutoOptimizeEnabled = enabled; }

    // What Game Mode changed, and the HUD defaults written, for the clean-up.
    QSet<qint32> boostedPIDs() const { return m_priorities.processIds(PriorityLedger::Change::Boosted); }
    QSet<qint32> throttledPIDs() const { return m_priorities.processIds(PriorityLedger::Change::Throttled); }
    const QSet<QString>& metalHUDBundleIDs() const { return m_metalHUDBundleIDs; }
    std::optional<std::chrono::milliseconds> keepAwakeExpiry() const { return m_keepAwake.expiry(); }

    // Scans now; detectedGames() changes on the main thread a moment later.
    void detectRunningGames();
    void startGameLaunchObserver();
    void stopGameLaunchObserver();
    // The launch observer is on and a game's launch would change something: auto-optimise or the
    // HUD switch is on.
    bool awaitsGameLaunches() const
    {
        return bool(m_gameLaunchObserver) && (m_isAutoOptimizeEnabled || m_metalHUDEnabled);
    }
    // On: starts keep-awake unless it runs; a count of minutes of 1 or more schedules its end.
    // `refused`, when given, gets the message that says why, when the system gives no hold.
    void setAntiShut(bool enabled, std::optional<int> minutes = std::nullopt,
                     std::function<void(const QString& message)> refused = {});
    // Mutes or unmutes the sound output; focusModeEnabled() follows when that succeeded.
    void setFocusMode(bool enabled);
    // What the user knows the forced HUD as on this system.
    QString hudName() const { return m_overlay.hudName(); }
    // The bundle identifiers of the built-in profiles and of the detected games, once each.
    QStringList knownGameBundleIDs() const;

    // The frame limit. Each reads or changes the system's setting in the background and publishes
    // what it learnt; set and remove report through the completion.
    void refreshFrameLimit();
    void setFrameLimit(qint64 limit, StatusCompletion completion = {});
    void removeFrameLimit(StatusCompletion completion = {});
    // Forces the HUD on or off for every known game. Fails when the HUD cannot be had on this
    // machine, or no game's setting could be changed; a partial failure is counted in the message,
    // and a game this machine does not have is left out. Nothing happens (and no completion comes)
    // when the optimizer is gone before the work starts.
    void setMetalHUD(bool enabled, StatusCompletion completion = {});

    // DNS servers of the active network service. The switch and the reset need the system's
    // authorisation, which may ask the user; like the refresh, they do nothing once the optimizer is
    // gone before they start. Switches and resets run one after another in the order they are
    // asked for; ask on the main thread.
    void refreshCurrentDNS();
    void setDNS(const QString& provider, StatusCompletion completion = {});
    void resetDNS(StatusCompletion completion = {});
    void purgeRAM(PurgeCompletion completion);
    // The given process when it runs; else the frontmost game; else the first game by name.
    std::optional<RunningApplication> targetGameApp(std::optional<qint32> pid);
    void startAutoHeal();
    // At quit: lets the frame-limit and HUD writes already asked for finish, then takes back what
    // this run changed.
    void cleanup();

    // Turning on completes, on the main thread, once the system has answered about keep-awake;
    // turning off runs synchronously and completes before it returns.
    void enableGameMode(std::optional<qint32> pid = std::nullopt, GameModeCompletion completion = {});
    void disableGameMode(GameModeOffCompletion completion = {});

    // 0.0 when the reading fails.
    double freeMemoryGB() const;
    // These three block while the system works: call them off the main thread.
    bool flushDNSCache();
    int terminateJunkProcesses();
    // Blocks like them; the completion comes on the main thread. Once started, the boost touches
    // nothing of the optimizer, which may be destroyed while it runs.
    void quickBoost(QuickBoostCompletion completion);
    // The same boost as a task to run later on any thread, taken on the main thread while the
    // optimizer exists: a caller that hands the boost to a worker cannot find the optimizer gone
    // before the boost starts.
    std::function<void(QuickBoostCompletion)> quickBoostTask() const;

signals:
    void changed();

protected:
    // Kept by the frame-limit and HUD operations; read by the launch observer and the clean-up.
    bool m_metalHUDEnabled = false;
    bool m_frameLimitActive = false;
    QSet<QString> m_metalHUDBundleIDs;

private:
    template <typename T>
    void publish(T& field, T value);
    void publishFrameLimit(std::optional<qint64> limit);
    void finishMetalHUD(bool enabled, const QStringList& changed, const QStringList& failed);
    void changeDNS(std::function<DnsSwitcher::Result(DnsSwitcher&)> change, StatusCompletion completion);
    void publishDetectedGames(const QList<RunningAppInfo>& games);
    void publishGames(const QList<RunningAppInfo>& games);
    bool changeMute(bool muted);
    void handleGameLaunch(const RunningApplication& application);
    void autoHealTick();
    static bool flushDNSCache(DnsCacheFlusher& flusher);
    static int terminateJunkProcesses(Workspace& workspace);

    Workspace& m_workspace;
    ProcessRunner& m_runner;
    AppleScriptRunner& m_scripts;
    GameOverlay& m_overlay;
    TuningBackends m_backends;
    FreeMemory m_freeMemory;
    PriorityLedger m_priorities;
    KeepAwake m_keepAwake;
    OverlayWrites m_overlayWrites;

    bool m_antiShutEnabled = false;
    bool m_focusModeEnabled = false;
    QList<RunningAppInfo> m_detectedGames;
    bool m_gamesPublished = false;
    bool m_gameModeEnabled = false;
    std::optional<OptimizationReport> m_lastOptimizationReport;
    bool m_autoHealEnabled = false;
    QString m_autoHealMessage;
    bool m_isAutoOptimizeEnabled = false;
    qint64 m_frameLimitValue = 0;
    QStringList m_currentDNS;
    // The DNS changes asked for; the first one runs.
    QList<std::function<void()>> m_dnsChanges;
    QMetaObject::Connection m_gameLaunchObserver;
    QTimer m_autoHealTimer;
    LifeToken m_life;
    QFuture<void> m_firstDetection;
};

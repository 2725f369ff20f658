#pragma once

#include "AppScreen.h"
#include "AppStateManager.h"
#include "PlatformServices.h"
#include "ScreenServices.h"
#include "screens/menubar/MenuBarCompanion.h"
#include "cleanup/DiskScanner.h"
#include "storage/CleanUninstall.h"
#include "storage/LaunchAgent.h"
#include "storage/SettingsStore.h"
#include "telemetry/NetworkMonitor.h"
#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"
#include "tuning/GameProfileManager.h"
#include "tuning/SystemOptimizer.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class AfterPaint;
class AnimatedBackground;
class QVBoxLayout;
class ScreenStrip;

// The root view of the window. It owns every long-lived service, created here in a fixed order
// and kept for the life of the window; it shows the welcome screen or the screen strip with the
// selected screen over the animated backdrop, runs the start sequence once its first frame is on
// screen (or, for a window that is shown but not painted, shortly after it is shown), checks once a minute for a due scheduled cleanup, and stops the services at quit.
class ContentView : public QWidget {
    Q_OBJECT
public:
    static constexpr int cleanupCheckIntervalMs = 60'000;
    static constexpr int quitDelayMs = 1'000;
    // How long the start sequence waits for the first frame of a shown window.
    static constexpr int firstFrameWaitMs = 1'000;

    explicit ContentView(const PlatformServices& platform, QWidget* parent = nullptr);
    ~ContentView() override;

    AppStateManager& stateManager() { return m_stateManager; }
    AppScreen selectedScreen() const { return m_selectedScreen; }
    ScreenServices screenServices();
    QWidget* detailView() const { return m_detail; }
    const QTimer& cleanupTimer() const { return m_cleanupTimer; }
    bool hasBootstrapped() const { return m_hasBootstrapped; }
    SystemMonitor& monitor() { return m_monitor; }
    SystemOptimizer& optimizer() { return m_optimizer; }
    SessionLogger& sessionLogger() { return m_sessionLogger; }
    NetworkMonitor& networkMonitor() { return m_networkMonitor; }
    MenuBarCompanion& menuBarCompanion() { return m_menuBarCompanion; }
    GameProfileManager& gameProfileManager() { return m_gameProfileManager; }

    void selectScreen(AppScreen screen);
    // The action of "Get Started".
    void completeSetup();
    // The minute check, for the given moment.
    void checkScheduledCleanup(const QDateTime& now);
    // Stops what the services run; safe to call more than once.
    void shutdownServices();
    // Tests shorten the pause between the end of the clean uninstall and the quit.
    void setQuitDelay(int ms) { m_quitDelayMs = ms; }
    // Tests shorten the wait for a first frame that does not come.
    void setFirstFrameWait(int ms) { m_bootstrapTimer.setInterval(ms); }

signals:
    // The start sequence has run: the first frame is on screen, or the wait for it has ended.
    void started();
    // The clean uninstall has finished and its message has been on screen for the quit delay, or
    // Quit was chosen in the status item's menu.
    void terminateRequested();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bootstrapServices();
    void bootstrapIfNeeded();
    void updateRootState();
    void startMonitors();
    // Runs the samplers and the application scan that someone needs now, and only those.
    void updateDemand();
    bool isWindowShown() const;
    void suspendWrites();
    void showRootView(AppScreenState state, bool animated);
    QWidget* mainLayout();

    const PlatformServices m_platform;

    // Owned services, in the order they are created.
    AppStateManager m_stateManager;
    SystemMonitor m_monitor;
    SystemOptimizer m_optimizer;
    DiskScanner m_scanner;
    SessionLogger m_sessionLogger;
    LaunchAgent m_launchAgent;
    SettingsStore m_settingsStore;
    NetworkMonitor m_networkMonitor;
    MenuBarCompanion m_menuBarCompanion;
    GameProfileManager m_gameProfileManager;
    CleanUninstall m_uninstall;

    AppScreen m_selectedScreen = AppScreen::dashboard;
    bool m_hasBootstrapped = false;
    // Between the start of the monitors and the shut-down.
    bool m_samplersStarted = false;
    // The network monitor was stopped here for want of a reader, and is started again when one comes.
    bool m_networkPaused = false;
    // The window manager took the window off screen (minimised it, or showed another desktop).
    bool m_windowUnmapped = false;
    // The window was shown at the last demand update.
    bool m_windowWasShown = false;
    QPointer<QWidget> m_watchedWindow;
    bool m_writesSuspended = false;
    bool m_animateStateChange = false;
    int m_quitDelayMs = quitDelayMs;
    QTimer m_cleanupTimer;
    // The start sequence runs after the first frame, or when the timer ends first.
    AfterPaint* m_afterFirstFrame = nullptr;
    QTimer m_bootstrapTimer;

    AnimatedBackground* m_background = nullptr;
    QVBoxLayout* m_layers = nullptr;
    QWidget* m_rootView = nullptr;
    ScreenStrip* m_strip = nullptr;
    QVBoxLayout* m_detailLayout = nullptr;
    QWidget* m_detail = nullptr;
};

#include "ContentView.h"

#include "ScreenCatalog.h"
#include "ScreenStrip.h"
#include "WelcomeScreen.h"
#include "TopBand.h"
#include "storage/CleanupSchedule.h"
#include "storage/SecureLocalStore.h"
#include "telemetry/SamplingDemand.h"
#include "telemetry/SharedLatencyProbe.h"
#include "tuning/FrozenProcessStore.h"
#include "style/AfterPaint.h"
#include "style/AnimatedBackground.h"
#include "style/Symbols.h"

#include "Defaults.h"
#include "GameOverlay.h"
#include "Paths.h"
#include "StoredFiles.h"
#include "WorkQueues.h"
#include "Workspace.h"

#include <QCoreApplication>
#include <QGraphicsOpacityEffect>
#include <QPixmapCache>
#include <QPropertyAnimation>
#include <QShowEvent>
#include <QVBoxLayout>
#include <malloc.h>

namespace {

AppScreenState initialState(SecureLocalStore& store)
{
    return store.isSetupComplete() ? AppScreenState::dashboard : AppScreenState::setup;
}

} // namespace

ContentView::ContentView(const PlatformServices& platform, QWidget* parent)
    : QWidget(parent),
      m_platform(platform),
      m_stateManager(initialState(*platform.secureStore)),
      m_monitor(platform.host, platform.graphics, platform.powerSupplies, platform.processRunner,
                platform.latency ? platform.latency->asker() : nullptr),
      m_optimizer({*platform.workspace, *platform.processControl, *platform.processRunner, *platform.scripts,
                   *platform.host, *platform.gameOverlay, platform.tuning}),
      m_scanner(ScanEnvironment::linuxTable(platform.homeDirectory, Paths::temporary()), platform.processRunner,
                platform.trash, platform.fileRevealer),
      m_sessionLogger(platform.host),
      m_launchAgent(platform.autostartDirectory, platform.applicationPath),
      m_settingsStore(*platform.secureStore, *platform.defaults, m_launchAgent),
      m_networkMonitor({platform.interfaceCounters, platform.pathMonitor, platform.processRunner,
                        platform.latency ? platform.latency->asker() : nullptr, platform.wifiNetwork},
                       {}),
      m_menuBarCompanion(*platform.statusBar),
      m_gameProfileManager(*platform.workspace,
                           GameProfileManager::Options{
                               platform.appSupportDirectory + "/" + StoredFiles::profiles,
                               platform.installedApplications}),
      m_uninstall(*platform.gameOverlay, *platform.defaults, platform.homeDirectory, platform.appSupportDirectory,
                  platform.configurationDirectory, m_launchAgent.entryPath())
{
    // A previous run that ended without resuming what it paused must not leave those processes stopped.
    FrozenProcessStore::recoverSoon(*platform.defaults, platform.processControl, WorkQueues::userInitiated());
    // Nor the frame limit and HUD settings it wrote; the overlay takes them back before it does
    // anything else, so a limit applied early in this run is not taken back with them.
    WorkQueues::userInitiated().start([overlay = platform.gameOverlay] { overlay->recoverLeftovers(); });
    setObjectName("contentView");
    setMinimumSize(1000, 650);

    m_cleanupTimer.setInterval(cleanupCheckIntervalMs);
    m_cleanupTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_cleanupTimer, &QTimer::timeout, this, [this] { checkScheduledCleanup(QDateTime::currentDateTime()); });
    m_bootstrapTimer.setSingleShot(true);
    m_bootstrapTimer.setInterval(firstFrameWaitMs);
    connect(&m_bootstrapTimer, &QTimer::timeout, this, [this] {
        m_afterFirstFrame->disarm();
        bootstrapServices();
    });

    connect(&m_stateManager, &AppStateManager::currentStateChanged, this,
            [this](AppScreenState state) { showRootView(state, m_animateStateChange); });
    connect(&m_settingsStore, &SettingsStore::autoOptimizeChanged, &m_optimizer,
            &SystemOptimizer::setAutoOptimizeEnabled);
    // Everything that changes who needs a sampler or the scan; connected after the copy above.
    connect(&m_settingsStore, &SettingsStore::autoOptimizeChanged, this, &ContentView::updateDemand);
    connect(&m_optimizer, &SystemOptimizer::changed, this, &ContentView::updateDemand);
    connect(&m_gameProfileManager, &GameProfileManager::changed, this, &ContentView::updateDemand);
    connect(&m_menuBarCompanion, &MenuBarCompanion::changed, this, &ContentView::updateDemand);
    connect(&m_sessionLogger, &SessionLogger::changed, this, &ContentView::updateDemand);
    connect(&m_uninstall, &CleanUninstall::started, this, &ContentView::suspendWrites);
    connect(&m_uninstall, &CleanUninstall::finished, this,
            [this] { QTimer::singleShot(m_quitDelayMs, this, &ContentView::terminateRequested); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &ContentView::shutdownServices);
    connect(&m_menuBarCompanion, &MenuBarCompanion::quitRequested, this, &ContentView::terminateRequested);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_background = new AnimatedBackground(this);
    m_background->setObjectName("animatedBackground");
    outer->addWidget(m_background);
    // The backdrop paints first and under everything else.
    m_afterFirstFrame = new AfterPaint(m_background, [this] {
        m_bootstrapTimer.stop();
        bootstrapServices();
    });
    m_layers = new QVBoxLayout(m_background);
    m_layers->setContentsMargins(0, 0, 0, 0);
    showRootView(m_stateManager.currentState(), false);
}

ContentView::~ContentView()
{
    shutdownServices();
    // The screens borrow the services held here, so they go first, while the services still exist.
    delete m_background;
}

ScreenServices ContentView::screenServices()
{
    return {&m_scanner, &m_settingsStore, &m_uninstall, &m_monitor, &m_optimizer, &m_sessionLogger, &m_networkMonitor,
            &m_gameProfileManager, &m_platform, &m_menuBarCompanion};
}

void ContentView::showRootView(AppScreenState state, bool animated)
{
    if (m_rootView) {
        m_layers->removeWidget(m_rootView);
        m_rootView->hide();
        m_rootView->deleteLater();
    }
    m_strip = nullptr;
    m_detail = nullptr;
    m_detailLayout = nullptr;

    if (state == AppScreenState::setup) {
        m_rootView = new QWidget(m_background);
        auto* stack = new QVBoxLayout(m_rootView);
        stack->setContentsMargins(0, 0, 0, 0);
        auto* welcome = new WelcomeScreen(m_rootView);
        connect(welcome, &WelcomeScreen::getStarted, this, &ContentView::completeSetup);
        stack->addWidget(new TopBand(nullptr, m_rootView));
        stack->addWidget(welcome, 1);
    } else {
        m_rootView = mainLayout();
    }
    m_layers->addWidget(m_rootView);

    if (animated) {
        auto* fade = new QGraphicsOpacityEffect(m_rootView);
        fade->setOpacity(0);
        m_rootView->setGraphicsEffect(fade);
        auto* animation = new QPropertyAnimation(fade, "opacity", m_rootView);
        animation->setDuration(500);
        animation->setEasingCurve(QEasingCurve::InOutQuad);
        animation->setStartValue(0.0);
        animation->setEndValue(1.0);
        // The effect costs a pass over the whole view on every repaint; it goes when the fade ends.
        connect(animation, &QPropertyAnimation::finished, m_rootView, [view = m_rootView] { view->setGraphicsEffect(nullptr); });
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }
    m_rootView->show();
    updateDemand();
}

QWidget* ContentView::mainLayout()
{
    auto* main = new QWidget(m_background);
    main->setObjectName("mainLayout");
    auto* stack = new QVBoxLayout(main);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);

    m_strip = new ScreenStrip(m_selectedScreen, main);
    connect(m_strip, &ScreenStrip::screenSelected, this, &ContentView::selectScreen);
    stack->addWidget(new TopBand(m_strip, main));

    auto* host = new QWidget(main);
    host->setObjectName("detailView");
    m_detailLayout = new QVBoxLayout(host);
    m_detailLayout->setContentsMargins(0, 0, 0, 0);
    stack->addWidget(host, 1);

    m_detail = ScreenCatalog::create(m_selectedScreen, screenServices(), host);
    m_detailLayout->addWidget(m_detail);
    return main;
}

void ContentView::selectScreen(AppScreen screen)
{
    if (screen == m_selectedScreen)
        return;
    m_selectedScreen = screen;
    if (!m_strip)
        return;
    m_strip->setSelected(screen);
    // Only the selected screen exists; leaving one discards it with whatever it made for itself.
    QWidget* host = m_detail->parentWidget();
    m_detail->hide();
    // What the screen held goes back to the system once it and its widgets are gone, rather
    // than staying in the heap's free lists. So do the pictures the style and the symbols kept
    // for it: those keyed by the old screen's palettes and sizes are never asked for again, and
    // the few the next screen needs are made when it first draws.
    connect(m_detail, &QObject::destroyed, this, [] {
        QTimer::singleShot(0, [] {
            QPixmapCache::clear();
            Symbols::forgetOutlines();
            malloc_trim(0);
        });
    });
    m_detail->deleteLater();
    m_detail = ScreenCatalog::create(screen, screenServices(), host);
    m_detailLayout->addWidget(m_detail);
    m_detail->show();
    updateDemand();
}

void ContentView::completeSetup()
{
    m_platform.secureStore->writeSecure(SecureLocalStore::setupCompleteKey, QByteArrayLiteral("true"));
    m_animateStateChange = true;
    m_stateManager.setCurrentState(AppScreenState::dashboard);
    m_animateStateChange = false;
    startMonitors();
}

void ContentView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    if (m_watchedWindow != window()) {
        if (m_watchedWindow)
            m_watchedWindow->removeEventFilter(this);
        m_watchedWindow = window();
        m_watchedWindow->installEventFilter(this);
    }
    m_windowUnmapped = false;
    updateDemand();
    m_afterFirstFrame->arm();
    m_bootstrapTimer.start();
    if (!m_cleanupTimer.isActive() && !m_writesSuspended)
        m_cleanupTimer.start();
}

void ContentView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A minimised window is still on screen; only a real close takes the view away.
    if (!event->spontaneous()) {
        m_afterFirstFrame->disarm();
        m_bootstrapTimer.stop();
        shutdownServices();
    }
    updateDemand();
}

bool ContentView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedWindow) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
            updateDemand();
            break;
        case QEvent::Hide:
        case QEvent::Show:
            if (event->spontaneous()) {
                m_windowUnmapped = event->type() == QEvent::Hide;
                updateDemand();
            }
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool ContentView::isWindowShown() const
{
    return isVisible() && !m_windowUnmapped && !(window()->windowState() & Qt::WindowMinimized);
}

void ContentView::updateDemand()
{
    const ScreenCatalog::Follows screen = m_strip ? ScreenCatalog::follows(m_selectedScreen) : ScreenCatalog::Follows{};
    SamplingDemand::Situation now;
    now.mainScreensReachable = m_samplersStarted;
    now.windowShown = isWindowShown();
    // A game installed while the window was away may be launched from now on; the start sequence
    // looks for installed games itself.
    if (now.windowShown && !m_windowWasShown && m_hasBootstrapped)
        m_gameProfileManager.scanInstalledGames();
    m_windowWasShown = now.windowShown;
    now.screenShowsSystemReadings = screen.systemReadings;
    now.screenShowsNetworkReadings = screen.networkReadings;
    now.screenFollowsApplications = screen.applications;
    now.statusItemShown = m_menuBarCompanion.isEnabled();
    now.sessionRecording = m_sessionLogger.isActive();
    now.launchesAwaited = m_optimizer.awaitsGameLaunches() || m_gameProfileManager.awaitsGameLaunches();
    const SamplingDemand::Sampling sampling = SamplingDemand::of(now);

    if (sampling.systemMonitor)
        m_monitor.startMonitoring();
    else if (m_monitor.isMonitoring())
        m_monitor.stopMonitoring();
    // The network card starts and stops its monitor itself, after its first frame and when it
    // goes; here the monitor is only paused while no one sees it and resumed when needed again.
    if (!sampling.networkMonitor && m_networkMonitor.isMonitoring()) {
        m_networkMonitor.stopMonitoring();
        m_networkPaused = true;
    } else if (sampling.networkMonitor && m_networkPaused) {
        m_networkPaused = false;
        m_networkMonitor.startMonitoring();
    }
    m_platform.workspace->setWatched(sampling.applicationScan);
}

void ContentView::bootstrapServices()
{
    m_menuBarCompanion.setMonitor(&m_monitor);
    m_menuBarCompanion.setOptimizer(&m_optimizer);
    m_gameProfileManager.setOptimizer(&m_optimizer);
    m_gameProfileManager.startLaunchMonitoring();
    if (const auto running = m_gameProfileManager.detectRunningGame()) {
        if (const auto profile = m_gameProfileManager.profile(running->id))
            m_gameProfileManager.applyProfile(*profile, m_optimizer);
    }
    bootstrapIfNeeded();
    updateDemand();
    emit started();
}

void ContentView::bootstrapIfNeeded()
{
    if (m_hasBootstrapped)
        return;
    m_hasBootstrapped = true;
    m_optimizer.setAutoOptimizeEnabled(m_settingsStore.autoOptimize());
    m_optimizer.startGameLaunchObserver();
    updateRootState();
}

void ContentView::updateRootState()
{
    if (m_platform.secureStore->isSetupComplete()) {
        m_stateManager.setCurrentState(AppScreenState::dashboard);
        startMonitors();
    } else {
        m_stateManager.setCurrentState(AppScreenState::setup);
    }
}

void ContentView::startMonitors()
{
    m_samplersStarted = true;
    m_networkPaused = true;
    updateDemand();
}

void ContentView::checkScheduledCleanup(const QDateTime& now)
{
    if (m_writesSuspended || !m_settingsStore.isCleanupDue(now))
        return;
    m_platform.defaults->setValue(CleanupSchedule::lastCleanupDateKey, double(now.toMSecsSinceEpoch()) / 1000.0);
    m_scanner.startScan();
}

void ContentView::suspendWrites()
{
    m_writesSuspended = true;
    m_settingsStore.suspendWrites();
    m_gameProfileManager.suspendWrites();
    m_cleanupTimer.stop();
}

void ContentView::shutdownServices()
{
    m_samplersStarted = false;
    m_networkPaused = false;
    m_cleanupTimer.stop();
    m_monitor.stopMonitoring();
    m_networkMonitor.stopMonitoring();
    m_sessionLogger.stopLogging();
    m_optimizer.cleanup();
    m_menuBarCompanion.disable();
    m_gameProfileManager.removeLaunchObserver();
    updateDemand();
}

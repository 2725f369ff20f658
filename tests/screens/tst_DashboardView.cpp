#include "DashboardFixture.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "screens/monitoring/DashboardView.h"
#include "screens/monitoring/FanSpeedView.h"
#include "screens/monitoring/PerformanceWarningToast.h"
#include "screens/monitoring/PeripheralCard.h"
#include "screens/monitoring/QuickStatCard.h"
#include "storage/ColorBlindMode.h"
#include "telemetry/SystemMonitor.h"
#include "style/Color.h"
#include "style/TextLabel.h"

#include <QSemaphore>
#include <memory>

namespace {

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Sensors whose read waits until the test lets it finish.
class GatedSensors final : public HardwareSensors {
public:
    explicit GatedSensors(SensorReadings readings) : m_readings(std::move(readings)) {}

    SensorReadings read() override
    {
        m_entered.release();
        m_gate.acquire();
        m_finished.release();
        return m_readings;
    }

    bool waitUntilReading() { return m_entered.tryAcquire(1, 2000); }
    void open() { m_gate.release(100); }
    bool waitUntilFinished() { return m_finished.tryAcquire(1, 2000); }

private:
    SensorReadings m_readings;
    QSemaphore m_entered;
    QSemaphore m_gate;
    QSemaphore m_finished;
};

} // namespace

class TestDashboardView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;

    std::unique_ptr<ContentView> launch()
    {
        auto view = std::make_unique<ContentView>(m_platform->services());
        view->resize(1000, 650);
        view->show();
        settle();
        return view;
    }

    static DashboardView* dashboard(ContentView& view) { return qobject_cast<DashboardView*>(view.detailView()); }

    // Waits until the Dashboard's own monitors have published their first reads.
    static void waitForFirstReads(DashboardView& screen)
    {
        QTRY_VERIFY_WITH_TIMEOUT(!screen.fanMonitor().fanSpeeds().isEmpty(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(screen.powerHealthMonitor().battery().has_value(), 2000);
        settle();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        m_platform->completeSetup();
        DashboardFixture::fill(*m_platform);
    }
    void cleanup()
    {
        ColorBlindMode::setEnabled(false);
        m_platform.reset();
        m_dir.reset();
    }

    void theStripOpensOnTheDashboardWithTheRootsServices()
    {
        auto view = launch();
        DashboardView* screen = dashboard(*view);
        QVERIFY(screen);
        QCOMPARE(&screen->monitor(), &view->monitor());
        QCOMPARE(&screen->sessionLogger(), &view->sessionLogger());
        QCOMPARE(&screen->networkMonitor(), &view->networkMonitor());
        QVERIFY(!screen->colorBlindMode());
    }

    void ownedMonitorsRunOnlyWhileShown()
    {
        auto view = launch();
        DashboardView* screen = dashboard(*view);
        QVERIFY(screen->fanMonitor().isActive());
        QVERIFY(screen->powerHealthMonitor().isRunning());
        waitForFirstReads(*screen);
        QCOMPARE(m_platform->sensors->reads(), 1);
        QCOMPARE(m_platform->powerSupplies->batteryReads(), 1);

        // Hidden without being removed: both stop and keep their last readings.
        screen->hide();
        QVERIFY(!screen->fanMonitor().isActive());
        QVERIFY(!screen->powerHealthMonitor().isRunning());
        QVERIFY(!view->networkMonitor().isMonitoring());
        QCOMPARE(screen->fanMonitor().fanSpeeds().size(), 2);

        // Shown again: an immediate read and new timers.
        screen->show();
        QVERIFY(screen->fanMonitor().isActive());
        QVERIFY(screen->powerHealthMonitor().isRunning());
        QVERIFY(view->networkMonitor().isMonitoring());
        QTRY_COMPARE_WITH_TIMEOUT(m_platform->sensors->reads(), 2, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(m_platform->powerSupplies->batteryReads(), 2, 2000);
    }

    void leavingAndComingBackGivesNewEmptyMonitors()
    {
        auto view = launch();
        DashboardView* first = dashboard(*view);
        waitForFirstReads(*first);
        QList<bool> fanActivity;
        connect(&first->fanMonitor(), &FanMonitor::changed, this,
                [&, fans = &first->fanMonitor()] { fanActivity.append(fans->isActive()); });
        QPointer<FanMonitor> firstFans = &first->fanMonitor();
        QPointer<PowerHealthMonitor> firstBattery = &first->powerHealthMonitor();
        // The network sampler holds a history by now.
        QSignalSpy sampled(&view->networkMonitor(), &NetworkMonitor::changed);
        view->networkMonitor().sampleThroughput();
        QVERIFY(sampled.wait(2000));

        view->selectScreen(AppScreen::settings);
        settle();
        // Stopped before they went, together with the screen.
        QCOMPARE(fanActivity, QList<bool>{false});
        QVERIFY(firstFans.isNull());
        QVERIFY(firstBattery.isNull());
        QVERIFY(!view->networkMonitor().isMonitoring());
        QVERIFY(view->monitor().isMonitoring());

        view->selectScreen(AppScreen::dashboard);
        DashboardView* second = dashboard(*view);
        // Before the first reads publish: the empty cooling card and no warning.
        QVERIFY(second->fanMonitor().fanSpeeds().isEmpty());
        QVERIFY(!second->powerHealthMonitor().battery());
        QVERIFY(second->findChild<QWidget*>("noSensorData"));
        QVERIFY(!second->findChild<PerformanceWarningToast*>()->isVisibleTo(second));
        // The network card starts the sampling again though its history is not empty.
        QVERIFY(!view->networkMonitor().downloadHistory().isEmpty());
        QVERIFY(view->networkMonitor().isMonitoring());

        waitForFirstReads(*second);
        QVERIFY(!second->findChild<QWidget*>("noSensorData"));
        QVERIFY(second->findChild<PerformanceWarningToast*>()->isVisibleTo(second));
    }

    void warningsAndMemoryRowFollowTheMonitors()
    {
        // Built, not yet shown: the root view has not started its samplers.
        auto view = std::make_unique<ContentView>(m_platform->services());
        DashboardView* screen = dashboard(*view);
        const auto value = [screen](const char* name) { return screen->findChild<QuickStatCard*>(name)->value(); };
        QCOMPARE(value("activeMemory"), QString("0.0 GB"));
        QCOMPARE(value("wiredMemory"), QString("0.0 GB"));
        QCOMPARE(value("compressedMemory"), QString("0.0 GB"));

        view->resize(1000, 650);
        view->show();
        waitForFirstReads(*screen);
        QStringList titles;
        for (const auto& warning : screen->performanceWarnings())
            titles.append(warning.title);
        QCOMPARE(titles, (QStringList{"Low Battery", "Mac Running Hot"}));
        auto* toast = screen->findChild<PerformanceWarningToast*>("performanceWarnings");
        QVERIFY(toast->isVisibleTo(screen));
        QCOMPARE(toast->warnings().size(), 2);

        // The battery is plugged in: at its next read only the heat warning is left.
        m_platform->powerSupplies->setInternalBattery(BatteryProperties{14, 100, true, true});
        screen->powerHealthMonitor().refresh();
        QTRY_COMPARE_WITH_TIMEOUT(toast->warnings().size(), 1, 2000);
        QCOMPARE(toast->warnings().first().title, QString("Mac Running Hot"));

        QSignalSpy sampled(&view->monitor(), &SystemMonitor::changed);
        view->monitor().updateMemoryAndCPU();
        QVERIFY(sampled.wait(2000));
        const double active = view->monitor().ramStats().active;
        QVERIFY(active > 0);
        QCOMPARE(value("activeMemory"), QString::asprintf("%.1f GB", active));
    }

    void theColourBlindSettingReachesTheNextDashboard()
    {
        auto view = launch();
        QVERIFY(!dashboard(*view)->findChild<FanSpeedView*>()->colorBlindMode());
        view->screenServices().settingsStore->setColorBlindMode(true);
        QVERIFY(ColorBlindMode::enabled());
        view->selectScreen(AppScreen::settings);
        view->selectScreen(AppScreen::dashboard);
        DashboardView* screen = dashboard(*view);
        QVERIFY(screen->colorBlindMode());
        QVERIFY(screen->findChild<FanSpeedView*>()->colorBlindMode());
        QVERIFY(screen->findChild<PeripheralCard*>()->colorBlindMode());
        waitForFirstReads(*screen);
        for (const auto& warning : screen->performanceWarnings())
            QCOMPARE(warning.color, Color::cbMagenta());
        auto* cpu = screen->findChild<QWidget*>("temperature:CPU");
        QCOMPARE(cpu->findChild<TextLabel*>("temperatureValue")->color(), Color::cbMagenta());
    }

    void destroyingAShownWindowStopsTheOwnedMonitorsFirst()
    {
        ContentView root(m_platform->services());
        auto window = std::make_unique<QWidget>();
        auto* screen = new DashboardView(root.monitor(), root.sessionLogger(), root.networkMonitor(), false,
                                         m_platform->services(), window.get());
        window->resize(1000, 650);
        window->show();
        waitForFirstReads(*screen);
        QList<bool> fanActivity;
        connect(&screen->fanMonitor(), &FanMonitor::changed, this,
                [&, fans = &screen->fanMonitor()] { fanActivity.append(fans->isActive()); });
        // A window destroyed while shown closes first; its screen is hidden with its cards still in place.
        window.reset();
        QCOMPARE(fanActivity, QList<bool>{false});
        QVERIFY(!root.networkMonitor().isMonitoring());
    }

    void aReadingThatArrivesAfterTheScreenIsGoneIsDropped()
    {
        SensorReadings late;
        late.fans = {{5900, 1200.0, 6000.0}};
        auto gated = std::make_shared<GatedSensors>(late);
        PlatformServices services = m_platform->services();
        services.sensors = gated;
        auto view = std::make_unique<ContentView>(services);
        view->resize(1000, 650);
        view->show();
        QVERIFY(gated->waitUntilReading());

        // Leave the Dashboard while its fan read is still under way, then let the read finish.
        view->selectScreen(AppScreen::settings);
        settle();
        QVERIFY(!view->findChild<DashboardView*>());
        gated->open();
        QVERIFY(gated->waitUntilFinished());
        QTRY_COMPARE_WITH_TIMEOUT(WorkQueues::utility().activeThreadCount(), 0, 2000);
        settle();
        // Nothing received it: the settings screen is still the one shown, and a new Dashboard
        // starts empty and fills only from its own read.
        QCOMPARE(view->detailView()->objectName(), QString("screen:Settings"));
        view->selectScreen(AppScreen::dashboard);
        QVERIFY(dashboard(*view)->fanMonitor().fanSpeeds().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(dashboard(*view)->fanMonitor().fanSpeeds().size(), 1, 2000);
    }
};

QM_TEST_MAIN(TestDashboardView)
#include "tst_DashboardView.moc"

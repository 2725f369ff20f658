#include "DashboardFixture.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "screens/monitoring/DashboardView.h"

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

// Sensors whose read waits until the test opens the gate.
struct GatedSensors final : HardwareSensors {
    SensorReadings readings;
    QSemaphore entered, gate, finished;
    SensorReadings read() override
    {
        entered.release();
        gate.acquire();
        finished.release();
        return readings;
    }
};

DashboardView* dashboard(ContentView& view)
{
    return qobject_cast<DashboardView*>(view.detailView());
}

// Waits until the Dashboard's own monitors have published their first reads.
void waitForFirstReads(DashboardView& screen)
{
    QTRY_VERIFY(!screen.fanMonitor().fanSpeeds().isEmpty());
    QTRY_VERIFY(screen.powerHealthMonitor().battery().has_value());
    settle();
}

} // namespace

class TestDashboardView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;

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
        m_platform.reset();
        m_dir.reset();
    }

    // Leaving stops the owned monitors before they go with the screen; coming back starts new, empty ones.
    void leavingAndComingBackGivesNewEmptyMonitors()
    {
        // Only the reads that showing the screen starts: no refresh comes in between, however slow the run.
        PlatformServices services = m_platform->services();
        services.screenMonitorIntervalMs = 3'600'000;
        ContentView view(services);
        view.show();
        DashboardView* first = dashboard(view);
        waitForFirstReads(*first);
        QList<bool> fanActivity;
        connect(&first->fanMonitor(), &FanMonitor::changed, this,
                [&, fans = &first->fanMonitor()] { fanActivity.append(fans->isActive()); });
        QPointer<FanMonitor> firstFans = &first->fanMonitor();
        QPointer<PowerHealthMonitor> firstBattery = &first->powerHealthMonitor();

        view.selectScreen(AppScreen::settings);
        settle();
        QCOMPARE(fanActivity, QList<bool>{false});
        QVERIFY(firstFans.isNull());
        QVERIFY(firstBattery.isNull());
        QVERIFY(!view.networkMonitor().isMonitoring());
        // No screen shows the system readings now.
        QVERIFY(!view.monitor().isMonitoring());

        view.selectScreen(AppScreen::dashboard);
        DashboardView* second = dashboard(view);
        QVERIFY(second->fanMonitor().fanSpeeds().isEmpty());
        QVERIFY(!second->powerHealthMonitor().battery());
        // The owned monitors start once the screen is on screen.
        QVERIFY(!second->fanMonitor().isActive());
        QTRY_VERIFY(second->fanMonitor().isActive());
        QVERIFY(second->powerHealthMonitor().isRunning());
        QVERIFY(view.networkMonitor().isMonitoring());
        QVERIFY(view.monitor().isMonitoring());
        waitForFirstReads(*second);
        QCOMPARE(m_platform->sensors->reads(), 2);
    }

    void destroyingAShownWindowStopsTheOwnedMonitorsFirst()
    {
        ContentView root(m_platform->services());
        auto window = std::make_unique<QWidget>();
        auto* screen = new DashboardView(root.monitor(), root.sessionLogger(), root.networkMonitor(), false,
                                         m_platform->services().screenPlatform(), window.get());
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
        auto gated = std::make_shared<GatedSensors>();
        gated->readings.fans = {{5900, 1200.0, 6000.0}};
        PlatformServices services = m_platform->services();
        services.sensors = gated;
        ContentView view(services);
        view.show();
        QTRY_VERIFY(gated->entered.available() > 0);

        // Leave the Dashboard while its fan read is still under way, then let the read finish.
        view.selectScreen(AppScreen::settings);
        settle();
        gated->gate.release(100);
        QVERIFY(gated->finished.tryAcquire(1, 2000));
        QTRY_COMPARE_WITH_TIMEOUT(WorkQueues::utility().activeThreadCount(), 0, 2000);
        settle();
        // Nothing received it: the settings screen is still shown, and a new Dashboard fills only from its own read.
        QCOMPARE(view.detailView()->objectName(), QString("screen:Settings"));
        view.selectScreen(AppScreen::dashboard);
        QVERIFY(dashboard(view)->fanMonitor().fanSpeeds().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(dashboard(view)->fanMonitor().fanSpeeds().size(), 1, 2000);
    }
};

QM_TEST_MAIN(TestDashboardView)
#include "tst_DashboardView.moc"

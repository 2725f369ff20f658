#include "FakeHardwareSensors.h"
#include "FakeStatusBar.h"
#include "MonitorRig.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "screens/ScreenPlatform.h"
#include "screens/menubar/MenuBarCompanion.h"
#include "screens/menubar/MenuBarView.h"
#include "screens/menubar/PreviewCell.h"
#include "storage/ColorBlindMode.h"
#include "style/Color.h"
#include "style/SwitchToggle.h"
#include "style/TextLabel.h"

#include <memory>

// The Menu Bar screen over a monitor, an optimizer, sensors and a status area that tests set.
class TestMenuBarView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<MonitorRig> m_rig;
    std::unique_ptr<OptimizerFixture> m_optimizer;
    std::shared_ptr<FakeHardwareSensors> m_sensors;
    std::unique_ptr<FakeStatusBar> m_bar;
    std::unique_ptr<MenuBarCompanion> m_companion;
    ScreenPlatform m_platform;

    std::unique_ptr<MenuBarView> makeView()
    {
        auto view = std::make_unique<MenuBarView>(*m_companion, *m_rig->monitor, m_optimizer->optimizer, m_platform);
        view->resize(1000, 600);
        view->show();
        // Showing starts the monitor's timer; only the test samples here.
        m_rig->monitor->stopMonitoring();
        WorkQueues::drain();
        QCoreApplication::processEvents();
        return view;
    }
    PreviewCell* cell(MenuBarView& view, const char* name) { return view.findChild<PreviewCell*>(name); }

private slots:
    void init()
    {
        m_rig = std::make_unique<MonitorRig>();
        m_optimizer = std::make_unique<OptimizerFixture>();
        m_sensors = std::make_shared<FakeHardwareSensors>();
        m_bar = std::make_unique<FakeStatusBar>();
        m_companion = std::make_unique<MenuBarCompanion>(*m_bar);
        m_companion->setMonitor(m_rig->monitor.get());
        m_platform.processRunner = m_rig->runner;
        m_platform.sensors = m_sensors;
        ColorBlindMode::setEnabled(false);
    }
    void cleanup()
    {
        m_companion.reset();
        WorkQueues::drain();
        ColorBlindMode::setEnabled(false);
    }

    // The switch shows what the companion did: on only once enable ran, and as the companion
    // was left when the screen is built again.
    void switchFollowsTheCompanion()
    {
        auto view = makeView();
        auto* toggle = view->findChild<SwitchToggle*>("companionSwitch");
        auto* reason = view->findChild<TextLabel*>("companionUnavailable");

        m_bar->available = false;
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!toggle->isChecked());
        QVERIFY(reason->isVisibleTo(view.get()));
        QCOMPARE(reason->text(), MenuBarCompanion::unavailableText);

        m_bar->available = true;
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(toggle->isChecked());
        QVERIFY(m_companion->isEnabled());
        QCOMPARE(m_bar->shownCount(), 1);
        QVERIFY(!reason->isVisibleTo(view.get()));

        view.reset();
        view = makeView();
        toggle = view->findChild<SwitchToggle*>("companionSwitch");
        QVERIFY(toggle->isChecked());
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!toggle->isChecked());
        QCOMPARE(m_bar->shownCount(), 0);

        m_companion->enable();
        QVERIFY2(toggle->isChecked(), "enabled elsewhere, the switch follows");
    }

    void loadColours_data()
    {
        QTest::addColumn<double>("cpu");
        QTest::addColumn<qint64>("gpu");
        QTest::addColumn<QString>("latency");
        QTest::addColumn<bool>("colourBlind");
        QTest::addColumn<QString>("cpuText");
        QTest::addColumn<bool>("cpuBusy");
        QTest::addColumn<bool>("gpuBusy");
        QTest::addColumn<bool>("latencySlow");

        QTest::newRow("at the limits") << 80.0 << qint64(80) << "100" << false << "80%" << false << false << false;
        QTest::newRow("just past them") << 80.4 << qint64(81) << "100.5" << false << "80%" << true << true << true;
        QTest::newRow("colour-blind, busy") << 93.0 << qint64(99) << "250" << true << "93%" << true << true << true;
        QTest::newRow("colour-blind, calm") << 5.0 << qint64(0) << "8.2" << true << "5%" << false << false << false;
    }
    void loadColours()
    {
        QFETCH(double, cpu);
        QFETCH(qint64, gpu);
        QFETCH(QString, latency);
        QFETCH(bool, colourBlind);
        QFETCH(QString, cpuText);
        QFETCH(bool, cpuBusy);
        QFETCH(bool, gpuBusy);
        QFETCH(bool, latencySlow);
        ColorBlindMode::setEnabled(colourBlind);
        auto view = makeView();
        m_rig->readings().setLoads(cpu, 10);
        m_rig->readings().setGPU(gpu);
        m_rig->readings().setLatency(latency);

        const auto expected = [colourBlind](bool busy) {
            if (colourBlind)
                return busy ? Color::cbMagenta() : Color::cbBlue();
            return busy ? Color::systemRed() : Color::neonGreen();
        };
        QCOMPARE(cell(*view, "cpuCell")->value(), cpuText);
        QCOMPARE(cell(*view, "cpuCell")->readingColor(), expected(cpuBusy));
        QCOMPARE(cell(*view, "gpuCell")->readingColor(), expected(gpuBusy));
        QCOMPARE(cell(*view, "ramCell")->readingColor(), expected(false));
        QCOMPARE(cell(*view, "latencyCell")->readingColor(), expected(latencySlow));
        QCOMPARE(cell(*view, "fanCell")->readingColor(), Color::neonCyan());
    }

    // Before any reading: zeros in the calm colour, no fans, no latency, no limit.
    void emptyReadings()
    {
        auto view = makeView();
        QTRY_VERIFY(!m_rig->monitor->isPingInFlight());
        QCOMPARE(cell(*view, "gpuCell")->value(), "0%");
        QCOMPARE(cell(*view, "fanCell")->value(), "0 RPM");
        QCOMPARE(cell(*view, "latencyCell")->value(), "0ms");
        QCOMPARE(cell(*view, "latencyCell")->readingColor(), Color::neonGreen());
        QCOMPARE(cell(*view, "frameLimitCell")->value(), "Off");
        QCOMPARE(cell(*view, "frameLimitCell")->readingColor(), Color::white50());

        m_sensors->setReadings({{{4380.4, 1200.0, 6000.0}, {2150, std::nullopt, std::nullopt}}, {}});
        view->fanMonitor().refresh();
        QTRY_COMPARE(cell(*view, "fanCell")->value(), "4380 RPM");
    }

    void frameLimitCellIsCyanOnlyWhileActive()
    {
        auto view = makeView();
        m_optimizer->runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        m_optimizer->optimizer.setFrameLimit(120);
        QTRY_COMPARE(cell(*view, "frameLimitCell")->value(), "120");
        QCOMPARE(cell(*view, "frameLimitCell")->readingColor(), Color::neonCyan());
        m_optimizer->optimizer.removeFrameLimit();
        QTRY_COMPARE(cell(*view, "frameLimitCell")->value(), "Off");
        QCOMPARE(cell(*view, "frameLimitCell")->readingColor(), Color::white50());
    }

    void hidingStopsItsFanMonitor()
    {
        auto view = makeView();
        QVERIFY(view->fanMonitor().isActive());
        view->hide();
        QVERIFY(!view->fanMonitor().isActive());
        view->show();
        QVERIFY(view->fanMonitor().isActive());
        WorkQueues::drain();
    }
};

QM_TEST_MAIN(TestMenuBarView)
#include "tst_MenuBarView.moc"

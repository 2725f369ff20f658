#include "FakePlatform.h"
#include "MonitorRig.h"
#include "OptimizerFixture.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "screens/menubar/MenuBarCompanion.h"

#include <cmath>
#include <limits>

using Readings = MenuBarCompanion::Readings;
Q_DECLARE_METATYPE(Readings)

namespace {

QList<StatusItem::MenuEntry> blankMenu()
{
    return QList<StatusItem::MenuEntry>(MenuBarCompanion::menuEntryCount);
}

// The five reading entries, from the frame limit to the latency.
QStringList readingTitles(const FakeStatusRecord& record)
{
    return record.menuTitles().mid(MenuBarCompanion::frameLimitEntry, 5);
}

} // namespace

class TestMenuBarCompanion : public QObject {
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("menu");

        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::newRow("all readings") << Readings{12.3, 61.8, 35, 23.9, 60} << "CPU 12% GPU 35% RAM 62%"
                                      << QStringList{"Frame Limit: 60 FPS", "CPU: 12%", "GPU: 35%", "RAM: 62%",
                                                     "Ping: 23ms"};
        QTest::newRow("no GPU, no latency, no limit")
            << Readings{12.3, 61.8, 0, std::nullopt, 0} << "CPU 12% GPU RAM 62%"
            << QStringList{"Frame Limit: Off", "CPU: 12%", "GPU: Unavailable", "RAM: 62%", "Ping: Checking"};
        QTest::newRow("negative limit, latency not a number")
            << Readings{0, 100, -1, nan, -5} << "CPU 0% GPU RAM 100%"
            << QStringList{"Frame Limit: Off", "CPU: 0%", "GPU: Unavailable", "RAM: 100%", "Ping: Checking"};
        QTest::newRow("infinite latency") << Readings{99.5, 0.4, 100, infinity, 1} << "CPU 100% GPU 100% RAM 0%"
                                          << QStringList{"Frame Limit: 1 FPS", "CPU: 100%", "GPU: 100%", "RAM: 0%",
                                                         "Ping: Checking"};
        QTest::newRow("latency beyond the whole numbers")
            << Readings{1, 1, 1, 1e300, 1000} << "CPU 1% GPU 1% RAM 1%"
            << QStringList{"Frame Limit: 1000 FPS", "CPU: 1%", "GPU: 1%", "RAM: 1%", "Ping: 9223372036854774784ms"};
    }
    void texts()
    {
        QFETCH(Readings, readings);
        QFETCH(QString, title);
        QFETCH(QStringList, menu);
        auto record = std::make_shared<FakeStatusRecord>();
        FakeStatusItem item(record);
        item.setMenu(blankMenu());
        MenuBarCompanion::show(item, readings);
        QCOMPARE(record->title, title);
        QCOMPARE(readingTitles(*record), menu);
    }

    void menuWithoutReadingEntriesKeepsItsTitles()
    {
        auto record = std::make_shared<FakeStatusRecord>();
        FakeStatusItem item(record);
        item.setMenu({{StatusItem::MenuEntry::Kind::Text, "Kept"}});
        MenuBarCompanion::show(item, Readings{12.3, 61.8, 35, 23.9, 60});
        QCOMPARE(record->title, "CPU 12% GPU 35% RAM 62%");
        QCOMPARE(record->menuTitles(), QStringList{"Kept"});
    }

    // Right after enable the item shows its text; the reading entries stay blank until a tick.
    void menuStaysBlankUntilTheFirstTick()
    {
        FakeStatusBar bar;
        MonitorRig rig;
        rig.readings().setLoads(12.3, 61.8);
        rig.readings().setGPU(35);
        rig.readings().setLatency("23.9");
        MenuBarCompanion companion(bar);
        companion.setMonitor(rig.monitor.get());
        companion.setUpdateInterval(3'600'000);

        companion.enable();
        QVERIFY(rig.monitor->isMonitoring());
        QCOMPARE(bar.last().title, "CPU 12% GPU 35% RAM 62%");
        QCOMPARE(bar.last().menuTitles(),
                 (QStringList{"Quillmarsh", "", "", "", "", "", "", "", "Quit"}));
        QCOMPARE(bar.last().menu[1].kind, StatusItem::MenuEntry::Kind::Separator);
        QCOMPARE(bar.last().menu[7].kind, StatusItem::MenuEntry::Kind::Separator);
        QCOMPARE(bar.last().menu[8].kind, StatusItem::MenuEntry::Kind::Quit);

        // The monitor's own first sample saw no CPU time pass; the loads are given again after it.
        rig.monitor->stopMonitoring();
        WorkQueues::drain();
        QCoreApplication::processEvents();
        rig.readings().setLoads(12.3, 61.8);
        companion.setUpdateInterval(10);
        QTRY_COMPARE_WITH_TIMEOUT(readingTitles(bar.last()),
                                  (QStringList{"Frame Limit: Off", "CPU: 12%", "GPU: 35%", "RAM: 62%", "Ping: 23ms"}),
                                  2000);
    }

    void enableAndDisableAreIdempotent()
    {
        FakeStatusBar bar;
        MenuBarCompanion companion(bar);
        QSignalSpy changed(&companion, &MenuBarCompanion::changed);

        companion.enable();
        companion.enable();
        QCOMPARE(bar.records.size(), 1);
        QVERIFY(companion.isEnabled() && companion.timer().isActive());
        QCOMPARE(changed.size(), 1);

        companion.disable();
        companion.disable();
        QCOMPARE(bar.shownCount(), 0);
        QVERIFY(!companion.isEnabled() && !companion.timer().isActive());
        QCOMPARE(changed.size(), 2);

        companion.enable();
        QCOMPARE(bar.records.size(), 2);
        QCOMPARE(bar.shownCount(), 1);
        QCOMPARE(bar.last().menu.size(), MenuBarCompanion::menuEntryCount);
    }

    void defaultsOnceTheMonitorAndOptimizerAreGone()
    {
        FakeStatusBar bar;
        MonitorRig rig;
        rig.readings().setLoads(50, 50);
        rig.readings().setLatency("40");
        auto optimizer = std::make_unique<OptimizerFixture>();
        optimizer->runner.respond("/usr/bin/defaults", ProcessResult::exited(0));
        optimizer->optimizer.setFrameLimit(144);
        QTRY_COMPARE(optimizer->optimizer.frameLimitValue(), 144);

        MenuBarCompanion companion(bar);
        companion.setMonitor(rig.monitor.get());
        companion.setOptimizer(&optimizer->optimizer);
        companion.enable();
        companion.updateStatus();
        QCOMPARE(readingTitles(bar.last()),
                 (QStringList{"Frame Limit: 144 FPS", "CPU: 50%", "GPU: Unavailable", "RAM: 50%", "Ping: 40ms"}));

        rig.monitor.reset();
        optimizer.reset();
        companion.updateStatus();
        QCOMPARE(bar.last().title, "CPU 0% GPU RAM 0%");
        QCOMPARE(readingTitles(bar.last()),
                 (QStringList{"Frame Limit: Off", "CPU: 0%", "GPU: Unavailable", "RAM: 0%", "Ping: Checking"}));
    }

    void withoutATrayTheCompanionStaysOffAndSaysWhy()
    {
        FakeStatusBar bar;
        bar.available = false;
        MenuBarCompanion companion(bar);
        companion.enable();
        QVERIFY(!companion.isEnabled());
        QVERIFY(!companion.timer().isActive());
        QVERIFY(bar.records.isEmpty());
        QCOMPARE(companion.unavailableReason(), MenuBarCompanion::unavailableText);

        // The screen hears of a tray that comes, so that the reason goes.
        QSignalSpy changed(&companion, &MenuBarCompanion::changed);
        bar.setAvailable(true);
        QCOMPARE(changed.size(), 1);
        QVERIFY(companion.unavailableReason().isEmpty());
        companion.enable();
        QVERIFY(companion.isEnabled());
        QCOMPARE(changed.size(), 2);
        bar.setAvailable(false);
        QCOMPARE(changed.size(), 3);
        QCOMPARE(companion.unavailableReason(), MenuBarCompanion::trayGoneText);
        QVERIFY2(companion.isEnabled(), "the item stays, to show again with the tray");
    }

    void saysWhyTheItemIsNotSeen_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("reachable");
        QTest::addColumn<QString>("reason");
        QTest::newRow("off, tray there") << false << true << true << "";
        QTest::newRow("off, no tray") << false << false << true << MenuBarCompanion::unavailableText;
        QTest::newRow("off, bus not answering") << false << true << false << MenuBarCompanion::unreachableText;
        QTest::newRow("off, no tray, bus not answering")
            << false << false << false << MenuBarCompanion::unreachableText;
        QTest::newRow("on, tray there") << true << true << true << "";
        QTest::newRow("on, tray gone") << true << false << true << MenuBarCompanion::trayGoneText;
        QTest::newRow("on, bus not answering") << true << true << false << MenuBarCompanion::unreachableWhileOnText;
    }
    // The screen says why the item cannot be shown, or is not seen, as soon as the status area
    // tells of it; the switch shows what the companion did.
    void saysWhyTheItemIsNotSeen()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, tray);
        QFETCH(bool, reachable);
        QFETCH(QString, reason);
        FakeStatusBar bar;
        MenuBarCompanion companion(bar);
        if (enabled)
            companion.enable();
        QSignalSpy changed(&companion, &MenuBarCompanion::changed);
        bar.setAvailable(tray);
        bar.setReachable(reachable);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(companion.unavailableReason(), reason);
        QCOMPARE(companion.isEnabled(), enabled);
        if (enabled)
            return;
        companion.enable();
        QCOMPARE(companion.isEnabled(), reason.isEmpty());
        QCOMPARE(bar.records.size(), reason.isEmpty() ? 1 : 0);
    }

    // The root view links the companion when it starts, Quit in the item's menu takes the
    // window's ordinary way out, and the shut-down removes the item.
    void rootViewLinksQuitsAndRemoves()
    {
        QTemporaryDir dir;
        FakePlatform platform(dir.path());
        platform.completeSetup();
        MainWindow window(platform.services());
        int terminations = 0;
        window.setTerminateApp([&] { ++terminations; });
        window.show();
        ContentView& content = *window.contentView();
        QTRY_VERIFY(content.hasBootstrapped());

        platform.runner->respond("/usr/bin/defaults", ProcessResult::exited(0));
        content.optimizer().setFrameLimit(90);
        QTRY_COMPARE(content.optimizer().frameLimitValue(), 90);
        MenuBarCompanion& companion = content.menuBarCompanion();
        companion.enable();
        companion.updateStatus();
        QCOMPARE(readingTitles(platform.statusBar->last()).first(), "Frame Limit: 90 FPS");

        platform.statusBar->lastItem->chooseQuit();
        QCOMPARE(terminations, 1);

        content.shutdownServices();
        QVERIFY(!companion.isEnabled());
        QCOMPARE(platform.statusBar->shownCount(), 0);
        content.shutdownServices();
        QCOMPARE(platform.statusBar->records.size(), 1);
        WorkQueues::drain();
    }
};

QM_TEST_MAIN(TestMenuBarCompanion)
#include "tst_MenuBarCompanion.moc"

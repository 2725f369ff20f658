#include "OptimizerFixture.h"
#include "TestMain.h"

namespace {

using Policy = RunningApplication::ActivationPolicy;

RunningApplication app(qint32 pid, const QString& name, const QString& bundle = {}, Policy policy = Policy::Regular)
{
    return FakeWorkspace::application(pid, name, bundle, policy);
}

QString hudWrite(const QString& bundle)
{
    return "/usr/bin/defaults write " + bundle + " MetalForceHudEnabled -bool YES";
}

QString hudDelete(const QString& bundle)
{
    return "/usr/bin/defaults delete " + bundle + " MetalForceHudEnabled";
}

} // namespace

class TestLaunchObserverAndCleanup : public QObject {
    Q_OBJECT
private slots:
    void launches_data()
    {
        QTest::addColumn<RunningApplication>("launched");
        QTest::addColumn<bool>("autoOptimize");
        QTest::addColumn<bool>("hud");
        QTest::addColumn<QStringList>("hudBundlesBefore");
        QTest::addColumn<bool>("gameMode");
        QTest::addColumn<QStringList>("hudWrites");

        const auto steam = app(40, "Steam", "com.valvesoftware.steam");
        QTest::newRow("a game with auto-optimise on") << steam << true << false << QStringList{} << true
                                                      << QStringList{};
        QTest::newRow("a game with auto-optimise off") << steam << false << false << QStringList{} << false
                                                       << QStringList{};
        QTest::newRow("a game with the HUD on") << steam << false << true << QStringList{} << false
                                                << QStringList{hudWrite("com.valvesoftware.steam")};
        QTest::newRow("HUD default already written") << steam << false << true
                                                     << QStringList{"com.valvesoftware.steam"} << false
                                                     << QStringList{};
        QTest::newRow("a game without a bundle identifier gets no HUD default")
            << app(41, "Minecraft") << true << true << QStringList{} << true << QStringList{};
        QTest::newRow("a background game process counts too")
            << app(42, "Game Agent", "com.acme.gameagent", Policy::Prohibited) << true << true << QStringList{} << true
            << QStringList{hudWrite("com.acme.gameagent")};
        QTest::newRow("not a game") << app(43, "Mail", "com.apple.mail") << true << true << QStringList{} << false
                                    << QStringList{};
        QTest::newRow("no name") << app(44, "", "com.acme.game") << true << true << QStringList{} << false
                                 << QStringList{};
        QTest::newRow("no process") << app(0, "Steam", "com.valvesoftware.steam") << true << true << QStringList{}
                                    << false << QStringList{};
    }

    void launches()
    {
        QFETCH(RunningApplication, launched);
        QFETCH(bool, autoOptimize);
        QFETCH(bool, hud);
        QFETCH(QStringList, hudBundlesBefore);
        QFETCH(bool, gameMode);
        QFETCH(QStringList, hudWrites);

        OptimizerFixture f;
        f.processes.setPrivileged(true);
        f.processes.add(launched.processIdentifier, launched.startTime);
        TestableOptimizer& optimizer = f.optimizer();
        optimizer.setAutoOptimizeEnabled(autoOptimize);
        optimizer.forceMetalHUD(hud);
        for (const QString& bundle : hudBundlesBefore)
            optimizer.recordHUDBundle(bundle);
        optimizer.startGameLaunchObserver();

        f.workspace.launch(launched);
        WorkQueues::drain();
        QCoreApplication::processEvents();

        QCOMPARE(optimizer.gameModeEnabled(), gameMode);
        QCOMPARE(optimizer.boostedPIDs().contains(launched.processIdentifier), gameMode);
        QCOMPARE(f.runner.commandLines(), hudWrites);
        QSet<QString> expectedBundles(hudBundlesBefore.cbegin(), hudBundlesBefore.cend());
        if (!hudWrites.isEmpty())
            expectedBundles.insert(launched.bundleIdentifier);
        QCOMPARE(optimizer.metalHUDBundleIDs(), expectedBundles);
    }

    void observerRegistersOnce()
    {
        OptimizerFixture f;
        f.processes.setPrivileged(true);
        TestableOptimizer& optimizer = f.optimizer();
        optimizer.setAutoOptimizeEnabled(true);

        f.workspace.launch(app(50, "Steam"));
        QVERIFY(!optimizer.gameModeEnabled());

        optimizer.startGameLaunchObserver();
        optimizer.startGameLaunchObserver();
        f.workspace.launch(app(51, "Roblox"));
        // One handler ran: one mute script, one Game Mode.
        QCOMPARE(f.scripts.sources().size(), 1);

        optimizer.stopGameLaunchObserver();
        optimizer.stopGameLaunchObserver();
        f.workspace.launch(app(52, "Fortnite"));
        QCOMPARE(f.scripts.sources().size(), 1);
    }

    void aSettingChangeTakesEffectAtTheNextLaunch()
    {
        OptimizerFixture f;
        TestableOptimizer& optimizer = f.optimizer();
        optimizer.startGameLaunchObserver();
        f.workspace.launch(app(60, "Steam"));
        QVERIFY(f.scripts.sources().isEmpty());
        optimizer.setAutoOptimizeEnabled(true);
        f.workspace.launch(app(61, "Steam"));
        QCOMPARE(f.scripts.sources().size(), 1);
    }

    void cleanupUndoesEverythingAndCanRunTwice()
    {
        OptimizerFixture f;
        f.processes.setPrivileged(true);
        f.run(app(70, "Steam"), 2);
        f.run(app(71, "Discord"), 5);
        TestableOptimizer& optimizer = f.optimizer();
        optimizer.setAutoOptimizeEnabled(true);
        optimizer.startGameLaunchObserver();
        optimizer.setAutoHealEnabled(true);
        optimizer.enableGameMode();
        optimizer.setAntiShut(true, 30);
        optimizer.forceMetalHUD(true);
        optimizer.forceFrameLimitActive(true);
        for (const QString& bundle : QStringList{"com.a.game", "com.b.game", "com.c.game"})
            optimizer.recordHUDBundle(bundle);
        const auto report = optimizer.lastOptimizationReport();
        QSignalSpy keepAwakeEnded(f.runner.lastHeld(), &HeldProcess::finished);
        QVERIFY(optimizer.focusModeEnabled());
        QVERIFY(optimizer.gameModeEnabled());
        QCOMPARE(f.processes.niceOf(70), -10);
        QCOMPARE(f.processes.niceOf(71), 10);
        f.runner.clear();
        const int scriptsBefore = int(f.scripts.sources().size());

        optimizer.cleanup();

        QStringList tools = f.runner.commandLines();
        QCOMPARE(tools.takeFirst(), "/usr/bin/defaults delete -g MetalFPSLimit");
        tools.sort();
        QCOMPARE(tools, (QStringList{hudDelete("com.a.game"), hudDelete("com.b.game"), hudDelete("com.c.game")}));
        QVERIFY(optimizer.metalHUDBundleIDs().isEmpty());
        QCOMPARE(keepAwakeEnded.size(), 1);
        QVERIFY(!optimizer.keepAwakeExpiry());
        QCOMPARE(f.processes.niceOf(70), 2);
        QCOMPARE(f.processes.niceOf(71), 5);
        QVERIFY(optimizer.boostedPIDs().isEmpty());
        QVERIFY(optimizer.throttledPIDs().isEmpty());
        QVERIFY(!optimizer.gameModeEnabled());
        QVERIFY(!optimizer.antiShutEnabled());
        // What the clean-up leaves as it was.
        QVERIFY(optimizer.focusModeEnabled());
        QVERIFY(optimizer.metalHUDEnabled());
        QVERIFY(optimizer.frameLimitActive());
        QVERIFY(optimizer.autoHealEnabled());
        QCOMPARE(optimizer.lastOptimizationReport(), report);
        QCOMPARE(f.scripts.sources().size(), scriptsBefore);

        // The observer is gone and so is the auto-heal watch.
        f.memory.setReadings({0.5});
        const int reads = f.memory.reads();
        f.workspace.launch(app(72, "Fortnite"));
        QVERIFY(optimizer.boostedPIDs().isEmpty());
        QTest::qWait(int(OptimizerFixture::kAutoHealInterval.count() * 3));
        QCOMPARE(f.memory.reads(), reads);

        f.runner.clear();
        const int priorityCalls = int(f.processes.priorityCalls().size());
        optimizer.cleanup();
        QCOMPARE(f.runner.commandLines(), QStringList{"/usr/bin/defaults delete -g MetalFPSLimit"});
        QCOMPARE(f.processes.priorityCalls().size(), priorityCalls);
        QCOMPARE(keepAwakeEnded.size(), 1);
    }

    void cleanupWithNothingToUndoRunsNoTool()
    {
        OptimizerFixture f;
        f.optimizer().cleanup();
        f.optimizer().cleanup();
        QVERIFY(f.runner.calls().isEmpty());
        QVERIFY(f.processes.priorityCalls().isEmpty());
        QVERIFY(!f.optimizer().gameModeEnabled());
    }
};

QM_TEST_MAIN(TestLaunchObserverAndCleanup)
#include "tst_LaunchObserverAndCleanup.moc"

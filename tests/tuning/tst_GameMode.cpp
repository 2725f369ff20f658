#include "OptimizerFixture.h"
#include "TestMain.h"

namespace {

const QString kSleep = "Prevented display sleep during gameplay";
const QString kMuted = "Muted system output for focus mode";

RunningApplication app(qint32 pid, const QString& name, const QString& bundle = {},
                       RunningApplication::ActivationPolicy policy = RunningApplication::ActivationPolicy::Regular)
{
    return FakeWorkspace::application(pid, name, bundle, policy);
}

struct Outcome {
    bool called = false;
    bool success = false;
    QStringList lines;
};

} // namespace

class TestGameMode : public QObject {
    Q_OBJECT
private slots:
    void enable_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<qint32>("pid");       // 0: choose automatically
        QTest::addColumn<qint32>("frontmost"); // 0: none
        QTest::addColumn<bool>("keepAwakeStarts");
        QTest::addColumn<bool>("muteWorks");
        QTest::addColumn<bool>("privileged");
        QTest::addColumn<int>("niceLimit");
        QTest::addColumn<QList<qint32>>("foreign");
        QTest::addColumn<QStringList>("lines");

        const QList<RunningApplication> usual{app(10, "Steam", "com.valvesoftware.steam"), app(11, "Discord"),
                                              app(12, "Safari")};
        QTest::newRow("every step takes effect")
            << usual << 0 << 0 << true << true << true << 0 << QList<qint32>{}
            << QStringList{kSleep, kMuted, "Raised priority for Steam", "Lowered priority for Discord",
                           "Lowered priority for Safari"};
        QTest::newRow("keep-awake cannot start")
            << usual << 0 << 0 << false << true << true << 0 << QList<qint32>{}
            << QStringList{kMuted, "Raised priority for Steam", "Lowered priority for Discord",
                           "Lowered priority for Safari"};
        QTest::newRow("mute fails")
            << usual << 0 << 0 << true << false << true << 0 << QList<qint32>{}
            << QStringList{kSleep, "Raised priority for Steam", "Lowered priority for Discord",
                           "Lowered priority for Safari"};
        QTest::newRow("may lower and raise back, may not boost")
            << usual << 0 << 0 << true << true << false << 20 << QList<qint32>{}
            << QStringList{kSleep, kMuted, "Lowered priority for Discord", "Lowered priority for Safari"};
        QTest::newRow("ordinary user without a nice limit")
            << usual << 0 << 0 << false << true << false << 0 << QList<qint32>{} << QStringList{kMuted};
        QTest::newRow("nothing takes effect")
            << usual << 0 << 0 << false << false << false << 0 << QList<qint32>{} << QStringList{};
        QTest::newRow("another user's processes are left alone")
            << usual << 0 << 0 << true << true << true << 0 << QList<qint32>{10, 11}
            << QStringList{kSleep, kMuted, "Lowered priority for Safari"};
        QTest::newRow("background applications in workspace order, no game")
            << QList{app(20, "Google Chrome"), app(21, "Notes"), app(22, "Discord")} << 0 << 0 << true << true
            << true << 0 << QList<qint32>{}
            << QStringList{kSleep, kMuted, "Lowered priority for Google Chrome", "Lowered priority for Discord"};
        QTest::newRow("names must match exactly")
            << QList{app(30, "Discord Helper"), app(31, "google chrome"), app(32, "Slack")} << 0 << 0 << true
            << true << true << 0 << QList<qint32>{} << QStringList{kSleep, kMuted, "Lowered priority for Slack"};
        QTest::newRow("a chosen game on the background list is raised, not lowered")
            << usual << 11 << 0 << true << true << true << 0 << QList<qint32>{}
            << QStringList{kSleep, kMuted, "Raised priority for Discord", "Lowered priority for Safari"};
        QTest::newRow("a nameless chosen process")
            << QList{app(40, "")} << 40 << 0 << true << true << true << 0 << QList<qint32>{}
            << QStringList{kSleep, kMuted, "Raised priority for game"};
        QTest::newRow("the frontmost game is preferred")
            << QList{app(50, "Steam"), app(51, "Minecraft")} << 0 << 50 << true << true << true << 0
            << QList<qint32>{} << QStringList{kSleep, kMuted, "Raised priority for Steam"};
        QTest::newRow("else the first game by name")
            << QList{app(50, "Steam"), app(51, "Minecraft")} << 0 << 0 << true << true << true << 0
            << QList<qint32>{} << QStringList{kSleep, kMuted, "Raised priority for Minecraft"};
    }

    void enable()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(qint32, pid);
        QFETCH(qint32, frontmost);
        QFETCH(bool, keepAwakeStarts);
        QFETCH(bool, muteWorks);
        QFETCH(bool, privileged);
        QFETCH(int, niceLimit);
        QFETCH(QList<qint32>, foreign);
        QFETCH(QStringList, lines);

        OptimizerFixture f;
        for (const RunningApplication& a : running) {
            f.workspace.add(a);
            f.processes.add(a.processIdentifier, a.startTime, 0, !foreign.contains(a.processIdentifier));
            f.processes.setNiceLimit(a.processIdentifier, niceLimit);
        }
        if (frontmost)
            f.workspace.setFrontmost(frontmost);
        f.runner.setHeldStartFails(!keepAwakeStarts);
        if (!muteWorks)
            f.scripts.setFailure("no sound server");
        f.processes.setPrivileged(privileged);
        SystemOptimizer& optimizer = f.optimizer();

        Outcome outcome;
        optimizer.enableGameMode(pid ? std::optional(pid) : std::nullopt, [&outcome](bool success, const QStringList& l) {
            QVERIFY(!outcome.called);
            outcome = {true, success, l};
        });

        QVERIFY(outcome.called);
        QCOMPARE(outcome.lines, lines);
        QCOMPARE(outcome.success, !lines.isEmpty());
        QCOMPARE(optimizer.gameModeEnabled(), !lines.isEmpty());
        QCOMPARE(optimizer.antiShutEnabled(), keepAwakeStarts);
        QCOMPARE(optimizer.focusModeEnabled(), muteWorks);
        QCOMPARE(f.scripts.sources(), QStringList{"set volume output muted"});
        if (lines.isEmpty()) {
            QVERIFY(!optimizer.lastOptimizationReport());
        } else {
            QVERIFY(optimizer.lastOptimizationReport());
            QCOMPARE(optimizer.lastOptimizationReport()->title, "Game Mode enabled");
            QCOMPARE(optimizer.lastOptimizationReport()->actions, lines);
        }
        const qsizetype raised = lines.filter("Raised priority for ").size();
        const qsizetype lowered = lines.filter("Lowered priority for ").size();
        QCOMPARE(optimizer.boostedPIDs().size(), raised);
        QCOMPARE(optimizer.throttledPIDs().size(), lowered);
        for (const qint32 boosted : optimizer.boostedPIDs())
            QCOMPARE(f.processes.niceOf(boosted), -10);
        for (const qint32 throttled : optimizer.throttledPIDs())
            QCOMPARE(f.processes.niceOf(throttled), 10);
    }

    void enablingTwice()
    {
        OptimizerFixture f;
        f.run({app(101, "Steam"), app(102, "Discord"), app(103, "Spotify")});
        f.processes.setPrivileged(true);
        QStringList first;
        QStringList second;
        f.optimizer().enableGameMode({}, [&first](bool, const QStringList& l) { first = l; });
        f.optimizer().enableGameMode({}, [&second](bool, const QStringList& l) { second = l; });

        QCOMPARE(second.filter("Lowered"), first.filter("Lowered"));
        QCOMPARE(second.filter("Lowered").size(), 2);
        QCOMPARE(f.optimizer().throttledPIDs(), (QSet<qint32>{102, 103}));
        QCOMPARE(f.optimizer().boostedPIDs(), QSet<qint32>{101});
        // The keep-awake process of the first call still runs and is not started again.
        QCOMPARE(f.runner.heldStarts().size(), 1);
        QVERIFY(second.contains(kSleep));
    }

    void reclaimedMemory_data()
    {
        QTest::addColumn<std::optional<double>>("before");
        QTest::addColumn<std::optional<double>>("after");
        QTest::addColumn<std::optional<double>>("reclaimed");
        QTest::newRow("grew") << std::optional(4.0) << std::optional(4.5) << std::optional(0.5);
        QTest::newRow("fell") << std::optional(4.0) << std::optional(3.0) << std::optional(0.0);
        QTest::newRow("first reading failed")
            << std::optional<double>() << std::optional(4.0) << std::optional<double>();
        QTest::newRow("second reading failed")
            << std::optional(4.0) << std::optional<double>() << std::optional<double>();
    }

    void reclaimedMemory()
    {
        QFETCH(std::optional<double>, before);
        QFETCH(std::optional<double>, after);
        QFETCH(std::optional<double>, reclaimed);
        OptimizerFixture f;
        f.memory.setReadings({before, after});
        f.optimizer().enableGameMode();
        QVERIFY(f.optimizer().lastOptimizationReport());
        QCOMPARE(f.optimizer().lastOptimizationReport()->reclaimedRAMGB, reclaimed);
    }

    void disableRestoresEarlierPriorities()
    {
        OptimizerFixture f;
        f.run(app(101, "Steam"), 3);
        f.run(app(102, "Discord"), -2);
        f.run(app(103, "Slack"), 0);
        f.processes.setPrivileged(true);
        f.optimizer().enableGameMode();
        QCOMPARE(f.processes.niceOf(101), -10);
        QVERIFY(f.optimizer().antiShutEnabled());
        QSignalSpy keepAwakeEnded(f.runner.lastHeld(), &HeldProcess::finished);

        QStringList lines;
        bool called = false;
        f.optimizer().disableGameMode([&](const QStringList& l) {
            QVERIFY(!called);
            called = true;
            lines = l;
        });

        QVERIFY(called);
        QCOMPARE(lines, (QStringList{"Restored game process priority", "Restored background process priority",
                                     "Restored background process priority", "Game Mode disabled"}));
        QCOMPARE(f.processes.niceOf(101), 3);
        QCOMPARE(f.processes.niceOf(102), -2);
        QCOMPARE(f.processes.niceOf(103), 0);
        QVERIFY(f.optimizer().boostedPIDs().isEmpty());
        QVERIFY(f.optimizer().throttledPIDs().isEmpty());
        QVERIFY(!f.optimizer().gameModeEnabled());
        QVERIFY(!f.optimizer().antiShutEnabled());
        QCOMPARE(keepAwakeEnded.size(), 1);
        QVERIFY(!f.optimizer().focusModeEnabled());
        QCOMPARE(*f.optimizer().lastOptimizationReport(),
                 (OptimizationReport{"Game Mode disabled", lines, std::nullopt}));
    }

    void disableWithNothingChanged()
    {
        OptimizerFixture f;
        QStringList lines;
        f.optimizer().disableGameMode([&lines](const QStringList& l) { lines = l; });
        QCOMPARE(lines, QStringList{"Game Mode disabled"});
        QCOMPARE(f.scripts.sources(), QStringList{"set volume output muted false"});
        QVERIFY(!f.optimizer().antiShutEnabled());
        QCOMPARE(f.optimizer().lastOptimizationReport()->title, "Game Mode disabled");
        QVERIFY(!f.optimizer().lastOptimizationReport()->reclaimedRAMGB);
    }

    void restoreSkipsARecycledProcessId()
    {
        OptimizerFixture f;
        f.run(app(7, "Steam"), 0);
        f.run(app(8, "Discord"), 4);
        f.processes.setPrivileged(true);
        f.optimizer().enableGameMode();
        QCOMPARE(f.optimizer().throttledPIDs(), QSet<qint32>{8});

        // Discord quit and an unrelated process took its identifier.
        f.processes.recycle(8, 5555);
        QStringList lines;
        f.optimizer().disableGameMode([&lines](const QStringList& l) { lines = l; });

        QCOMPARE(lines, (QStringList{"Restored game process priority", "Game Mode disabled"}));
        QCOMPARE(f.processes.niceOf(8), 0);
        QVERIFY(f.optimizer().throttledPIDs().isEmpty());
    }

    void target_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<qint32>("pid");
        QTest::addColumn<qint32>("frontmost");
        QTest::addColumn<qint32>("chosen"); // 0: none

        const QList<RunningApplication> games{app(5, "Steam"), app(6, "Notes"), app(7, "Minecraft")};
        QTest::newRow("the given process, game or not") << games << 6 << 5 << 6;
        QTest::newRow("a quit process falls back to the frontmost game") << games << 99 << 5 << 5;
        QTest::newRow("a frontmost non-game is passed over") << games << 99 << 6 << 7;
        QTest::newRow("first game by name") << games << 0 << 0 << 7;
        QTest::newRow("no game") << QList{app(6, "Notes")} << 0 << 6 << 0;
        QTest::newRow("a frontmost accessory is not a detected game")
            << QList{app(5, "Steam"), app(8, "Game Overlay", "", RunningApplication::ActivationPolicy::Accessory)}
            << 0 << 8 << 5;
    }

    void target()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(qint32, pid);
        QFETCH(qint32, frontmost);
        QFETCH(qint32, chosen);
        OptimizerFixture f;
        f.run(running);
        if (frontmost)
            f.workspace.setFrontmost(frontmost);
        const auto target = f.optimizer().targetGameApp(pid ? std::optional(pid) : std::nullopt);
        QCOMPARE(target ? target->processIdentifier : 0, chosen);
    }

    void detectionPublishesLater()
    {
        OptimizerFixture f;
        QTRY_VERIFY(f.optimizer().detectedGames().isEmpty());
        QCoreApplication::processEvents();
        f.run({app(3, "Roblox", "com.roblox.RobloxPlayer"), app(4, "Mail")});
        QSignalSpy changed(&f.optimizer(), &SystemOptimizer::changed);
        f.optimizer().detectRunningGames();
        QVERIFY(f.optimizer().detectedGames().isEmpty());
        QVERIFY(changed.wait(1000));
        QCOMPARE(f.optimizer().detectedGames(),
                 (QList<RunningAppInfo>{{3, "Roblox", "com.roblox.RobloxPlayer"}}));
    }
};

QM_TEST_MAIN(TestGameMode)
#include "tst_GameMode.moc"

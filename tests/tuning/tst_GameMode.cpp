#include "OptimizerFixture.h"
#include "TestMain.h"
#include "tuning/GameDetector.h"

#include <QPointer>

namespace {

using Policy = RunningApplication::ActivationPolicy;
using Change = PriorityLedger::Change;
using Minutes = std::optional<int>;

const QString kSleep = "Prevented display sleep during gameplay";
const QString kMuted = "Muted system output for focus mode";
const QString kDefaults = "/usr/bin/defaults";

} // namespace

class TestGameMode : public QObject {
    Q_OBJECT
private slots:
    void gameTest_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("bundle");
        QTest::addColumn<bool>("game");
        QTest::newRow("keyword in the name, any case") << "CALL OF DUTY" << "" << true;
        QTest::newRow("keyword inside a word") << "Endgame Studio" << "" << true;
        QTest::newRow("keyword in the bundle identifier") << "Player" << "com.unity3d.player" << true;
        QTest::newRow("name and bundle joined by one blank") << "Red" << "dead.redemption" << true;
        QTest::newRow("words without the blank") << "Callofduty" << "" << false;
        QTest::newRow("the dot of battle.net is literal") << "Battlexnet" << "" << false;
        QTest::newRow("ordinary application") << "Notes" << "com.apple.Notes" << false;
    }

    void gameTest()
    {
        QFETCH(QString, name);
        QFETCH(QString, bundle);
        QFETCH(bool, game);
        QCOMPARE(GameDetector::isGame(name, bundle), game);
    }

    void detection_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<QList<qint32>>("expected");
        RunningApplication ended = app(9, "Minecraft");
        ended.isTerminated = true;
        QTest::newRow("ordered by name without regard to case")
            << QList{app(3, "Steam"), app(4, "apex legends"), app(5, "Minecraft")} << QList<qint32>{4, 5, 3};
        QTest::newRow("equal names keep the workspace order")
            << QList{app(7, "steam"), app(2, "STEAM"), app(5, "Steam")} << QList<qint32>{7, 2, 5};
        QTest::newRow("only regular, running, named applications with a process")
            << QList{app(10, "Game Helper", "", Policy::Accessory), app(11, "gamed", "", Policy::Prohibited), ended,
                     app(12, "", "com.acme.game"), app(0, "Roblox"), app(13, "Roblox"), app(14, "Safari")}
            << QList<qint32>{13};
    }

    void detection()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(QList<qint32>, expected);
        QList<qint32> found;
        for (const RunningAppInfo& game : GameDetector::gamesAmong(running))
            found.append(game.id);
        QCOMPARE(found, expected);
    }

    void gameMode_data()
    {
        QTest::addColumn<bool>("keepAwakeStarts");
        QTest::addColumn<bool>("muteWorks");
        QTest::addColumn<int>("niceLimit"); // of every process: 30 allows -10, 20 allows raising back to 2
        QTest::addColumn<qint32>("pid");       // 0: choose automatically
        QTest::addColumn<qint32>("frontmost"); // 0: none
        QTest::addColumn<QStringList>("lines");

        // Running: Steam 10, Discord 11, Safari 12, Minecraft 13, a nameless 14, Discord Helper 15.
        const QString discord = "Lowered priority for Discord";
        const QString safari = "Lowered priority for Safari";
        QTest::newRow("every step; the first game by name; background names matched exactly")
            << true << true << 30 << 0 << 0
            << QStringList{kSleep, kMuted, "Raised priority for Minecraft", discord, safari};
        QTest::newRow("keep-awake cannot start")
            << false << true << 30 << 0 << 0 << QStringList{kMuted, "Raised priority for Minecraft", discord, safari};
        QTest::newRow("mute fails")
            << true << false << 30 << 0 << 0 << QStringList{kSleep, "Raised priority for Minecraft", discord, safari};
        QTest::newRow("may lower and raise back, may not boost")
            << true << true << 20 << 0 << 0 << QStringList{kSleep, kMuted, discord, safari};
        QTest::newRow("nothing takes effect") << false << false << 0 << 0 << 0 << QStringList{};
        QTest::newRow("the frontmost game is preferred")
            << true << true << 30 << 0 << 10 << QStringList{kSleep, kMuted, "Raised priority for Steam", discord, safari};
        QTest::newRow("a chosen background application is raised, not lowered")
            << true << true << 30 << 11 << 10 << QStringList{kSleep, kMuted, "Raised priority for Discord", safari};
        QTest::newRow("a nameless chosen process")
            << true << true << 30 << 14 << 0 << QStringList{kSleep, kMuted, "Raised priority for game", discord, safari};
    }

    void gameMode()
    {
        QFETCH(bool, keepAwakeStarts);
        QFETCH(bool, muteWorks);
        QFETCH(int, niceLimit);
        QFETCH(qint32, pid);
        QFETCH(qint32, frontmost);
        QFETCH(QStringList, lines);

        OptimizerFixture f;
        f.run({app(10, "Steam"), app(11, "Discord"), app(12, "Safari"), app(13, "Minecraft"), app(14, ""),
               app(15, "Discord Helper")},
              2);
        for (qint32 id = 10; id <= 15; ++id)
            f.processes.setNiceLimit(id, niceLimit);
        if (frontmost)
            f.workspace.setFrontmost(frontmost);
        f.runner.setHeldStartFails(!keepAwakeStarts);
        if (!muteWorks)
            f.scripts.setFailure("no sound server");
        SystemOptimizer& o = f.optimizer;

        std::optional<std::pair<bool, QStringList>> on;
        o.enableGameMode(pid ? std::optional(pid) : std::nullopt, [&on](bool success, const QStringList& actions) {
            QVERIFY(!on);
            on = {success, actions};
        });
        QCOMPARE(on, std::optional(std::pair(!lines.isEmpty(), lines)));
        QCOMPARE(o.gameModeEnabled(), !lines.isEmpty());
        QCOMPARE(o.antiShutEnabled(), keepAwakeStarts);
        QCOMPARE(o.focusModeEnabled(), muteWorks);
        QCOMPARE(o.lastOptimizationReport() ? o.lastOptimizationReport()->actions : QStringList(), lines);
        const qsizetype raised = lines.filter("Raised").size();
        const qsizetype lowered = lines.filter("Lowered").size();
        QCOMPARE(o.boostedPIDs().size(), raised);
        QCOMPARE(o.throttledPIDs().size(), lowered);
        for (const qint32 id : o.boostedPIDs())
            QCOMPARE(f.processes.niceOf(id), -10);
        for (const qint32 id : o.throttledPIDs())
            QCOMPARE(f.processes.niceOf(id), 10);

        QStringList off;
        o.disableGameMode([&off](const QStringList& actions) { off.append(actions); });
        QCOMPARE(off, QStringList(raised, "Restored game process priority")
                          + QStringList(lowered, "Restored background process priority") + QStringList{"Game Mode disabled"});
        for (qint32 id = 10; id <= 15; ++id)
            QCOMPARE(f.processes.niceOf(id), 2);
        QVERIFY(!o.gameModeEnabled() && !o.antiShutEnabled() && !o.focusModeEnabled());
        QVERIFY(o.boostedPIDs().isEmpty() && o.throttledPIDs().isEmpty());
        QCOMPARE(f.scripts.sources(), (QStringList{"set volume output muted", "set volume output muted false"}));
    }

    void restoreSkipsARecycledProcessId()
    {
        OptimizerFixture f;
        f.run({app(7, "Steam"), app(8, "Discord")}, 4);
        f.processes.setPrivileged(true);
        f.optimizer.enableGameMode();
        QCOMPARE(f.optimizer.throttledPIDs(), QSet<qint32>{8});

        // Discord quit and an unrelated process took its identifier.
        f.processes.recycle(8, 5555);
        QStringList lines;
        f.optimizer.disableGameMode([&lines](const QStringList& l) { lines = l; });
        QCOMPARE(lines, (QStringList{"Restored game process priority", "Game Mode disabled"}));
        QCOMPARE(f.processes.niceOf(7), 4);
        QCOMPARE(f.processes.niceOf(8), 0);
        QVERIFY(f.optimizer.throttledPIDs().isEmpty());
    }

    void priorityLedger_data()
    {
        QTest::addColumn<int>("niceLimit");
        QTest::addColumn<int>("original");
        QTest::addColumn<int>("nice");
        QTest::addColumn<QString>("owner");
        QTest::addColumn<bool>("applied");
        QTest::newRow("raised") << 30 << 5 << -10 << "" << true;
        QTest::newRow("lowered: the limit allows raising back") << 20 << 0 << 19 << "" << true;
        QTest::newRow("not lowered: RLIMIT_NICE forbids raising back") << 19 << 0 << 19 << "" << false;
        QTest::newRow("another user's process") << 40 << 0 << 19 << "other user" << false;
        QTest::newRow("this process") << 40 << 0 << -10 << "this process" << false;
    }

    void priorityLedger()
    {
        QFETCH(int, niceLimit);
        QFETCH(int, original);
        QFETCH(int, nice);
        QFETCH(QString, owner);
        QFETCH(bool, applied);
        FakeProcessControl control;
        control.add(100, 7, original, owner != "other user");
        control.setNiceLimit(100, niceLimit);
        if (owner == "this process")
            control.setOwnProcessId(100);
        PriorityLedger ledger(control);
        const Change change = nice < original ? Change::Boosted : Change::Throttled;

        // A repeated change keeps the first original.
        QCOMPARE(ledger.apply({100, 7}, nice, change), applied);
        QCOMPARE(ledger.apply({100, 7}, nice, change), applied);
        QCOMPARE(control.niceOf(100), applied ? nice : original);
        QCOMPARE(ledger.processIds(change), applied ? QSet<qint32>{100} : QSet<qint32>{});
        QCOMPARE(ledger.restore(change), applied ? 1 : 0);
        QCOMPARE(control.niceOf(100), original);
        QVERIFY(ledger.processIds(change).isEmpty());
    }

    void keepAwake_data()
    {
        QTest::addColumn<Minutes>("minutes");
        QTest::addColumn<Minutes>("again");     // asked again while it runs
        QTest::addColumn<Minutes>("scheduled"); // minutes until it ends by itself
        QTest::addColumn<QString>("end");
        QTest::newRow("no minutes, stopped") << Minutes() << Minutes() << Minutes() << "stop";
        QTest::newRow("0 minutes schedule nothing") << Minutes(0) << Minutes() << Minutes() << "stop";
        QTest::newRow("a later count replaces the first, then expires") << Minutes(30) << Minutes(2) << Minutes(2)
                                                                        << "expiry";
        QTest::newRow("a later 0 keeps the first; the child exits") << Minutes(30) << Minutes(0) << Minutes(30)
                                                                    << "child exit";
    }

    void keepAwake()
    {
        QFETCH(Minutes, minutes);
        QFETCH(Minutes, again);
        QFETCH(Minutes, scheduled);
        QFETCH(QString, end);
        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        o.setAntiShut(true, minutes);
        o.setAntiShut(true, again);
        QVERIFY(o.antiShutEnabled());
        QCOMPARE(f.runner.heldStarts().size(), 1);
        QCOMPARE(f.runner.heldStarts().first().commandLine(), "/usr/bin/caffeinate -d");
        QCOMPARE(o.keepAwakeExpiry(), scheduled ? std::optional(*scheduled * OptimizerFixture::kMinute) : std::nullopt);

        QPointer<FakeHeldProcess> child = f.runner.lastHeld();
        QSignalSpy childEnded(child, &HeldProcess::finished);
        QSignalSpy changed(&o, &SystemOptimizer::changed);
        if (end == "stop")
            o.setAntiShut(false);
        else if (end == "child exit")
            child->exitOnItsOwn();
        QTRY_VERIFY(!o.antiShutEnabled());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(childEnded.size(), 1);
        QVERIFY(!o.keepAwakeExpiry());
        QTRY_VERIFY(!child);
        o.setAntiShut(true);
        QCOMPARE(f.runner.heldStarts().size(), 2);
    }

    void launchObserver_data()
    {
        QTest::addColumn<RunningApplication>("launched");
        QTest::addColumn<bool>("autoOptimize");
        QTest::addColumn<bool>("hud");
        QTest::addColumn<bool>("gameMode");
        QTest::addColumn<bool>("hudWrite");

        // Switching the HUD on wrote the default of every preset's game, Steam's among them.
        const auto steam = app(40, "Steam", "com.valve.steam");
        QTest::newRow("a game, auto-optimise on") << steam << true << false << true << false;
        QTest::newRow("a game, auto-optimise off") << steam << false << false << false << false;
        QTest::newRow("HUD on, its default already written") << steam << false << true << false << false;
        QTest::newRow("HUD on, a background game process")
            << app(42, "Game Agent", "com.acme.gameagent", Policy::Prohibited) << true << true << true << true;
        QTest::newRow("HUD on, no bundle identifier") << app(41, "Minecraft") << false << true << false << false;
        QTest::newRow("not a game") << app(43, "Mail", "com.apple.mail") << true << true << false << false;
        QTest::newRow("no process") << app(0, "Steam", "com.acme.steam") << true << true << false << false;
    }

    void launchObserver()
    {
        QFETCH(RunningApplication, launched);
        QFETCH(bool, autoOptimize);
        QFETCH(bool, hud);
        QFETCH(bool, gameMode);
        QFETCH(bool, hudWrite);
        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        f.processes.setPrivileged(true);
        f.processes.add(launched.processIdentifier, launched.startTime);
        if (hud) {
            f.runner.respond(kDefaults, ProcessResult::exited(0));
            o.setMetalHUD(true);
            OptimizerFixture::settle();
            QVERIFY(o.metalHUDEnabled());
            f.runner.clear();
        }
        o.setAutoOptimizeEnabled(autoOptimize);
        // A second registration would handle every launch twice.
        o.startGameLaunchObserver();
        o.startGameLaunchObserver();
        f.workspace.launch(launched);
        OptimizerFixture::settle();

        QCOMPARE(o.gameModeEnabled(), gameMode);
        QCOMPARE(o.boostedPIDs().contains(launched.processIdentifier), gameMode);
        QCOMPARE(f.scripts.sources().size(), gameMode ? 1 : 0);
        const QString write = kDefaults + " write " + launched.bundleIdentifier + " MetalForceHudEnabled -bool YES";
        QCOMPARE(f.runner.commandLines(), hudWrite ? QStringList{write} : QStringList{});
        if (hudWrite)
            QVERIFY(o.metalHUDBundleIDs().contains(launched.bundleIdentifier));
    }

    void cleanupUndoesEverythingAndCanRunTwice()
    {
        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        f.processes.setPrivileged(true);
        f.run({app(70, "Steam"), app(71, "Discord")}, 2);
        f.runner.respond(kDefaults, ProcessResult::exited(0));
        o.setMetalHUD(true);
        o.setFrameLimit(144);
        OptimizerFixture::settle();
        o.setAutoOptimizeEnabled(true);
        o.startGameLaunchObserver();
        o.setAutoHealEnabled(true);
        o.enableGameMode();
        o.setAntiShut(true, 30);
        QSignalSpy keepAwakeEnded(f.runner.lastHeld(), &HeldProcess::finished);
        const auto report = o.lastOptimizationReport();
        QSet<QString> deletes{kDefaults + " delete -g MetalFPSLimit"};
        for (const QString& bundle : o.metalHUDBundleIDs())
            deletes.insert(kDefaults + " delete " + bundle + " MetalForceHudEnabled");
        QCOMPARE(deletes.size(), 13);
        QVERIFY(o.frameLimitActive() && o.focusModeEnabled() && o.gameModeEnabled());
        f.runner.clear();
        // Low memory, which a live auto-heal would purge.
        f.memory.setReadings({0.5});

        o.cleanup();
        const QStringList tools = f.runner.commandLines();
        QCOMPARE(tools.first(), kDefaults + " delete -g MetalFPSLimit");
        QCOMPARE(QSet<QString>(tools.cbegin(), tools.cend()), deletes);
        QVERIFY(o.metalHUDBundleIDs().isEmpty());
        QCOMPARE(keepAwakeEnded.size(), 1);
        QCOMPARE(f.processes.niceOf(70), 2);
        QCOMPARE(f.processes.niceOf(71), 2);
        QVERIFY(!o.gameModeEnabled() && !o.antiShutEnabled() && o.boostedPIDs().isEmpty() && o.throttledPIDs().isEmpty());
        // What the clean-up leaves as it was.
        QVERIFY(o.focusModeEnabled() && o.metalHUDEnabled() && o.frameLimitActive() && o.autoHealEnabled());
        QCOMPARE(o.lastOptimizationReport(), report);
        // The launch observer and the auto-heal watch are gone.
        const int reads = f.memory.reads();
        f.workspace.launch(app(72, "Fortnite"));
        QTest::qWait(60);
        QCOMPARE(f.memory.reads(), reads);
        QCOMPARE(f.scripts.sources().size(), 1);

        f.runner.clear();
        const qsizetype priorityCalls = f.processes.priorityCalls().size();
        o.cleanup();
        QCOMPARE(f.runner.commandLines(), QStringList{kDefaults + " delete -g MetalFPSLimit"});
        QCOMPARE(f.processes.priorityCalls().size(), priorityCalls);
        QCOMPARE(keepAwakeEnded.size(), 1);
    }
};

QM_TEST_MAIN(TestGameMode)
#include "tst_GameMode.moc"

#include "MainThread.h"
#include "OptimizerFixture.h"
#include "FakeGameOverlay.h"
#include "StatusRecorder.h"
#include "TestMain.h"
#include "tuning/GameDetector.h"
#include "macos/MetalDefaults.h"
#include "macos/NetworkServiceLocator.h"

#include "Locked.h"

#include <QPointer>
#include <QScopeGuard>
#include <QSemaphore>
#include <atomic>
#include <cstring>

namespace {

using Policy = RunningApplication::ActivationPolicy;
using Outcome = std::pair<bool, QStringList>;
using Readings = QList<std::optional<double>>; // free memory before and after
using Limit = std::optional<qint64>;
using Text = std::optional<QString>;

const QString kSleep = "Prevented display sleep during gameplay";
const QString kMuted = "Muted system output for focus mode";
const QString kDefaults = "/usr/bin/defaults";
const QString kPurge = "/usr/sbin/purge";
const QString kMissing = "execve: No such file or directory";
const QString kRoute = "/usr/sbin/route";
const QString kNetworkSetup = "/usr/sbin/networksetup";
// The service of en0; the shell and the administrator script must each keep it one word.
const QString kService = R"(Bob's "Net"\2)";
const QByteArray kServiceList = "An asterisk (*) denotes that a network service is disabled.\n"
                                "(1) Thunderbolt Ethernet\n(Hardware Port: Thunderbolt Ethernet, Device: en10)\n\n"
                                "(2) " + kService.toUtf8() + "\n(Hardware Port: Wi-Fi, Device: en0)\n\n"
                                "(3) USB LAN\n(Hardware Port: USB 10/100/1000 LAN, Device: en1)\n\n"
                                "(*) Bluetooth PAN\n(Hardware Port: Bluetooth PAN, Device: en6)\n";

// The tools of a Mac whose default route runs over en0, but for what `network` names.
void scriptNetwork(FakeProcessRunner& runner, const QString& network)
{
    if (network == "no tools")
        return;
    runner.respond(kRoute, {"-n", "get", "default"},
                   ProcessResult::exited(0, network == "no route" ? "route: writing to routing socket: not in table\n"
                                                                  : "  gateway: 10.0.0.1\n  interface: en0\n"));
    runner.respond(kNetworkSetup, {"-listnetworkserviceorder"}, ProcessResult::exited(0, kServiceList));
    runner.respond("/usr/bin/dig", ProcessResult::exited(0, "17.253.144.10\n"));
    runner.respond(kNetworkSetup, {"-getdnsservers", kService}, ProcessResult::exited(0, "1.1.1.1\n1.0.0.1\n"));
}

// A workspace whose first query answers only when let go, with the applications as they were when
// it was asked, as the first reading of the system does; later queries answer at once.
class HeldWorkspace final : public Workspace {
public:
    ~HeldWorkspace() override { letFirstQueryGo(); }
    void setRunning(const QList<RunningApplication>& running) { m_running.set(running); }
    void letFirstQueryGo() { m_release.release(); }
    bool firstAsked() const { return m_asked; }
    bool firstAskedOnMainThread() const { return m_onMainThread; }

    QList<RunningApplication> runningApplications() override
    {
        const QList<RunningApplication> running = m_running.get();
        if (!m_asked.exchange(true)) {
            m_onMainThread = MainThread::isCurrent();
            // Bounded, so that a first query asked on the main thread fails the test instead of hanging it.
            m_release.tryAcquire(1, 5000);
        }
        return running;
    }
    std::optional<RunningApplication> frontmostApplication() override { return std::nullopt; }
    bool requestQuit(const RunningApplication&) override { return false; }

private:
    Locked<QList<RunningApplication>> m_running;
    QSemaphore m_release;
    std::atomic<bool> m_asked = false;
    std::atomic<bool> m_onMainThread = false;
};

} // namespace

class TestSystemOptimizer : public QObject {
    Q_OBJECT
private slots:
    void detection_data()
    {
        QTest::addColumn<QList<RunningApplication>>("running");
        QTest::addColumn<QList<qint32>>("games");
        RunningApplication ended = app(9, "Minecraft");
        ended.isTerminated = true;
        QTest::newRow("keywords in the name or bundle identifier, as plain text")
            << QList{app(1, "CALL OF DUTY"), app(2, "Endgame Studio"), app(3, "Player", "com.unity3d.player"),
                     app(4, "Red", "dead.redemption"), app(5, "Callofduty"), app(6, "Battlexnet"), app(7, "Notes")}
            << QList<qint32>{1, 2, 3, 4};
        QTest::newRow("by name without regard to case; equal names in workspace order")
            << QList{app(7, "steam"), app(4, "apex legends"), app(2, "STEAM"), app(5, "Minecraft")}
            << QList<qint32>{4, 5, 7, 2};
        QTest::newRow("only regular, running, named applications with a process")
            << QList{app(10, "Game Helper", "", Policy::Accessory), app(11, "gamed", "", Policy::Prohibited), ended,
                     app(12, "", "com.acme.game"), app(0, "Roblox"), app(13, "Roblox")}
            << QList<qint32>{13};
    }

    void detection()
    {
        QFETCH(QList<RunningApplication>, running);
        QFETCH(QList<qint32>, games);
        QList<qint32> found;
        for (const RunningAppInfo& game : GameDetector::gamesAmong(running))
            found.append(game.id);
        QCOMPARE(found, games);
    }

    // The optimizer's first look at the running games waits for the workspace's first reading on a
    // worker, so building it never waits; what that look finds never replaces a newer detection.
    void firstDetection_data()
    {
        QTest::addColumn<bool>("detectMeanwhile");
        QTest::addColumn<QList<qint32>>("games");
        QTest::newRow("published once the first reading ends") << false << QList<qint32>{7};
        QTest::newRow("a detection made meanwhile is newer and kept") << true << QList<qint32>{7, 8};
    }

    void firstDetection()
    {
        QFETCH(bool, detectMeanwhile);
        QFETCH(QList<qint32>, games);
        OptimizerFixture f;
        HeldWorkspace workspace;
        workspace.setRunning({app(7, "Minecraft")});
        SystemOptimizer optimizer({workspace, f.processes, f.runner, f.scripts, f.host, f.overlay, f.backends});
        QTRY_VERIFY(workspace.firstAsked());
        QVERIFY(!workspace.firstAskedOnMainThread());
        if (detectMeanwhile) {
            workspace.setRunning({app(7, "Minecraft"), app(8, "Roblox")});
            optimizer.detectRunningGames();
            QCoreApplication::processEvents();
        }
        workspace.letFirstQueryGo();
        OptimizerFixture::settle();
        QList<qint32> found;
        for (const RunningAppInfo& game : optimizer.detectedGames())
            found.append(game.id);
        QCOMPARE(found, games);
    }

    void gameMode_data()
    {
        QTest::addColumn<bool>("keepAwakeStarts");
        QTest::addColumn<bool>("muteWorks");
        QTest::addColumn<int>("niceLimit"); // of every process: 30 allows -10, 18 allows raising back to 2
        QTest::addColumn<qint32>("pid");       // 0: choose automatically
        QTest::addColumn<qint32>("frontmost"); // 0: none
        QTest::addColumn<qint32>("alreadyThere");     // already at the priority Game Mode gives it; 0: none
        QTest::addColumn<QStringList>("lines");

        const QString discord = "Lowered priority for Discord";
        const QString spotify = "Lowered priority for Spotify";
        const auto raised = [](const QString& name) { return "Raised priority for " + name; };
        const QString minecraft = raised("Minecraft");
        QTest::newRow("every step; the first game by name")
            << true << true << 30 << 0 << 0 << 0 << QStringList{kSleep, kMuted, minecraft, discord, spotify};
        QTest::newRow("keep-awake cannot start")
            << false << true << 30 << 0 << 0 << 0 << QStringList{kMuted, minecraft, discord, spotify};
        QTest::newRow("mute fails")
            << true << false << 30 << 0 << 0 << 0 << QStringList{kSleep, minecraft, discord, spotify};
        QTest::newRow("the limit allows raising back, not boosting")
            << true << true << 18 << 0 << 0 << 0 << QStringList{kSleep, kMuted, discord, spotify};
        QTest::newRow("nothing: the limit is one short of raising back")
            << false << false << 17 << 0 << 0 << 0 << QStringList{};
        QTest::newRow("the frontmost game is preferred")
            << true << true << 30 << 0 << 10 << 0 << QStringList{kSleep, kMuted, raised("Steam"), discord, spotify};
        QTest::newRow("a chosen background application is raised, not lowered")
            << true << true << 30 << 11 << 10 << 0 << QStringList{kSleep, kMuted, raised("Discord"), spotify};
        QTest::newRow("a nameless chosen process")
            << true << true << 30 << 14 << 0 << 0 << QStringList{kSleep, kMuted, raised("game"), discord, spotify};
        QTest::newRow("Discord already runs at the lowered priority: no change, no line")
            << true << true << 30 << 0 << 0 << 11 << QStringList{kSleep, kMuted, minecraft, spotify};
        QTest::newRow("the game already runs at the raised priority")
            << true << true << 30 << 0 << 0 << 13 << QStringList{kSleep, kMuted, discord, spotify};
    }

    void gameMode()
    {
        QFETCH(bool, keepAwakeStarts);
        QFETCH(bool, muteWorks);
        QFETCH(int, niceLimit);
        QFETCH(qint32, pid);
        QFETCH(qint32, frontmost);
        QFETCH(qint32, alreadyThere);
        QFETCH(QStringList, lines);

        // Background names are matched exactly; Safari is another user's and Slack is this process.
        OptimizerFixture f;
        f.run({app(10, "Steam"), app(11, "Discord"), app(12, "Safari"), app(13, "Minecraft"), app(14, ""),
               app(15, "Discord Helper"), app(16, "Slack"), app(17, "Spotify")},
              2);
        for (qint32 id = 10; id <= 17; ++id)
            f.processes.setNiceLimit(id, niceLimit);
        f.processes.add(12, app(12, "Safari").startTime, 2, false);
        const int atStart = alreadyThere == 13 ? -10 : 10;
        if (alreadyThere) {
            f.processes.add(alreadyThere, app(alreadyThere, "").startTime, atStart);
            f.processes.setNiceLimit(alreadyThere, niceLimit);
        }
        f.processes.setOwnProcessId(16);
        if (frontmost)
            f.workspace.setFrontmost(frontmost);
        f.runner.setHeldStartFails(!keepAwakeStarts);
        if (!muteWorks)
            f.scripts.setFailure("no sound server");
        SystemOptimizer& o = f.optimizer;

        // Asked twice: the second time must not take the first change for the earlier priority.
        QList<Outcome> on;
        for (int i = 0; i < 2; ++i)
            o.enableGameMode(pid ? std::optional(pid) : std::nullopt,
                             [&on](bool success, const QStringList& actions) { on.append({success, actions}); });
        QCOMPARE(on, QList<Outcome>(2, {!lines.isEmpty(), lines}));
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

        // Spotify quit meanwhile and an unrelated process took its identifier.
        f.processes.recycle(17, 5555);
        QStringList off;
        o.disableGameMode([&off](const QStringList& actions) { off.append(actions); });
        QCOMPARE(off, QStringList(raised, "Restored game process priority")
                          + QStringList(lowered - lines.count("Lowered priority for Spotify"),
                                        "Restored background process priority")
                          + QStringList{"Game Mode disabled"});
        for (qint32 id = 10; id <= 16; ++id)
            QCOMPARE(f.processes.niceOf(id), id == alreadyThere ? atStart : 2);
        QCOMPARE(f.processes.niceOf(17), 0);
        QVERIFY(!o.gameModeEnabled() && !o.antiShutEnabled() && !o.focusModeEnabled());
        QVERIFY(o.boostedPIDs().isEmpty() && o.throttledPIDs().isEmpty());
        QCOMPARE(f.scripts.sources().last(), "set volume output muted false");
    }

    void keepAwake_data()
    {
        QTest::addColumn<std::optional<int>>("minutes");
        QTest::addColumn<QString>("end");
        QTest::newRow("no minutes, stopped") << std::optional<int>() << "stop";
        QTest::newRow("0 minutes schedule no end; the child exits") << std::optional(0) << "child exit";
        QTest::newRow("2 minutes, expired") << std::optional(2) << "expiry";
    }

    void keepAwake()
    {
        QFETCH(std::optional<int>, minutes);
        QFETCH(QString, end);
        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        o.setAntiShut(true, minutes);
        o.setAntiShut(true);
        QVERIFY(o.antiShutEnabled());
        QCOMPARE(f.runner.heldStarts().first().commandLine(), "/usr/bin/caffeinate -d");
        QCOMPARE(o.keepAwakeExpiry(),
                 end == "expiry" ? std::optional(*minutes * OptimizerFixture::kMinute) : std::nullopt);

        QPointer<FakeHeldProcess> child = f.runner.lastHeld();
        QSignalSpy childEnded(child, &HeldProcess::finished);
        if (end == "stop")
            o.setAntiShut(false);
        else if (end == "child exit")
            child->exitOnItsOwn();
        QTRY_VERIFY(!o.antiShutEnabled());
        QCOMPARE(childEnded.size(), 1);
        QVERIFY(!o.keepAwakeExpiry());
        QTRY_VERIFY(!child);
        o.setAntiShut(true);
        QCOMPARE(f.runner.heldStarts().size(), 2);
    }

    void launchObserverAndCleanup()
    {
        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        f.processes.setPrivileged(true);
        f.run({app(71, "Discord")}, 2);
        f.processes.add(70, app(70, "Steam").startTime, 2);
        f.runner.respond(kDefaults, ProcessResult::exited(0));
        o.setMetalHUD(true);
        o.setFrameLimit(144);
        OptimizerFixture::settle();
        o.setAutoHealEnabled(true);
        o.setAntiShut(true, 30);
        QSignalSpy keepAwakeEnded(f.runner.lastHeld(), &HeldProcess::finished);

        // Registered once; only a game's launch counts, and only while auto-optimise is on.
        o.startGameLaunchObserver();
        o.startGameLaunchObserver();
        f.workspace.launch(app(68, "Roblox"));
        o.setAutoOptimizeEnabled(true);
        f.workspace.launch(app(69, "Mail"));
        QVERIFY(!o.gameModeEnabled());
        f.workspace.launch(app(70, "Steam"));
        QCOMPARE(o.boostedPIDs(), QSet<qint32>{70});
        QCOMPARE(o.throttledPIDs(), QSet<qint32>{71});
        QCOMPARE(f.scripts.sources().size(), 1);

        QSet<QString> deletes{kDefaults + " delete -g MetalFPSLimit"};
        for (const QString& bundle : o.metalHUDBundleIDs())
            deletes.insert(kDefaults + " delete " + bundle + " MetalForceHudEnabled");
        f.runner.clear();
        // Low memory, which a live auto-heal would purge.
        f.setFreeMemory(0.5);

        o.cleanup();
        const QStringList tools = f.runner.commandLines();
        QCOMPARE(QSet<QString>(tools.cbegin(), tools.cend()), deletes);
        QCOMPARE(keepAwakeEnded.size(), 1);
        QCOMPARE(std::pair(f.processes.niceOf(70), f.processes.niceOf(71)), std::pair(2, 2));
        QVERIFY(!o.gameModeEnabled() && !o.antiShutEnabled() && o.boostedPIDs().isEmpty());
        QVERIFY(o.throttledPIDs().isEmpty());
        // What the clean-up leaves as it was.
        QVERIFY(o.focusModeEnabled() && o.metalHUDEnabled() && o.frameLimitActive() && o.autoHealEnabled());
        // The launch observer and the auto-heal watch are gone.
        const int reads = f.host.memoryReads();
        f.workspace.launch(app(72, "Fortnite"));
        QTest::qWait(60);
        QCOMPARE(f.host.memoryReads(), reads);
        QCOMPARE(f.scripts.sources().size(), 1);

        // A second clean-up finds nothing more to undo.
        f.runner.clear();
        const qsizetype priorityCalls = f.processes.priorityCalls().size();
        o.cleanup();
        QCOMPARE(f.runner.commandLines(), QStringList{kDefaults + " delete -g MetalFPSLimit"});
        QCOMPARE(f.processes.priorityCalls().size(), priorityCalls);
    }

    void purge_data()
    {
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<QString>("message");
        QTest::addColumn<std::optional<double>>("measured");

        const auto ok = ProcessResult::exited(0);
        QTest::newRow("freed memory") << ok << Readings{2.0, 2.5} << "Purged 0.50 GB of inactive memory"
                                      << std::optional(0.5);
        QTest::newRow("free memory fell") << ok << Readings{2.0, 1.0} << "Memory already optimized"
                                          << std::optional(0.0);
        QTest::newRow("a failed reading is not measured") << ok << Readings{std::nullopt, 6.0}
                                                          << "Memory already optimized" << std::optional<double>();
        QTest::newRow("not permitted") << ProcessResult::exited(1) << Readings{2.0, 3.0}
                                       << "Purge command was not permitted on this computer." << std::optional<double>();
        QTest::newRow("tool missing") << ProcessResult::notStarted(kMissing) << Readings{2.0, 3.0}
                                      << "Purge command failed: " + kMissing << std::optional<double>();
    }

    void purge()
    {
        QFETCH(ProcessResult, tool);
        QFETCH(Readings, readings);
        QFETCH(QString, message);
        QFETCH(std::optional<double>, measured);

        OptimizerFixture f;
        f.setFreeMemory(readings.first());
        f.runner.respondWith([&f, tool, readings](const QString&, const QStringList&) {
            f.setFreeMemory(readings.last());
            return tool;
        });
        QList<std::tuple<bool, bool, QString, double>> calls; // on the main thread, success, message, freed
        f.optimizer.purgeRAM([&calls](bool ok, const QString& text, double gigabytes) {
            calls.append({MainThread::isCurrent(), ok, text, gigabytes});
        });
        QTRY_COMPARE(calls.size(), 1);
        QCOMPARE(calls.first(), std::tuple(true, tool.succeeded(), message, measured.value_or(0.0)));
        QCOMPARE(f.runner.commandLines(), QStringList{kPurge});
        // Only a purge that ran is reported.
        const OptimizationReport report{"Purge RAM", {"Ran purge command to free inactive memory pages"}, measured};
        QCOMPARE(f.optimizer.lastOptimizationReport(), tool.succeeded() ? std::optional(report) : std::nullopt);
        OptimizerFixture::settle();
        QCOMPARE(calls.size(), 1);
    }

    void autoHealThreshold_data()
    {
        QTest::addColumn<std::optional<double>>("free");
        QTest::addColumn<bool>("purges");
        QTest::newRow("below 1.5 GB") << std::optional(1.49) << true;
        QTest::newRow("exactly 1.5 GB") << std::optional(1.5) << false;
        QTest::newRow("unreadable") << std::optional<double>() << false;
    }

    void autoHealThreshold()
    {
        QFETCH(std::optional<double>, free);
        QFETCH(bool, purges);
        OptimizerFixture f;
        f.setFreeMemory(free);
        f.runner.respond(kPurge, {}, ProcessResult::exited(0));
        f.optimizer.setAutoHealEnabled(true);

        // A purge shows in the message, however long the ticks take to come. Without one, only the
        // ticks read the memory: two of them have run once the count has grown by two.
        const int readsBefore = f.host.memoryReads();
        if (purges)
            QTRY_COMPARE(f.optimizer.autoHealMessage(), QString("Healed: 0.00 GB freed"));
        else
            QTRY_VERIFY(f.host.memoryReads() >= readsBefore + 2);
        f.optimizer.setAutoHealEnabled(false);
        OptimizerFixture::settle();
        QCOMPARE(!f.runner.calls().isEmpty(), purges);
        QCOMPARE(f.optimizer.autoHealMessage(), purges ? "Healed: 0.00 GB freed" : "Monitoring\u2026");
    }

    void quickBoost_data()
    {
        QTest::addColumn<ProcessResult>("flush");
        QTest::addColumn<ProcessResult>("purge");
        QTest::addColumn<Readings>("readings");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<double>("freed");

        const auto missing = ProcessResult::notStarted();
        const auto ok = ProcessResult::exited(0);
        const QString quit = "done: Terminated 2 junk processes";
        QTest::newRow("every tool missing, nothing freed")
            << missing << missing << Readings{4.0, 3.9}
            << QStringList{"failed: DNS cache flush failed", quit, "failed: Memory purge unavailable on this computer"}
            << 0.0;
        QTest::newRow("the purge failed, the quit applications freed memory")
            << ok << ProcessResult::exited(1) << Readings{4.0, 4.5}
            << QStringList{"done: DNS cache flushed", quit, "done: Freed 0.50 GB of inactive memory"} << 0.5;
        QTest::newRow("everything works")
            << ProcessResult::exited(0) << ok << Readings{4.0, 4.25}
            << QStringList{"done: DNS cache flushed", quit, "done: Freed 0.25 GB of inactive memory"} << 0.25;
        QTest::newRow("a failed flush; a failed reading frees nothing")
            << ProcessResult::exited(1) << ok << Readings{std::nullopt, 7.0}
            << QStringList{"failed: DNS cache flush failed", quit, "done: Memory already optimized"} << 0.0;
    }

    void quickBoost()
    {
        QFETCH(ProcessResult, flush);
        QFETCH(ProcessResult, purge);
        QFETCH(Readings, readings);
        QFETCH(QStringList, actions);
        QFETCH(double, freed);

        OptimizerFixture f;
        // Names are matched exactly; a refused request is not counted.
        f.run({app(10, "Discord"), app(11, "Discord Helper"), app(12, "spotify"),
               app(13, "Telegram", {}, Policy::Prohibited), app(14, "Zoom")});
        f.workspace.refuseQuit(14);
        f.setFreeMemory(readings.first());
        f.runner.respondWith([&f, flush, purge, readings](const QString& program, const QStringList&) {
            if (program != kPurge)
                return flush;
            f.setFreeMemory(readings.last());
            return purge;
        });

        std::optional<QuickBoostResult> result;
        bool onMainThread = false;
        QThreadPool::globalInstance()->start([&] {
            f.optimizer.quickBoost([&](const QuickBoostResult& r) {
                onMainThread = MainThread::isCurrent();
                result = r;
            });
        });
        QTRY_VERIFY(result);
        QVERIFY(onMainThread);
        QStringList got;
        for (const auto& action : result->actions)
            got.append((action.success ? "done: " : "failed: ") + action.label);
        QCOMPARE(got, actions);
        QCOMPARE(result->ramFreed, freed);
        QList<qint32> asked;
        for (const RunningApplication& quitting : f.workspace.quitRequests())
            asked.append(quitting.processIdentifier);
        QCOMPARE(asked, (QList<qint32>{10, 13, 14}));
        QCOMPARE(f.runner.commandLines(), (QStringList{"/usr/bin/dscacheutil -flushcache", kPurge}));
    }

    // The memory line claims only what the boost itself could have freed: free memory that grows
    // while the tools are waited on counts only when the purge ran or an application quit.
    void quickBoostMemoryClaim_data()
    {
        QTest::addColumn<bool>("purgeRuns");
        QTest::addColumn<bool>("appQuits");
        QTest::addColumn<bool>("whileFlushing"); // free memory changes while the DNS flush is waited on
        QTest::addColumn<double>("after"); // 4.0 before
        QTest::addColumn<QString>("memory");
        QTest::addColumn<double>("freed");

        const QString freed = "done: Freed 0.25 GB of inactive memory";
        const QString optimized = "done: Memory already optimized";
        const QString unavailable = "failed: Memory purge unavailable on this computer";
        const struct {
            const char* name;
            double after;
        } changes[] = {{"grew", 4.25}, {"shrank", 3.5}, {"stayed", 4.0}};
        for (const bool purgeRuns : {true, false}) {
            for (const bool appQuits : {true, false}) {
                for (const bool whileFlushing : {true, false}) {
                    for (const auto& change : changes) {
                        const bool grew = change.after > 4.0;
                        const bool claimed = grew && !whileFlushing && (purgeRuns || appQuits);
                        const QString memory = claimed ? freed : purgeRuns ? optimized : unavailable;
                        QTest::addRow("purge %s, %s, free memory %s %s", purgeRuns ? "ran" : "refused",
                                      appQuits ? "an application quit" : "nothing quit", change.name,
                                      whileFlushing ? "during the flush" : "during the purge")
                            << purgeRuns << appQuits << whileFlushing << change.after << memory
                            << (claimed ? 0.25 : 0.0);
                    }
                }
            }
        }
    }

    void quickBoostMemoryClaim()
    {
        QFETCH(bool, purgeRuns);
        QFETCH(bool, appQuits);
        QFETCH(bool, whileFlushing);
        QFETCH(double, after);
        OptimizerFixture f;
        f.run({app(10, "Discord"), app(11, "Notes")});
        if (!appQuits)
            f.workspace.refuseQuit(10);
        f.setFreeMemory(4.0);
        f.runner.respondWith([&f, purgeRuns, whileFlushing, after](const QString& program, const QStringList&) {
            if (program == (whileFlushing ? "/usr/bin/dscacheutil" : kPurge))
                f.setFreeMemory(after);
            if (program == kPurge)
                return ProcessResult::exited(purgeRuns ? 0 : 1);
            return ProcessResult::exited(0);
        });

        std::optional<QuickBoostResult> result;
        QThreadPool::globalInstance()->start([&] { f.optimizer.quickBoost([&](const QuickBoostResult& r) { result = r; }); });
        QTRY_VERIFY(result);
        QCOMPARE(result->actions.size(), 3);
        QCOMPARE(result->actions[1].label, appQuits ? "Terminated 1 junk process" : "No junk processes running");
        const auto& memory = result->actions[2];
        QCOMPARE(memory.icon, QString("memorychip"));
        QTEST((memory.success ? "done: " : "failed: ") + memory.label, "memory");
        QTEST(result->ramFreed, "freed");
    }

    // The optimizer is destroyed while the work's first tool runs, and its memory overwritten, so
    // that a worker touching a member of it afterwards fails for certain.
    void workOutlivesTheOptimizer_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<QString>("reply");
        QTest::newRow("quick boost") << "quickBoost" << "3 actions";
        QTest::newRow("quick boost handed to a worker, the window closed before it starts") << "quickBoostTask"
                                                                                              << "3 actions";
        QTest::newRow("purge") << "purgeRAM" << "Memory already optimized";
        QTest::newRow("frame limit") << "setFrameLimit" << "FPS limited to 60";
        QTest::newRow("Metal HUD") << "setMetalHUD" << "Metal HUD enabled for ";
    }

    void workOutlivesTheOptimizer()
    {
        QFETCH(QString, work);
        QFETCH(QString, reply);
        OptimizerFixture f;
        f.run({app(10, "Discord")});
        f.setFreeMemory(4.0);
        alignas(SystemOptimizer) std::byte storage[sizeof(SystemOptimizer)];
        auto* optimizer = new (storage) SystemOptimizer({f.workspace, f.processes, f.runner, f.scripts, f.host, f.overlay, f.backends});
        OptimizerFixture::settle();
        std::atomic<bool> gone = false;
        f.runner.respondWith([&](const QString&, const QStringList&) {
            if (!gone.exchange(true)) {
                QMetaObject::invokeMethod(qApp, [&] {
                    optimizer->~SystemOptimizer();
                    std::memset(storage, 0xA5, sizeof storage);
                }, Qt::BlockingQueuedConnection);
            }
            return ProcessResult::exited(0);
        });

        QStringList replies;
        const auto status = [&replies](bool, const QString& message) { replies.append(message); };
        if (work == "quickBoost") {
            QThreadPool::globalInstance()->start([&replies, optimizer] {
                optimizer->quickBoost([&replies](const QuickBoostResult& result) {
                    replies.append(QString::number(result.actions.size()) + " actions");
                });
            });
        } else if (work == "quickBoostTask") {
            auto boost = optimizer->quickBoostTask();
            optimizer->~SystemOptimizer();
            std::memset(storage, 0xA5, sizeof storage);
            gone = true;
            QThreadPool::globalInstance()->start([&replies, boost] {
                boost([&replies](const QuickBoostResult& result) {
                    replies.append(QString::number(result.actions.size()) + " actions");
                });
            });
        } else if (work == "purgeRAM") {
            optimizer->purgeRAM([&replies](bool, const QString& message, double) { replies.append(message); });
        } else if (work == "setFrameLimit") {
            optimizer->setFrameLimit(60, status);
        } else {
            optimizer->setMetalHUD(true, status);
        }
        QTRY_VERIFY(gone);
        QTRY_COMPARE(replies.size(), 1);
        OptimizerFixture::settle();
        QCOMPARE(replies.size(), 1);
        QVERIFY2(replies.first().startsWith(reply), qPrintable(replies.first()));
        if (work.startsWith("quickBoost"))
            QCOMPARE(f.workspace.quitRequests().size(), 1);
    }

    void parseReadBack_data()
    {
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<Limit>("limit");
        QTest::newRow("blanks and a line break") << QByteArray("  144 \r\n") << Limit(144);
        QTest::newRow("largest 64-bit value") << QByteArray("9223372036854775807") << Limit(9223372036854775807LL);
        QTest::newRow("beyond 64 bits") << QByteArray("9223372036854775808") << Limit();
        QTest::newRow("zero") << QByteArray("0") << Limit();
        QTest::newRow("not UTF-8") << QByteArray("6\xff" "0") << Limit();
    }

    void parseReadBack()
    {
        QFETCH(QByteArray, output);
        QFETCH(Limit, limit);
        QCOMPARE(MetalDefaults::parseFrameLimit(output), limit);
    }

    void setAndRemoveFrameLimit_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<ProcessResult>("tool");
        QTest::addColumn<QString>("message");

        const QString set = "write -g MetalFPSLimit -int 144";
        const QString remove = "delete -g MetalFPSLimit";
        QTest::newRow("set") << set << ProcessResult::exited(0) << "FPS limited to 144";
        QTest::newRow("set refused") << set << ProcessResult::exited(1) << "Failed to set frame limit";
        QTest::newRow("set, tool missing") << set << ProcessResult::notStarted(kMissing)
                                           << "Failed to set frame limit: " + kMissing;
        QTest::newRow("remove, tool missing") << remove << ProcessResult::notStarted(kMissing)
                                              << "Failed to remove frame limit: " + kMissing;
        QTest::newRow("remove") << remove << ProcessResult::exited(0) << "Frame limit removed";
        QTest::newRow("remove refused") << remove << ProcessResult::exited(1) << "Failed to remove frame limit";
    }

    void setAndRemoveFrameLimit()
    {
        QFETCH(QString, call);
        QFETCH(ProcessResult, tool);
        QFETCH(QString, message);
        // A limit of 60 was read back before; only a change that took effect replaces it.
        const Limit limit = !tool.succeeded() ? Limit(60) : call.startsWith("write") ? Limit(144) : Limit();

        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        const auto published = [&o] { return o.frameLimitActive() ? Limit(o.frameLimitValue()) : Limit(); };
        f.runner.respond(kDefaults, ProcessResult::exited(0, "60\n"));
        o.refreshFrameLimit();
        OptimizerFixture::settle();
        QCOMPARE(published(), Limit(60));
        f.runner.clear();

        f.runner.respond(kDefaults, tool);
        StatusRecorder outcome;
        Limit seen;
        outcome.inspect = [&] { seen = published(); };
        if (call.startsWith("write"))
            o.setFrameLimit(144, outcome.completion());
        else
            o.removeFrameLimit(outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(f.runner.commandLines(), QStringList{kDefaults + ' ' + call});
        QCOMPARE(std::tuple(outcome.calls, outcome.onMainThread, outcome.success, outcome.message),
                 std::tuple(1, true, tool.succeeded(), message));
        // The completion already sees the published limit.
        QCOMPARE(seen, limit);
        QCOMPARE(published(), limit);
        QCOMPARE(o.frameLimitValue(), limit.value_or(0));
    }

    void metalHUD_data()
    {
        QTest::addColumn<bool>("enable");
        QTest::addColumn<int>("failing"); // of the 12 games'
        QTest::addColumn<QString>("message");

        const QString restart = " RESTART the game to see the HUD.";
        QTest::newRow("on") << true << 0 << "Metal HUD enabled for 12 games." + restart;
        QTest::newRow("on, two writes failed")
            << true << 2 << "Metal HUD enabled for 10 games; 2 could not be changed." + restart;
        QTest::newRow("on, every write failed")
            << true << 12 << "Could not enable Metal HUD: the setting could not be written for any of the 12 games.";
        QTest::newRow("off") << false << 0 << "Metal HUD disabled for all known games.";
        QTest::newRow("off, every removal failed")
            << false << 12 << "Could not disable Metal HUD: the setting could not be removed for any of the 12 games.";
    }

    void metalHUD()
    {
        QFETCH(bool, enable);
        QFETCH(int, failing);
        QFETCH(QString, message);

        OptimizerFixture f;
        SystemOptimizer& o = f.optimizer;
        if (!enable) {
            f.runner.respond(kDefaults, ProcessResult::exited(0));
            o.setMetalHUD(true);
            OptimizerFixture::settle();
            f.runner.clear();
        }
        QStringList bundles = o.knownGameBundleIDs();
        bundles.sort();
        const QStringList failed = bundles.mid(0, failing);
        // Removing a default that is not there exits with 1; it is gone all the same.
        f.runner.respondWith([failed, enable](const QString&, const QStringList& arguments) {
            return failed.contains(arguments.value(1)) ? ProcessResult::notStarted()
                                                       : ProcessResult::exited(enable ? 0 : 1);
        });
        StatusRecorder outcome;
        o.setMetalHUD(enable, outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(outcome.calls, outcome.onMainThread, outcome.success, outcome.message),
                 std::tuple(1, true, failing < 12, message));
        QCOMPARE(o.metalHUDEnabled(), enable == (failing < 12));
        // Every write stays recorded, failed or not, and so does every failed removal, for the clean-up.
        QCOMPARE(o.metalHUDBundleIDs().size(), enable ? 12 : failing);
        QStringList touched;
        for (const FakeProcessRunner::Call& call : f.runner.calls())
            touched.append(call.arguments.value(1));
        touched.sort();
        QCOMPARE(touched, bundles);
    }

    void activeNetworkService_data()
    {
        QTest::addColumn<QByteArray>("route"); // what route -n get default prints
        QTest::addColumn<Text>("service");
        QTest::newRow("the default route's interface")
            << QByteArray("   route to: default\n  interface: en0\n      flags: <UP,GATEWAY,DONE>\n")
            << Text(kService);
        QTest::newRow("en1 is not en10") << QByteArray("interface: en1\r\n") << Text("USB LAN");
        QTest::newRow("en10") << QByteArray("interface: en10\n") << Text("Thunderbolt Ethernet");
        QTest::newRow("an unknown device") << QByteArray("interface: en7\n") << Text();
        QTest::newRow("output not UTF-8") << QByteArray("interface: en0\xff\n") << Text();
    }

    void activeNetworkService()
    {
        QFETCH(QByteArray, route);
        QFETCH(Text, service);
        FakeProcessRunner runner;
        runner.respond(kRoute, {"-n", "get", "default"}, ProcessResult::exited(0, route));
        runner.respond(kNetworkSetup, {"-listnetworkserviceorder"}, ProcessResult::exited(0, kServiceList));
        QCOMPARE(NetworkServiceLocator(runner).activeNetworkService(), service);
    }

    void switchAndResetDNS_data()
    {
        QTest::addColumn<QString>("provider"); // empty: reset
        QTest::addColumn<QString>("network");
        QTest::addColumn<Text>("scriptError"); // nothing: the script succeeds
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");

        const QString noService = "Could not find the active network service.";
        const QString unreachable = "The selected DNS provider is not reachable. Your current DNS was not changed.";
        QTest::newRow("switch") << "Cloudflare" << "" << Text() << true << "DNS set to Cloudflare on " + kService;
        QTest::newRow("switch, a name in another case") << "cloudflare" << "" << Text() << false << "Unknown provider";
        QTest::newRow("switch, no default route") << "Gaming DNS" << "no route" << Text() << false << noService;
        QTest::newRow("switch, password prompt cancelled")
            << "Cloudflare" << "" << Text("User canceled.") << false << "User canceled.";
        QTest::newRow("switch, script error without a message")
            << "Cloudflare" << "" << Text("") << false << "Failed to set DNS";
        QTest::newRow("switch on Linux: no tools") << "Cloudflare" << "no tools" << Text() << false
                                                   << unreachable;
        QTest::newRow("reset") << "" << "" << Text() << true << "DNS reset to automatic (DHCP) on " + kService;
        QTest::newRow("reset, script error without a message")
            << "" << "" << Text("") << false << "Failed to reset DNS";
        QTest::newRow("reset on Linux: no tools") << "" << "no tools" << Text() << false << noService;
    }

    void switchAndResetDNS()
    {
        QFETCH(QString, provider);
        QFETCH(QString, network);
        QFETCH(Text, scriptError);
        QFETCH(bool, success);
        QFETCH(QString, message);

        OptimizerFixture f;
        scriptNetwork(f.runner, network);
        if (scriptError)
            f.scripts.setFailure(*scriptError);
        StatusRecorder outcome;
        if (provider.isEmpty())
            f.optimizer.resetDNS(outcome.completion());
        else
            f.optimizer.setDNS(provider, outcome.completion());
        // A success reads the servers again, in the background.
        OptimizerFixture::settle();
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(outcome.calls, outcome.onMainThread, outcome.success, outcome.message),
                 std::tuple(1, true, success, message));
        const QString command = R"(/usr/sbin/networksetup -setdnsservers 'Bob'\\''s \"Net\"\\2' )"
                                + QString(provider.isEmpty() ? "Empty" : "'1.1.1.1' '1.0.0.1'");
        const QString script = "do shell script \"" + command + "\" with administrator privileges";
        // The administrator's password is asked for once the rest has worked.
        QCOMPARE(f.scripts.sources(), success || scriptError ? QStringList{script} : QStringList());
        QCOMPARE(f.optimizer.currentDNS(), success ? QStringList({"1.1.1.1", "1.0.0.1"}) : QStringList());
    }

    // A reset asked for while a switch waits for the administrator runs after it, so the servers
    // end as the reset leaves them and its answer comes last.
    void dnsChangesRunInTheOrderAsked()
    {
        OptimizerFixture f;
        scriptNetwork(f.runner, "");
        f.scripts.hold();
        const auto letGo = qScopeGuard([&f] { f.scripts.release(2); });
        QStringList answers;
        const auto record = [&answers](bool success, const QString& message) {
            answers.append((success ? "done: " : "failed: ") + message);
        };
        f.optimizer.setDNS("Cloudflare", record);
        f.optimizer.resetDNS(record);
        QTRY_COMPARE(f.scripts.sources().size(), 1);
        QTest::qWait(50);
        QCOMPARE(f.scripts.sources().size(), 1);
        QVERIFY(f.scripts.sources().constFirst().contains("'1.1.1.1' '1.0.0.1'"));
        f.scripts.release();
        QTRY_COMPARE(f.scripts.sources().size(), 2);
        QVERIFY(f.scripts.sources().constLast().contains(" Empty"));
        f.scripts.release();
        QTRY_COMPARE(answers.size(), 2);
        QCOMPARE(answers, QStringList({"done: DNS set to Cloudflare on " + kService,
                                       "done: DNS reset to automatic (DHCP) on " + kService}));
    }

    // The HUD where a facility is missing or a game is not on this machine.
    void hudOutcomes_data()
    {
        QTest::addColumn<std::optional<QString>>("unavailable");
        QTest::addColumn<int>("absent"); // of the 12 games, in sorted order
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("recorded");
        const QString restart = " RESTART the game to see the HUD.";
        QTest::newRow("every game here") << std::optional<QString>() << 0 << true
                                         << "the HUD enabled for 12 games." + restart << 12;
        QTest::newRow("two games here") << std::optional<QString>() << 10 << true
                                        << "the HUD enabled for 2 games." + restart << 2;
        QTest::newRow("no game here") << std::optional<QString>() << 12 << false
                                      << "No known game is installed to show the HUD in." << 0;
        QTest::newRow("no facility") << std::optional<QString>("needs the HUD") << 0 << false << "needs the HUD" << 0;
    }
    void hudOutcomes()
    {
        QFETCH(std::optional<QString>, unavailable);
        QFETCH(int, absent);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QFETCH(int, recorded);
        OptimizerFixture f;
        FakeGameOverlay overlay;
        SystemOptimizer o({f.workspace, f.processes, f.runner, f.scripts, f.host, overlay, f.backends});
        OptimizerFixture::settle();
        QStringList bundles = o.knownGameBundleIDs();
        bundles.sort();
        overlay.state.with([&](FakeGameOverlay::State& s) {
            s.unavailable = unavailable;
            for (const QString& bundle : bundles.mid(0, absent))
                s.hud.insert(bundle, GameOverlay::HUDWrite::NoGame);
        });
        StatusRecorder outcome;
        o.setMetalHUD(true, outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(outcome.calls, outcome.success, outcome.message), std::tuple(1, success, message));
        QCOMPARE(o.metalHUDEnabled(), success);
        QCOMPARE(o.metalHUDBundleIDs().size(), recorded);
        QCOMPARE(overlay.calls().size(), unavailable ? 0 : 12);
        // The clean-up takes back what was recorded, and only a limit that is in force.
        overlay.state.with([](FakeGameOverlay::State& s) { s.calls.clear(); });
        o.cleanup();
        QCOMPARE(overlay.calls(), QStringList{"own"});
        QCOMPARE(overlay.state.get().ownHUDs.size(), recorded);
    }

    void frameLimitOutcomes_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("done") << int(GameOverlay::Change::Status::Done) << "";
        QTest::newRow("no facility") << int(GameOverlay::Change::Status::Unavailable) << "needs MangoHud";
        QTest::newRow("refused") << int(GameOverlay::Change::Status::Failed) << "Failed to set frame limit";
    }
    void frameLimitOutcomes()
    {
        QFETCH(int, status);
        QFETCH(QString, message);
        OptimizerFixture f;
        FakeGameOverlay overlay;
        SystemOptimizer o({f.workspace, f.processes, f.runner, f.scripts, f.host, overlay, f.backends});
        const bool done = status == int(GameOverlay::Change::Status::Done);
        overlay.state.with([&](FakeGameOverlay::State& s) { s.change = {GameOverlay::Change::Status(status), message}; });
        StatusRecorder set;
        o.setFrameLimit(75, set.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(set.success, set.message), std::tuple(done, done ? "FPS limited to 75" : message));
        QCOMPARE(std::tuple(o.frameLimitActive(), o.frameLimitValue()), std::tuple(done, done ? 75 : 0));
        StatusRecorder removal;
        o.removeFrameLimit(removal.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(removal.success, removal.message), std::tuple(done, done ? "Frame limit removed" : message));
        o.setFrameLimit(75);
        OptimizerFixture::settle();
        // Still queued at quit: written before the take-back, never after it.
        o.setFrameLimit(90);
        o.cleanup();
        QCOMPARE(overlay.calls(), (QStringList{"set 75", "remove", "set 75", "set 90", done ? "own limit" : "own"}));
    }

    // Games whose own settings decide their HUD are named and not claimed; the HUD lights up only
    // for a game it was written for.
    void hudKeptOut_data()
    {
        QTest::addColumn<int>("usersOwn"); // of the 12 games'
        QTest::addColumn<int>("failing");
        QTest::addColumn<QStringList>("programs");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        const QString restart = " RESTART the game to see the HUD.";
        QTest::newRow("one kept out") << 1 << 0 << QStringList{"vkcube"} << true
                                      << "MangoHud enabled for 11 games, not for vkcube, which keeps its own MangoHud "
                                         "settings." + restart;
        QTest::newRow("one kept out, one failed")
            << 1 << 1 << QStringList{"vkcube"} << true
            << "MangoHud enabled for 10 games, not for vkcube, which keeps its own MangoHud settings; 1 could not be "
               "changed." + restart;
        QTest::newRow("every game kept out") << 12 << 0 << QStringList{"c", "a", "b", "d"} << false
                                             << "MangoHud not enabled: a, b, c and 1 more keep their own MangoHud "
                                                "settings.";
        QTest::newRow("kept out or failed")
            << 2 << 10 << QStringList{"a"} << false
            << "Could not enable MangoHud: the setting could not be written for any of the 10 games, and a keeps its "
               "own MangoHud settings.";
    }
    void hudKeptOut()
    {
        QFETCH(int, usersOwn);
        QFETCH(int, failing);
        QFETCH(QStringList, programs);
        QFETCH(bool, success);
        QFETCH(QString, message);
        OptimizerFixture f;
        FakeGameOverlay overlay;
        SystemOptimizer o({f.workspace, f.processes, f.runner, f.scripts, f.host, overlay, f.backends});
        QStringList bundles = o.knownGameBundleIDs();
        bundles.sort();
        overlay.state.with([&](FakeGameOverlay::State& s) {
            s.hudName = "MangoHud";
            s.unaffectedPrograms = programs;
            for (const QString& bundle : bundles.mid(0, usersOwn))
                s.hud.insert(bundle, GameOverlay::HUDWrite::UsersOwn);
            for (const QString& bundle : bundles.mid(usersOwn, failing))
                s.hud.insert(bundle, GameOverlay::HUDWrite::Failed);
        });
        StatusRecorder outcome;
        o.setMetalHUD(true, outcome.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(outcome.success, outcome.message), std::tuple(success, message));
        QCOMPARE(o.metalHUDEnabled(), success);
        // Only what was written, or tried, is taken back at quit.
        QCOMPARE(o.metalHUDBundleIDs().size(), 12 - usersOwn);
    }

    // A limit that some programs' own settings keep out says which.
    void frameLimitExceptions_data()
    {
        QTest::addColumn<QStringList>("unaffected");
        QTest::addColumn<QString>("message");
        QTest::newRow("none") << QStringList() << "FPS limited to 60";
        QTest::newRow("one") << QStringList{"vkcube"} << "FPS limited to 60 except in vkcube, which keeps its own "
                                                         "MangoHud settings";
        QTest::newRow("three, sorted") << QStringList{"c", "a", "b"}
                                       << "FPS limited to 60 except in a, b and c, which keep their own MangoHud "
                                          "settings";
        QTest::newRow("five") << QStringList{"e", "d", "c", "b", "a"}
                              << "FPS limited to 60 except in a, b, c and 2 more, which keep their own MangoHud "
                                 "settings";
    }
    void frameLimitExceptions()
    {
        QFETCH(QStringList, unaffected);
        QFETCH(QString, message);
        OptimizerFixture f;
        FakeGameOverlay overlay;
        overlay.state.with([&](FakeGameOverlay::State& s) {
            s.hudName = "MangoHud";
            s.change = {GameOverlay::Change::Status::Done, {}, unaffected};
        });
        SystemOptimizer o({f.workspace, f.processes, f.runner, f.scripts, f.host, overlay, f.backends});
        StatusRecorder set;
        o.setFrameLimit(60, set.completion());
        OptimizerFixture::settle();
        QCOMPARE(std::tuple(set.success, set.message), std::tuple(true, message));
    }
};

QM_TEST_MAIN(TestSystemOptimizer)
#include "tst_SystemOptimizer.moc"

#include "ChildProcessWorkspace.h"
#include "ChildProcesses.h"
#include "FakeAppleScriptRunner.h"
#include "FakeDefaults.h"
#include "FakeHostStatistics.h"
#include "FakeProcessRunner.h"
#include "FakeWindowList.h"
#include "NiceValues.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "linux/ProcFiles.h"
#include "macos/MacToolBackends.h"
#include "macos/MetalDefaults.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/SystemOptimizer.h"

using namespace std::chrono_literals;

namespace {

qint32 pid(const QProcess* child)
{
    return child ? qint32(child->processId()) : 0;
}

bool isPaused(const QProcess* child)
{
    const auto stat = ProcFiles::readStat("/proc", pid(child));
    return stat && stat->state == 'T';
}

// Children of this test started from copies of system programs, the real /proc narrowed to them,
// so that nothing here can reach any other process, and the engine over that. Tools and scripts
// stay fake.
struct Rig {
    ChildProcesses children;
    QProcess* game = children.start("/bin/sleep", "Minecraft", {"30"});
    QProcess* chat =
        children.start("/bin/sh", "Discord", {"-c", "trap 'exit 7' TERM; echo ready; while :; do sleep 0.05; done"});
    QProcess* sync = children.start("/bin/sleep", "Dropbox", {"30"});
    FakeProcessRunner runner;
    FakeAppleScriptRunner scripts;
    FakeHostStatistics host;
    LinuxProcessControl control;
    // The children count as applications by owning windows.
    std::shared_ptr<Locked<FakeWindowList::State>> windows = std::make_shared<Locked<FakeWindowList::State>>(
        FakeWindowList::State{{{pid(game), pid(chat), pid(sync)}, {}}, {}});
    LinuxWorkspace proc{control, {"/proc", {}, 1h, [this] { return std::make_unique<FakeWindowList>(windows); }}};
    ChildProcessWorkspace workspace{proc, {pid(game), pid(chat), pid(sync)}};
    MetalDefaults overlay{runner};
    TuningBackends backends = macToolBackends(runner, scripts);
    SystemOptimizer optimizer{{workspace, control, runner, scripts, host, overlay, backends}};

    ~Rig() { WorkQueues::drain(); }
    // The shell has set up its handler once it has said so.
    bool started() const { return game && chat && sync && chat->waitForReadyRead(5000); }
};

} // namespace

class TestTuningOnLinux : public QObject {
    Q_OBJECT
private slots:
    void detectsTheGameFromProc()
    {
        Rig r;
        QVERIFY(r.started());
        QTRY_COMPARE(r.optimizer.detectedGames(), (QList<RunningAppInfo>{{pid(r.game), "Minecraft", ""}}));
    }

    void gameModeChangesAndRestoresPriorities()
    {
        Rig r;
        QVERIFY(r.started());
        const int gameBefore = NiceValues::of(r.game);
        const int chatBefore = NiceValues::of(r.chat);
        QStringList lines;
        r.optimizer.enableGameMode({}, [&lines](bool, const QStringList& l) { lines = l; });

        // A step is taken, and reported, only when it changes the priority and can be undone.
        const bool boosts = gameBefore != -10 && NiceValues::mayLowerTo(-10);
        const bool throttles = chatBefore < 10 ? NiceValues::mayLowerTo(chatBefore)
                                               : chatBefore > 10 && NiceValues::mayLowerTo(10);
        QStringList expected{"Prevented display sleep during gameplay", "Muted system output for focus mode"};
        if (boosts)
            expected.append("Raised priority for Minecraft");
        if (throttles)
            expected.append("Lowered priority for Discord");
        QCOMPARE(lines, expected);
        QCOMPARE(NiceValues::of(r.game), boosts ? -10 : gameBefore);
        QCOMPARE(NiceValues::of(r.chat), throttles ? 10 : chatBefore);

        r.optimizer.disableGameMode();
        QCOMPARE(NiceValues::of(r.game), gameBefore);
        QCOMPARE(NiceValues::of(r.chat), chatBefore);
    }

    void quickBoostAsksTheAppsToQuit()
    {
        Rig r;
        QVERIFY(r.started());
        std::optional<QuickBoostResult> result;
        QThreadPool::globalInstance()->start([&r, &result] {
            r.optimizer.quickBoost([&result](const QuickBoostResult& boost) { result = boost; });
        });
        QTRY_VERIFY(result);
        QCOMPARE(result->actions.at(1).label, "Terminated 2 junk processes");
        QTRY_COMPARE(r.chat->state(), QProcess::NotRunning);
        // The shell's own handler ran: this was SIGTERM, not a kill.
        QCOMPARE(r.chat->exitStatus(), QProcess::NormalExit);
        QCOMPARE(r.chat->exitCode(), 7);
        QTRY_COMPARE(r.sync->state(), QProcess::NotRunning);
        QCOMPARE(r.game->state(), QProcess::Running);
    }

    void freezePausesAndResumes()
    {
        Rig r;
        QVERIFY(r.started());
        FakeDefaults defaults;
        const GameProfile minecraft = GameProfilePresets::all().first();
        r.workspace.setFrontmost(pid(r.game));
        auto manager = std::make_unique<FocusFreezeManager>(
            FocusFreezeManager::Services{r.workspace, r.control, defaults}, FocusFreezeManager::Options{0, {}, 1h});
        QCOMPARE(manager->selectedCandidateIDs(), QSet<QString>{"Dropbox|Dropbox"});
        manager->setActiveProfile(minecraft);
        manager->setEnabled(true);
        QTRY_VERIFY(isPaused(r.sync));
        QVERIFY(!isPaused(r.game) && !isPaused(r.chat));

        // Linking the same profile again makes the manager look at the frontmost application.
        r.workspace.setFrontmost(pid(r.chat));
        manager->setActiveProfile(minecraft);
        QTRY_VERIFY(!isPaused(r.sync));
        r.workspace.setFrontmost(pid(r.game));
        manager->setActiveProfile(minecraft);
        QTRY_VERIFY(isPaused(r.sync));
        manager.reset();
        QTRY_VERIFY(!isPaused(r.sync));
    }
};

QM_TEST_MAIN(TestTuningOnLinux)
#include "tst_TuningOnLinux.moc"

#include "ChildProcessWorkspace.h"
#include "ChildProcesses.h"
#include "FakeAppleScriptRunner.h"
#include "FakeDefaults.h"
#include "FakeProcessRunner.h"
#include "FakeHostStatistics.h"
#include "NiceValues.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "linux/ProcFiles.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"
#include "tuning/SystemOptimizer.h"

using namespace std::chrono_literals;

namespace {

qint32 pid(const QProcess* child)
{
    return qint32(child->processId());
}

bool isPaused(const QProcess* child)
{
    const auto stat = ProcFiles::readStat("/proc", pid(child));
    return stat && stat->state == 'T';
}

} // namespace

// The engine and Background Freeze against real children of this test, seen through the real
// /proc. The workspace is narrowed to those children, so nothing here can reach any other process.
// Tools and scripts stay fake.
class TestTuningOnLinux : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_children = std::make_unique<ChildProcesses>();
        m_game = m_children->start("/bin/sleep", "Minecraft", {"30"});
        m_chat = m_children->start("/bin/sh", "Discord",
                                   {"-c", "trap 'exit 7' TERM; echo ready; while :; do sleep 0.05; done"});
        m_sync = m_children->start("/bin/sleep", "Dropbox", {"30"});
        QVERIFY(m_game && m_chat && m_sync);
        QVERIFY(m_chat->waitForReadyRead(5000));
        m_linux = std::make_unique<LinuxWorkspace>(m_runner, m_control, LinuxWorkspace::Options{"/proc", {}, 1h});
        m_workspace = std::make_unique<ChildProcessWorkspace>(*m_linux, QSet{pid(m_game), pid(m_chat), pid(m_sync)});
        m_optimizer = std::make_unique<SystemOptimizer>(
            SystemOptimizer::Services{*m_workspace, m_control, m_runner, m_scripts, m_host});
    }

    void cleanup()
    {
        WorkQueues::drain();
        m_optimizer.reset();
        m_workspace.reset();
        m_linux.reset();
        m_children.reset();
    }

    void detectsTheGameFromProc()
    {
        QTRY_COMPARE(m_optimizer->detectedGames(), (QList<RunningAppInfo>{{pid(m_game), "Minecraft", ""}}));
    }

    void gameModeChangesAndRestoresPriorities()
    {
        const int gameBefore = NiceValues::of(m_game);
        const int chatBefore = NiceValues::of(m_chat);
        QStringList lines;
        m_optimizer->enableGameMode({}, [&lines](bool, const QStringList& l) { lines = l; });

        const bool boosts = NiceValues::mayLowerTo(-10);
        const bool throttles = NiceValues::mayLowerTo(chatBefore);
        QStringList expected{"Prevented display sleep during gameplay", "Muted system output for focus mode"};
        if (boosts)
            expected.append("Raised priority for Minecraft");
        if (throttles)
            expected.append("Lowered priority for Discord");
        QCOMPARE(lines, expected);
        QCOMPARE(NiceValues::of(m_game), boosts ? -10 : gameBefore);
        QCOMPARE(NiceValues::of(m_chat), throttles ? 10 : chatBefore);

        m_optimizer->disableGameMode();
        QCOMPARE(NiceValues::of(m_game), gameBefore);
        QCOMPARE(NiceValues::of(m_chat), chatBefore);
    }

    void quickBoostAsksTheAppsToQuit()
    {
        std::optional<QuickBoostResult> result;
        QThreadPool::globalInstance()->start([this, &result] {
            m_optimizer->quickBoost([&result](const QuickBoostResult& r) { result = r; });
        });
        QTRY_VERIFY(result);
        QCOMPARE(result->actions.at(1).label, "Terminated 2 junk processes");
        QTRY_COMPARE(m_chat->state(), QProcess::NotRunning);
        // The shell's own handler ran: this was SIGTERM, not a kill.
        QCOMPARE(m_chat->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_chat->exitCode(), 7);
        QTRY_COMPARE(m_sync->state(), QProcess::NotRunning);
        QCOMPARE(m_game->state(), QProcess::Running);
    }

    void freezePausesAndResumes()
    {
        FakeDefaults defaults;
        const GameProfile minecraft = GameProfilePresets::all().first();
        m_workspace->setFrontmost(pid(m_game));
        auto manager = std::make_unique<FocusFreezeManager>(FocusFreezeManager::Services{*m_workspace, m_control, defaults},
                                                            FocusFreezeManager::Options{0, {}, 1h});
        QCOMPARE(manager->selectedCandidateIDs(), QSet<QString>{"Dropbox|Dropbox"});
        manager->setActiveProfile(minecraft);
        manager->setEnabled(true);
        QTRY_VERIFY(isPaused(m_sync));
        QVERIFY(!isPaused(m_game) && !isPaused(m_chat));

        // Linking the same profile again makes the manager look at the frontmost application.
        m_workspace->setFrontmost(pid(m_chat));
        manager->setActiveProfile(minecraft);
        QTRY_VERIFY(!isPaused(m_sync));
        m_workspace->setFrontmost(pid(m_game));
        manager->setActiveProfile(minecraft);
        QTRY_VERIFY(isPaused(m_sync));
        manager.reset();
        QTRY_VERIFY(!isPaused(m_sync));
    }

private:
    FakeProcessRunner m_runner;
    FakeAppleScriptRunner m_scripts;
    FakeHostStatistics m_host;
    LinuxProcessControl m_control;
    std::unique_ptr<ChildProcesses> m_children;
    QProcess* m_game = nullptr;
    QProcess* m_chat = nullptr;
    QProcess* m_sync = nullptr;
    std::unique_ptr<LinuxWorkspace> m_linux;
    std::unique_ptr<ChildProcessWorkspace> m_workspace;
    std::unique_ptr<SystemOptimizer> m_optimizer;
};

QM_TEST_MAIN(TestTuningOnLinux)
#include "tst_TuningOnLinux.moc"

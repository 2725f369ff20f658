#include "ChildProcessWorkspace.h"
#include "ChildProcesses.h"
#include "FakeAppleScriptRunner.h"
#include "FakeProcessRunner.h"
#include "FreeMemorySequence.h"
#include "NiceValues.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "tuning/SystemOptimizer.h"

using namespace std::chrono_literals;

// The engine against the real /proc and real children of this test. The workspace is narrowed to
// those children, so nothing here can reach any other process. Tools and scripts stay fake.
class TestOptimizerOnLinux : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // As on Linux: there is no caffeinate.
        m_runner.setHeldStartFails(true);
    }

    void init()
    {
        m_children = std::make_unique<ChildProcesses>();
        m_game = m_children->start("/bin/sleep", "SteamGameTest", {"30"});
        m_chat = m_children->start("/bin/sh", "Discord",
                                   {"-c", "trap 'exit 7' TERM; echo ready; while :; do sleep 0.05; done"});
        QVERIFY(m_game && m_chat);
        QVERIFY(m_chat->waitForReadyRead(5000));
        m_linux = std::make_unique<LinuxWorkspace>(m_runner, m_control,
                                                   LinuxWorkspace::Options{"/proc", {}, 20ms});
        m_workspace = std::make_unique<ChildProcessWorkspace>(*m_linux);
        m_workspace->allow(m_game->processId());
        m_workspace->allow(m_chat->processId());
        m_optimizer = std::make_unique<SystemOptimizer>(
            SystemOptimizer::Services{*m_workspace, m_control, m_runner, m_scripts, m_memory});
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
        QTRY_COMPARE(m_optimizer->detectedGames().size(), 1);
        const RunningAppInfo game = m_optimizer->detectedGames().first();
        QCOMPARE(game.id, qint32(m_game->processId()));
        QCOMPARE(game.name, "SteamGameTest");
        QCOMPARE(game.bundleIdentifier, "");
    }

    void gameModeChangesAndRestoresPriorities()
    {
        const int gameBefore = NiceValues::of(m_game);
        const int chatBefore = NiceValues::of(m_chat);
        QStringList lines;
        m_optimizer->enableGameMode({}, [&lines](bool, const QStringList& l) { lines = l; });

        const bool boosts = NiceValues::mayLowerTo(-10);
        const bool throttles = NiceValues::mayLowerTo(chatBefore);
        QStringList expected{"Muted system output for focus mode"};
        if (boosts)
            expected.append("Raised priority for SteamGameTest");
        if (throttles)
            expected.append("Lowered priority for Discord");
        QCOMPARE(lines, expected);
        QCOMPARE(NiceValues::of(m_game), boosts ? -10 : gameBefore);
        QCOMPARE(NiceValues::of(m_chat), throttles ? 10 : chatBefore);

        m_optimizer->disableGameMode();
        QCOMPARE(NiceValues::of(m_game), gameBefore);
        QCOMPARE(NiceValues::of(m_chat), chatBefore);
    }

    void quickBoostAsksTheChatToQuit()
    {
        std::optional<QuickBoostResult> result;
        QThreadPool::globalInstance()->start([this, &result] {
            m_optimizer->quickBoost([&result](const QuickBoostResult& r) { result = r; });
        });
        QTRY_VERIFY(result);
        QCOMPARE(result->actions.at(1).label, "Terminated 1 junk process");
        QTRY_COMPARE(m_chat->state(), QProcess::NotRunning);
        // The shell's own handler ran: this was an ordinary request, not a kill.
        QCOMPARE(m_chat->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_chat->exitCode(), 7);
        QCOMPARE(m_game->state(), QProcess::Running);
    }

    void launchNoticeFromProc()
    {
        m_optimizer->setAutoOptimizeEnabled(true);
        m_optimizer->startGameLaunchObserver();
        const qsizetype scriptsBefore = m_scripts.sources().size();
        QSignalSpy launched(m_linux.get(), &Workspace::applicationLaunched);
        QProcess* late = m_children->start("/bin/sleep", "LateGame", {"30"});
        QVERIFY(late);
        m_workspace->allow(late->processId());
        QTRY_VERIFY(std::any_of(launched.cbegin(), launched.cend(), [late](const QList<QVariant>& args) {
            return args.first().value<RunningApplication>().processIdentifier == qint32(late->processId());
        }));
        QTRY_VERIFY(m_optimizer->gameModeEnabled());
        QCOMPARE(m_scripts.sources().size(), scriptsBefore + 1);
        m_optimizer->cleanup();
    }

private:
    FakeProcessRunner m_runner;
    FakeAppleScriptRunner m_scripts;
    FreeMemorySequence m_memory;
    LinuxProcessControl m_control;
    std::unique_ptr<ChildProcesses> m_children;
    QProcess* m_game = nullptr;
    QProcess* m_chat = nullptr;
    std::unique_ptr<LinuxWorkspace> m_linux;
    std::unique_ptr<ChildProcessWorkspace> m_workspace;
    std::unique_ptr<SystemOptimizer> m_optimizer;
};

QM_TEST_MAIN(TestOptimizerOnLinux)
#include "tst_OptimizerOnLinux.moc"

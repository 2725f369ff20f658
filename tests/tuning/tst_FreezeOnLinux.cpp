#include "ChildProcessWorkspace.h"
#include "ChildProcesses.h"
#include "FakeProcessRunner.h"
#include "AtomicFile.h"
#include "TestMain.h"
#include "linux/JsonFileDefaults.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "linux/ProcFiles.h"
#include "tuning/FocusFreezeManager.h"
#include "tuning/GameProfilePresets.h"

#include <QTemporaryDir>
#include <csignal>

using namespace std::chrono_literals;

namespace {

char stateOf(const QProcess* child)
{
    const auto stat = ProcFiles::readStat("/proc", qint32(child->processId()));
    return stat ? stat->state : '?';
}

bool isPaused(const QProcess* child)
{
    return stateOf(child) == 'T';
}

quint64 startTimeOf(const QProcess* child)
{
    const auto stat = ProcFiles::readStat("/proc", qint32(child->processId()));
    return stat ? stat->startTime : 0;
}

} // namespace

// Background Freeze against real children of this test, seen through the real /proc. The
// workspace is narrowed to those children; which one is in front is set here, since there may be
// no X display. Signals are real.
class TestFreezeOnLinux : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_children = std::make_unique<ChildProcesses>();
        m_game = m_children->start("/bin/sleep", "Minecraft", {"30"});
        m_sync = m_children->start("/bin/sleep", "Dropbox", {"30"});
        m_other = m_children->start("/bin/sleep", "Notes", {"30"});
        QVERIFY(m_game && m_sync && m_other);
        m_linux = std::make_unique<LinuxWorkspace>(m_runner, m_control, LinuxWorkspace::Options{"/proc", {}, 20ms});
        m_workspace = std::make_unique<ChildProcessWorkspace>(*m_linux);
        for (const QProcess* child : {m_game, m_sync, m_other})
            m_workspace->allow(child->processId());
        m_defaults = std::make_unique<JsonFileDefaults>(m_dir.filePath("defaults.json"));
    }

    void cleanup()
    {
        m_manager.reset();
        m_workspace.reset();
        m_linux.reset();
        m_children.reset();
        QFile::remove(m_dir.filePath("defaults.json"));
    }

    void pausesAndResumesRealProcesses()
    {
        startFreezing();
        QTRY_VERIFY(isPaused(m_sync));
        QVERIFY(!isPaused(m_game));
        QVERIFY(!isPaused(m_other));
        QCOMPARE(m_manager->statusText(), "Minecraft is active. Frozen: Dropbox.");

        m_workspace->setFrontmost(m_other->processId());
        m_manager->refreshCandidates();
        m_manager->setActiveProfile(minecraft());
        QTRY_VERIFY(!isPaused(m_sync));
        QCOMPARE(m_manager->statusText(), "Background apps are awake while you are outside Minecraft.");

        m_workspace->setFrontmost(m_game->processId());
        m_manager->setActiveProfile(minecraft());
        QTRY_VERIFY(isPaused(m_sync));
        m_manager.reset();
        QTRY_VERIFY(!isPaused(m_sync));
    }

    void aRestartAfterACrashResumesOnlyTheSameProcess()
    {
        startFreezing();
        QTRY_VERIFY(isPaused(m_sync));
        const QString file = m_dir.filePath("defaults.json");
        JsonFileDefaults written(file);
        QCOMPARE(written.array(FrozenProcessStore::pidsKey), std::optional(QVariantList{qint64(m_sync->processId())}));
        QCOMPARE(written.dictionary(FrozenProcessStore::startTimesKey),
                 std::optional(QVariantMap{{QString::number(m_sync->processId()), qint64(startTimeOf(m_sync))}}));

        // What a crash at this moment leaves: the file as it is and the process paused. (The manager
        // itself cannot be made to crash here; going away, it resumes, so the test pauses again.)
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray atCrash = saved.readAll();
        saved.close();
        m_manager.reset();
        QTRY_VERIFY(!isPaused(m_sync));
        ::kill(pid_t(m_sync->processId()), SIGSTOP);
        QVERIFY(AtomicFile::write(file, atCrash));

        // A process paused by someone else, stored with another start time: as if its identifier
        // had been reused since. It must stay as it is.
        ::kill(pid_t(m_other->processId()), SIGSTOP);
        QTRY_VERIFY(isPaused(m_other) && isPaused(m_sync));
        {
            JsonFileDefaults onDisk(file);
            QVariantList pids = *onDisk.array(FrozenProcessStore::pidsKey);
            QVariantMap startTimes = *onDisk.dictionary(FrozenProcessStore::startTimesKey);
            pids.append(qint64(m_other->processId()));
            startTimes.insert(QString::number(m_other->processId()), qint64(startTimeOf(m_other) + 1));
            onDisk.setValue(FrozenProcessStore::pidsKey, pids);
            onDisk.setValue(FrozenProcessStore::startTimesKey, startTimes);
        }

        // The next start reads the file anew.
        JsonFileDefaults restarted(file);
        LinuxProcessControl control;
        QCOMPARE(FocusFreezeManager::recoverPausedProcesses(restarted, control), 1);
        QTRY_VERIFY(!isPaused(m_sync));
        QVERIFY(isPaused(m_other));
        QVERIFY(!restarted.contains(FrozenProcessStore::pidsKey));
        QVERIFY(!JsonFileDefaults(file).contains(FrozenProcessStore::startTimesKey));
        ::kill(pid_t(m_other->processId()), SIGCONT);
    }

private:
    static GameProfile minecraft() { return GameProfilePresets::all().first(); }

    void startFreezing()
    {
        m_workspace->setFrontmost(m_game->processId());
        m_manager = std::make_unique<FocusFreezeManager>(
            FocusFreezeManager::Services{*m_workspace, m_control, *m_defaults},
            FocusFreezeManager::Options{0, {}, std::chrono::hours(1)});
        QCOMPARE(m_manager->selectedCandidateIDs(), QSet<QString>{"Dropbox|Dropbox"});
        m_manager->setActiveProfile(minecraft());
        m_manager->setEnabled(true);
    }

    QTemporaryDir m_dir;
    FakeProcessRunner m_runner;
    LinuxProcessControl m_control;
    std::unique_ptr<ChildProcesses> m_children;
    QProcess* m_game = nullptr;
    QProcess* m_sync = nullptr;
    QProcess* m_other = nullptr;
    std::unique_ptr<LinuxWorkspace> m_linux;
    std::unique_ptr<ChildProcessWorkspace> m_workspace;
    std::unique_ptr<JsonFileDefaults> m_defaults;
    std::unique_ptr<FocusFreezeManager> m_manager;
};

QM_TEST_MAIN(TestFreezeOnLinux)
#include "tst_FreezeOnLinux.moc"

#include "ChildProcesses.h"
#include "NiceValues.h"
#include "TestMain.h"
#include "linux/LinuxProcessControl.h"
#include "linux/ProcFiles.h"

#include <csignal>
#include <unistd.h>

namespace {

ProcessIdentity identityOf(const QProcess* child)
{
    const auto stat = ProcFiles::readStat("/proc", qint32(child->processId()));
    return {qint32(child->processId()), stat ? stat->startTime : 0};
}

} // namespace

class TestLinuxProcessControl : public QObject {
    Q_OBJECT
private slots:
    void readStatOfThisProcess()
    {
        const auto stat = ProcFiles::readStat("/proc", qint32(::getpid()));
        QVERIFY(stat);
        QCOMPARE(stat->parent, qint32(::getppid()));
        QVERIFY(stat->startTime > 0);
        QCOMPARE(ProcFiles::readOwner("/proc", qint32(::getpid())), std::optional<uid_t>(::getuid()));
        QCOMPARE(ProcFiles::readExecutable("/proc", qint32(::getpid())), QCoreApplication::applicationFilePath());
    }

    void priorityOfAChild()
    {
        ChildProcesses children;
        QProcess* child = children.start("/bin/sleep", "Worker", {"30"});
        QVERIFY(child);
        const ProcessIdentity identity = identityOf(child);
        LinuxProcessControl control;
        const int original = NiceValues::of(child);
        QCOMPARE(control.priority(identity), std::optional(original));

        // Raising a nice value is always allowed for one's own process.
        QVERIFY(control.setPriority(identity, 15));
        QCOMPARE(NiceValues::of(child), 15);
        QCOMPARE(control.mayRaisePriorityTo(identity, original), NiceValues::mayLowerTo(original));
        QCOMPARE(control.setPriority(identity, original), NiceValues::mayLowerTo(original));
        QCOMPARE(NiceValues::of(child), NiceValues::mayLowerTo(original) ? original : 15);
        QCOMPARE(control.setPriority(identity, -10), NiceValues::mayLowerTo(-10));
    }

    void aStaleIdentityIsRefused()
    {
        ChildProcesses children;
        QProcess* child = children.start("/bin/sleep", "Worker", {"30"});
        QVERIFY(child);
        ProcessIdentity stale = identityOf(child);
        stale.startTime += 1;
        LinuxProcessControl control;
        const int before = NiceValues::of(child);
        QVERIFY(!control.priority(stale));
        QVERIFY(!control.setPriority(stale, 19));
        QVERIFY(!control.mayRaisePriorityTo(stale, 0));
        QVERIFY(!control.sendSignal(stale, SIGTERM));
        QCOMPARE(NiceValues::of(child), before);
        QVERIFY(!child->waitForFinished(50));
    }

    void thisProcessAndTheFirstAreRefused()
    {
        LinuxProcessControl control;
        const auto self = ProcFiles::readStat("/proc", qint32(::getpid()));
        QVERIFY(self);
        // Signal 0 delivers nothing; it only asks whether a signal could be sent.
        QVERIFY(!control.sendSignal({qint32(::getpid()), self->startTime}, 0));
        QVERIFY(!control.priority({qint32(::getpid()), self->startTime}));
        if (const auto init = ProcFiles::readStat("/proc", 1))
            QVERIFY(!control.sendSignal({1, init->startTime}, 0));
        QVERIFY(!control.sendSignal({0, 0}, 0));
        QVERIFY(!control.sendSignal({-1, 0}, 0));
    }
};

QM_TEST_MAIN(TestLinuxProcessControl)
#include "tst_LinuxProcessControl.moc"

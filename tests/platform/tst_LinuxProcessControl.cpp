#include "ChildProcesses.h"
#include "NiceValues.h"
#include "TestMain.h"
#include "linux/LinuxProcessControl.h"
#include "linux/ProcFiles.h"

#include <csignal>
#include <unistd.h>

class TestLinuxProcessControl : public QObject {
    Q_OBJECT
private slots:
    void aStaleIdentityIsRefused()
    {
        ChildProcesses children;
        QProcess* child = children.start("/bin/sleep", "Worker", {"30"});
        QVERIFY(child);
        const auto stat = ProcFiles::readStat("/proc", qint32(child->processId()));
        QVERIFY(stat && stat->startTime > 0);
        const ProcessIdentity stale{qint32(child->processId()), stat->startTime + 1};
        LinuxProcessControl control;
        const int before = NiceValues::of(child);
        QCOMPARE(control.priority({stale.pid, stat->startTime}), std::optional(before));
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

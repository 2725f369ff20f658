#include "TestMain.h"
#include "linux/LinuxProcessRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <csignal>
#include <unistd.h>

namespace {

int openDescriptors()
{
    return int(QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// The children of this process that run `program`, read from /proc.
QList<qint32> childrenRunning(const QString& program)
{
    QList<qint32> found;
    for (const QString& name : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + name + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toInt() == ::getpid()
            && QFile::symLinkTarget("/proc/" + name + "/exe") == program)
            found.append(name.toInt());
    }
    return found;
}

bool alive(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0;
}

} // namespace

using Outcome = ProcessResult::Outcome;

class TestProcessRunner : public QObject {
    Q_OBJECT
private slots:
    void run_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("output");

        QTest::newRow("success") << "/bin/true" << QStringList{} << 5000 << Outcome::Exited << 0 << QByteArray();
        QTest::newRow("failure status") << "/bin/false" << QStringList{} << 5000 << Outcome::Exited << 1 << QByteArray();
        QTest::newRow("arguments are passed as they are, not interpreted")
            << "/bin/echo" << QStringList{"$HOME;", "`id`"} << 5000 << Outcome::Exited << 0
            << QByteArray("$HOME; `id`\n");
        QTest::newRow("missing program") << "/nonexistent/tool" << QStringList{} << 5000 << Outcome::FailedToStart
                                         << -1 << QByteArray();
        QTest::newRow("outlives its timeout") << "/bin/sleep" << QStringList{"10"} << 200 << Outcome::TimedOut << -1
                                              << QByteArray();
        QTest::newRow("killed by a signal") << "/bin/sh" << QStringList{"-c", "kill -9 $$"} << 5000
                                            << Outcome::Crashed << -1 << QByteArray();
    }

    void run()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, timeoutMs);
        QFETCH(Outcome, outcome);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, output);

        const ProcessResult result = LinuxProcessRunner().run(program, arguments, timeoutMs);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.standardOutput, output);
        // Only a start failure carries the system's reason, which callers show to the user.
        QCOMPARE(result.errorString.isEmpty(), outcome != Outcome::FailedToStart);
    }

    void unstartableProgramsLeaveNoDescriptorOpen_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("reason"); // after the program's path
        QTest::newRow("missing") << "/usr/sbin/system_profiler" << " is not installed";
        QTest::newRow("not executable") << "plain.txt" << " is not a program this user may run";
        QTest::newRow("a folder") << "." << " is not a program this user may run";
    }

    void unstartableProgramsLeaveNoDescriptorOpen()
    {
        QFETCH(QString, program);
        QTemporaryDir scratch;
        QFile plain(scratch.filePath("plain.txt"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString path = program.startsWith('/') ? program : QDir::cleanPath(scratch.filePath(program));

        LinuxProcessRunner runner;
        const int before = openDescriptors();
        for (int i = 0; i < 200; ++i) {
            const ProcessResult result = runner.run(path, {}, 5000);
            QCOMPARE(result.outcome, Outcome::FailedToStart);
            QVERIFY(!result.errorString.isEmpty());
        }
        // The reason is shown to the user: it names the program, not only the system's error.
        QTEST(runner.run(path, {}, 5000).errorString.mid(path.size()), "reason");
        QVERIFY(!runner.startHeld(path, {}));
        QCOMPARE(openDescriptors(), before);
    }

    void outputLargerThanAPipe()
    {
        const ProcessResult result = LinuxProcessRunner().run("/usr/bin/seq", {"1", "200000"}, 10'000);
        QVERIFY(result.succeeded());
        QVERIFY(result.standardOutput.size() > 1'000'000);
        QVERIFY(result.standardOutput.endsWith("200000\n"));
    }

    void relocatedTools()
    {
        const QString ping = LinuxProcessRunner::resolveProgram("/sbin/ping");
        QVERIFY(ping != "/sbin/ping");
        QCOMPARE(QFileInfo(ping).fileName(), QString("ping"));
        QVERIFY(QFileInfo(ping).isExecutable());
        QCOMPARE(LinuxProcessRunner::resolveProgram("/usr/sbin/purge"), QString("/usr/sbin/purge"));
    }

    void heldChildren()
    {
        LinuxProcessRunner runner;
        QVERIFY(!runner.startHeld("/nonexistent/caffeinate", {}));

        auto held = runner.startHeld("/bin/sleep", {"30"});
        QVERIFY(held && held->isRunning() && held->processId() > 0);
        QSignalSpy stopped(held.get(), &HeldProcess::finished);
        held->stop();
        QVERIFY(!held->isRunning());
        QCOMPARE(stopped.count(), 1);
        held->stop();
        QCOMPARE(stopped.count(), 1);
    }

    void stoppingDoesNotWaitForTheChild()
    {
        LinuxProcessRunner runner;
        // The child ignores SIGTERM, so a stop that waited for it would find it gone afterwards.
        auto held = runner.startHeld("/bin/sh", {"-c", "trap '' TERM; exec sleep 30"});
        QVERIFY(held);
        const qint64 pid = held->processId();
        QTRY_VERIFY(QFile::symLinkTarget(QString("/proc/%1/exe").arg(pid)).endsWith("sleep"));
        held->stop();
        QVERIFY(!held->isRunning());
        QVERIFY(alive(pid));
        held.reset();
        QVERIFY(alive(pid));

        runner.endChildren();
        QVERIFY(!alive(pid));
    }

    void endingChildrenAtQuit()
    {
        LinuxProcessRunner runner;
        auto held = runner.startHeld("/bin/sleep", {"30"});
        QVERIFY(held);
        QSignalSpy heldEnded(held.get(), &HeldProcess::finished);
        auto run = QtConcurrent::run([&runner] { return runner.run("/bin/sleep", {"30"}, 60'000); });
        QTRY_COMPARE(childrenRunning(QFileInfo("/bin/sleep").canonicalFilePath()).size(), 2);

        runner.endChildren();
        QVERIFY(!held->isRunning());
        QCOMPARE(heldEnded.count(), 1);
        // The run was given a minute; it came back because its child was ended.
        QCOMPARE(run.result().outcome, Outcome::Crashed);
        QTRY_VERIFY(childrenRunning(QFileInfo("/bin/sleep").canonicalFilePath()).isEmpty());

        const ProcessResult late = runner.run("/bin/true", {}, 5000);
        QCOMPARE(late.outcome, Outcome::FailedToStart);
        QVERIFY(!late.errorString.isEmpty());
        QVERIFY(!runner.startHeld("/bin/sleep", {"30"}));
    }
};

QM_TEST_MAIN(TestProcessRunner)
#include "tst_ProcessRunner.moc"

#include "TestMain.h"
#include "app/SingleInstance.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtConcurrent/QtConcurrentRun>

namespace {

// A lock file naming a process as its holder, written as the lock itself writes one.
void writeLock(const QString& path, qint64 pid, const QString& name)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(pid) + '\n' + name.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
}

using Claim = SingleInstance::Claim;

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    // The running instance listens once its window is on its way; a start before that keeps
    // trying until it does.
    void aSecondStartHandsOverToTheFirst_data()
    {
        QTest::addColumn<bool>("listenFirst");
        QTest::newRow("the first listening") << true;
        QTest::newRow("the first not listening yet") << false;
    }

    void aSecondStartHandsOverToTheFirst()
    {
        QFETCH(bool, listenFirst);
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        auto first = std::make_unique<SingleInstance>(folder);
        QCOMPARE(first->claim(), Claim::Running);
        QSignalSpy asked(first.get(), &SingleInstance::activationRequested);
        if (listenFirst)
            first->listen();

        QFuture<Claim> second = QtConcurrent::run([folder] { return SingleInstance(folder).claim(); });
        if (!listenFirst)
            first->listen();
        QTRY_VERIFY(second.isFinished());
        QCOMPARE(second.result(), Claim::HandedOver);
        QTRY_COMPARE(asked.count(), 1);
        SingleInstance third(folder);
        QCOMPARE(third.claim(), Claim::HandedOver);
        QTRY_COMPARE(asked.count(), 2);

        // Once the first has gone, the next start is the running one.
        first.reset();
        SingleInstance next(folder);
        QCOMPARE(next.claim(), Claim::Running);
    }

    // What an earlier instance may have left in the folder.
    void leftoversOfEarlierInstances_data()
    {
        QTest::addColumn<QString>("lock"); // "killed", "running", "empty" or nothing
        QTest::addColumn<QString>("socketLeft"); // "file", "folder" or nothing
        QTest::addColumn<Claim>("claimed");
        QTest::addColumn<Claim>("later"); // what a later start gets
        QTest::newRow("nothing") << "" << "" << Claim::Running << Claim::HandedOver;
        QTest::newRow("lock of a killed instance") << "killed" << "" << Claim::Running << Claim::HandedOver;
        QTest::newRow("lock and socket of a killed instance")
            << "killed" << "file" << Claim::Running << Claim::HandedOver;
        QTest::newRow("lock cut short") << "empty" << "" << Claim::Running << Claim::HandedOver;
        // A holder that never listens: the start must say so rather than quietly go.
        QTest::newRow("lock of a process still running") << "running" << "" << Claim::NoAnswer << Claim::NoAnswer;
        // Nothing can listen at the socket's path, so later starts cannot reach this one.
        QTest::newRow("socket path taken by a folder") << "" << "folder" << Claim::Running << Claim::NoAnswer;
    }
    void leftoversOfEarlierInstances()
    {
        QFETCH(QString, lock);
        QFETCH(QString, socketLeft);
        QFETCH(Claim, claimed);
        QFETCH(Claim, later);
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        QVERIFY(QDir().mkpath(folder));
        SingleInstance instance(folder);

        QProcess holder;
        if (lock == "killed" || lock == "running") {
            holder.start("sleep", {"30"});
            QVERIFY(holder.waitForStarted());
            const qint64 pid = holder.processId();
            const QString name = QFileInfo(QFile::symLinkTarget(QString("/proc/%1/exe").arg(pid))).fileName();
            writeLock(instance.lockPath(), pid, name);
            if (lock == "killed") {
                holder.kill();
                QVERIFY(holder.waitForFinished());
            }
        } else if (lock == "empty") {
            QVERIFY(QFile(instance.lockPath()).open(QIODevice::WriteOnly));
        }
        if (socketLeft == "file")
            QVERIFY(QFile(instance.socketPath()).open(QIODevice::WriteOnly));
        else if (socketLeft == "folder")
            QVERIFY(QDir().mkpath(instance.socketPath()));
        if (socketLeft == "folder")
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Later starts cannot reach this instance"));

        QCOMPARE(instance.claim(), claimed);
        if (claimed == Claim::Running)
            instance.listen();
        if (holder.state() != QProcess::NotRunning) {
            holder.kill();
            holder.waitForFinished();
        }
        if (claimed != Claim::Running)
            return;
        // The instance that took over is the one a later start reaches.
        QSignalSpy asked(&instance, &SingleInstance::activationRequested);
        QCOMPARE(SingleInstance(folder).claim(), later);
        if (later == Claim::HandedOver)
            QTRY_COMPARE(asked.count(), 1);
    }
};

QM_TEST_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"

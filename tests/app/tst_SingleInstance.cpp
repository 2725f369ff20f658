#include "TestMain.h"
#include "app/SingleInstance.h"

#include <QProcess>
#include <QSysInfo>

namespace {

// A lock file naming a process as its holder, written as the lock itself writes one.
void writeLock(const QString& path, qint64 pid, const QString& name)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray::number(pid) + '\n' + name.toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n');
}

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT
private slots:
    void aSecondStartHandsOverToTheFirst()
    {
        QTemporaryDir home;
        const QString folder = home.filePath("Quillmarsh");
        auto first = std::make_unique<SingleInstance>(folder);
        QVERIFY(first->claim());
        QSignalSpy asked(first.get(), &SingleInstance::activationRequested);

        SingleInstance second(folder);
        QVERIFY(!second.claim());
        QTRY_COMPARE(asked.count(), 1);
        SingleInstance third(folder);
        QVERIFY(!third.claim());
        QTRY_COMPARE(asked.count(), 2);

        // Once the first has gone, the next start is the running one.
        first.reset();
        SingleInstance next(folder);
        QVERIFY(next.claim());
    }

    // What an earlier instance may have left in the folder.
    void leftoversOfEarlierInstances_data()
    {
        QTest::addColumn<QString>("lock"); // "killed", "running", "empty" or nothing
        QTest::addColumn<bool>("socketLeft");
        QTest::addColumn<bool>("claimed");
        QTest::newRow("nothing") << "" << false << true;
        QTest::newRow("lock of a killed instance") << "killed" << false << true;
        QTest::newRow("lock and socket of a killed instance") << "killed" << true << true;
        QTest::newRow("lock cut short") << "empty" << false << true;
        QTest::newRow("lock of a process still running") << "running" << false << false;
    }
    void leftoversOfEarlierInstances()
    {
        QFETCH(QString, lock);
        QFETCH(bool, socketLeft);
        QFETCH(bool, claimed);
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
        if (socketLeft)
            QVERIFY(QFile(instance.socketPath()).open(QIODevice::WriteOnly));

        QCOMPARE(instance.claim(), claimed);
        if (holder.state() != QProcess::NotRunning) {
            holder.kill();
            holder.waitForFinished();
        }
        if (!claimed)
            return;
        // The instance that took over is the one a later start reaches.
        QSignalSpy asked(&instance, &SingleInstance::activationRequested);
        QVERIFY(!SingleInstance(folder).claim());
        QTRY_COMPARE(asked.count(), 1);
    }
};

QM_TEST_MAIN(TestSingleInstance)
#include "tst_SingleInstance.moc"

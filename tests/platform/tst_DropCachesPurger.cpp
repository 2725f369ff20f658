#include "TestMain.h"
#include "linux/DropCachesPurger.h"

using Kind = MemoryPurger::Outcome::Kind;

class TestDropCachesPurger : public QObject {
    Q_OBJECT
private slots:
    void writesOneIntoDropCaches_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QByteArray>("written");
        // The system-wide write-out is slow; it is worth starting only when the drop can follow.
        QTest::addColumn<int>("flushes");
        QTest::newRow("writable") << "file" << int(Kind::Purged) << "" << QByteArray("1") << 1;
        // A kernel setting that nobody may write, root included: the refusal an ordinary user gets
        // (or, where /proc/sys is mounted read-only, the refusal everyone gets).
        QTest::newRow("refused") << "read-only setting" << int(Kind::NotPermitted) << "" << QByteArray() << 0;
        QTest::newRow("missing") << "nothing" << int(Kind::Failed) << "No such file or directory" << QByteArray()
                                 << 0;
        QTest::newRow("not a file") << "folder" << int(Kind::Failed) << "Is a directory" << QByteArray() << 0;
    }

    void writesOneIntoDropCaches()
    {
        QFETCH(QString, place);
        QFETCH(int, kind);
        QFETCH(QString, error);
        QFETCH(QByteArray, written);
        QFETCH(int, flushes);
        QTemporaryDir proc;
        const QString vm = proc.filePath("sys/vm");
        const QString target = vm + "/drop_caches";
        QVERIFY(QDir().mkpath(vm));
        if (place == "file") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else if (place == "read-only setting") {
            QVERIFY(QFile::link("/proc/sys/kernel/osrelease", target));
        } else if (place == "folder") {
            QVERIFY(QDir().mkpath(target));
        }

        int flushed = 0;
        const MemoryPurger::Outcome outcome = DropCachesPurger(proc.path(), [&] { ++flushed; }).purge();
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.error, error);
        QCOMPARE(flushed, flushes);
        if (place == "file") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), written);
        }
    }
};

QM_TEST_MAIN(TestDropCachesPurger)
#include "tst_DropCachesPurger.moc"

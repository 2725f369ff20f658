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
        QTest::newRow("writable") << "file" << int(Kind::Purged) << "" << QByteArray("1");
        // A kernel setting that nobody may write, root included: the refusal an ordinary user gets.
        QTest::newRow("refused") << "read-only setting" << int(Kind::NotPermitted) << "" << QByteArray();
        QTest::newRow("missing") << "nothing" << int(Kind::Failed) << "No such file or directory" << QByteArray();
        QTest::newRow("not a file") << "folder" << int(Kind::Failed) << "Is a directory" << QByteArray();
    }

    void writesOneIntoDropCaches()
    {
        QFETCH(QString, place);
        QFETCH(int, kind);
        QFETCH(QString, error);
        QFETCH(QByteArray, written);
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

        const MemoryPurger::Outcome outcome = DropCachesPurger(proc.path()).purge();
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(outcome.error, error);
        if (place == "file") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), written);
        }
    }
};

QM_TEST_MAIN(TestDropCachesPurger)
#include "tst_DropCachesPurger.moc"

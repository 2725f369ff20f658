#include "TestMain.h"
#include "AtomicFile.h"
#include "FileSizeLimit.h"
#include "linux/JsonFileDefaults.h"

#include <QDir>
#include <QFile>

class TestDefaults : public QObject {
    Q_OBJECT
private:
    QString path() const { return m_dir.path() + "/sub/defaults.json"; }
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void kindsSurviveTheFile()
    {
        const QVariantMap nested{{"n", qint64(2)}, {"s", QString("x")}};
        {
            JsonFileDefaults defaults(path());
            defaults.setValue("s", QString("text"));
            defaults.setValue("b", true);
            defaults.setValue("i", 42);
            defaults.setValue("d", 3.0);
            defaults.setValue("data", QByteArray("\x00\xff", 2));
            defaults.setValue("list", QStringList{"a", "b"});
            defaults.setValue("map", nested);
        }
        JsonFileDefaults reread(path());
        QCOMPARE(reread.string("s"), QString("text"));
        QCOMPARE(reread.boolean("b"), true);
        QCOMPARE(reread.integer("i"), 42);
        QCOMPARE(reread.number("d"), 3.0);
        QVERIFY(!reread.integer("d")); // a double stays a double, even when it is whole
        QCOMPARE(reread.data("data"), QByteArray("\x00\xff", 2));
        QCOMPARE(reread.array("list"), (QVariantList{"a", "b"}));
        QCOMPARE(reread.dictionary("map"), nested);
        QCOMPARE(QFile::permissions(path()) & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                                                QFileDevice::WriteUser),
                 QFileDevice::Permissions());
    }

    void wrongKindAnswersNothing_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("answers");
        QTest::newRow("bool as string") << QVariant(true) << "string" << false;
        QTest::newRow("string as bool") << QVariant("true") << "bool" << false;
        QTest::newRow("integer as double") << QVariant(7) << "double" << true;
        QTest::newRow("double as integer") << QVariant(7.5) << "integer" << false;
        QTest::newRow("string as data") << QVariant("aGk=") << "data" << false;
        QTest::newRow("array as dictionary") << QVariant(QVariantList{1}) << "dictionary" << false;
        QTest::newRow("missing") << QVariant() << "string" << false;
    }

    void wrongKindAnswersNothing()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, asked);
        QFETCH(bool, answers);
        JsonFileDefaults defaults(path());
        if (stored.isValid())
            defaults.setValue("k", stored);
        bool got = false;
        if (asked == "string") got = defaults.string("k").has_value();
        if (asked == "bool") got = defaults.boolean("k").has_value();
        if (asked == "double") got = defaults.number("k").has_value();
        if (asked == "integer") got = defaults.integer("k").has_value();
        if (asked == "data") got = defaults.data("k").has_value();
        if (asked == "dictionary") got = defaults.dictionary("k").has_value();
        QCOMPARE(got, answers);
    }

    void removeKeyAndDomain()
    {
        JsonFileDefaults defaults(path());
        defaults.setValue("a", 1);
        defaults.setValue("b", 2);
        defaults.remove("a");
        QVERIFY(!JsonFileDefaults(path()).contains("a"));
        QVERIFY(JsonFileDefaults(path()).contains("b"));
        QVERIFY(defaults.removeDomain());
        QVERIFY(!defaults.contains("b"));
        QVERIFY(!QFile::exists(path()));
    }

    void failedAtomicWriteKeepsTheOldContents()
    {
        const QString file = m_dir.path() + "/value.bin";
        QVERIFY(AtomicFile::writePrivate(file, "old contents"));
        {
            FileSizeLimit noRoom(4);
            QVERIFY(!AtomicFile::writePrivate(file, "new contents that do not fit"));
            QVERIFY(!AtomicFile::write(file, "new contents that do not fit"));
        }
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("old contents"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"value.bin"});
    }

    void unreadableFileIsKeptAside()
    {
        QDir().mkpath(m_dir.path() + "/sub");
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"a\": {\"string\": 1}, \"b\": not json");
        file.close();

        JsonFileDefaults defaults(path());
        QVERIFY(!defaults.contains("a"));
        defaults.setValue("c", 1);
        const QStringList aside = QDir(m_dir.path() + "/sub").entryList({"defaults.json.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        QFile kept(m_dir.path() + "/sub/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QVERIFY(kept.readAll().contains("not json"));
    }
};

QM_TEST_MAIN(TestDefaults)
#include "tst_Defaults.moc"

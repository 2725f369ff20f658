#include "AtomicFile.h"
#include "FileSizeLimit.h"
#include "TestMain.h"
#include "linux/JsonFileDefaults.h"

namespace {

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDefaults : public QObject {
    Q_OBJECT
private:
    QString path() const { return m_dir.path() + "/sub/defaults.json"; }
    QTemporaryDir m_dir;

private slots:
    void kindsSurviveTheFileAndWrongKindsAnswerNothing()
    {
        const QVariantMap nested{{"n", qint64(2)}, {"s", QString("x")}};
        const QVariantMap stored{{"s", QString("aGk=")}, {"b", true}, {"i", 42}, {"d", 3.0},
                                 {"data", QByteArray("\x00\xff", 2)}, {"list", QStringList{"a", "b"}},
                                 {"map", nested}, {"gone", 1}};
        {
            JsonFileDefaults defaults(path());
            for (auto it = stored.cbegin(); it != stored.cend(); ++it)
                defaults.setValue(it.key(), it.value());
            defaults.remove("gone");
        }
        JsonFileDefaults reread(path());
        QCOMPARE(reread.string("s"), QString("aGk="));
        QCOMPARE(reread.boolean("b"), true);
        QCOMPARE(reread.integer("i"), 42);
        QCOMPARE(reread.number("d"), 3.0);
        QCOMPARE(reread.data("data"), QByteArray("\x00\xff", 2));
        QCOMPARE(reread.array("list"), (QVariantList{"a", "b"}));
        QCOMPARE(reread.dictionary("map"), nested);
        QVERIFY(!reread.contains("gone"));
        QCOMPARE(QFile::permissions(path()),
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser);

        QCOMPARE(reread.number("i"), 42.0); // integers answer as numbers, not the other way round
        QVERIFY(!reread.integer("d"));      // a double stays a double, even when it is whole
        QVERIFY(!reread.string("b"));
        QVERIFY(!reread.boolean("s"));
        QVERIFY(!reread.data("s"));
        QVERIFY(!reread.dictionary("list"));
        QVERIFY(!reread.string("missing"));
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
        QCOMPARE(contents(file), QByteArray("old contents"));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"value.bin"});
    }

    void unreadableFileIsKeptAside()
    {
        QVERIFY(QDir().mkpath(m_dir.path() + "/sub"));
        QVERIFY(AtomicFile::write(path(), "{\"a\": {\"string\": 1}, \"b\": not json"));
        JsonFileDefaults defaults(path());
        QVERIFY(!defaults.contains("a"));
        defaults.setValue("c", 1);
        const QStringList aside = QDir(m_dir.path() + "/sub").entryList({"defaults.json.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        QVERIFY(contents(m_dir.path() + "/sub/" + aside.first()).contains("not json"));
    }
};

QM_TEST_MAIN(TestDefaults)
#include "tst_Defaults.moc"

#include "AtomicFile.h"
#include "FileSizeLimit.h"
#include "TestMain.h"
#include "linux/JsonFileDefaults.h"

#include <sys/stat.h>

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

    void numbersFromTheFile_data()
    {
        QTest::addColumn<QByteArray>("value"); // the stored entry of key "k"
        QTest::addColumn<QVariant>("read");    // invalid: the file is set aside
        QTest::newRow("integer") << QByteArray(R"({"integer": -7})") << QVariant(qint64(-7));
        QTest::newRow("widest integer, exact") << QByteArray(R"({"integer": 9223372036854775807})")
                                               << QVariant(qint64(9223372036854775807));
        QTest::newRow("integer written as a whole double") << QByteArray(R"({"integer": 3.0})") << QVariant(qint64(3));
        QTest::newRow("fractional integer") << QByteArray(R"({"integer": 3.5})") << QVariant();
        QTest::newRow("integer beyond 64 bits") << QByteArray(R"({"integer": 1e20})") << QVariant();
        QTest::newRow("double") << QByteArray(R"({"double": 2.5})") << QVariant(2.5);
        QTest::newRow("double too large for a double") << QByteArray(R"({"double": 1e400})") << QVariant();
        QTest::newRow("double written as null") << QByteArray(R"({"double": null})") << QVariant();
    }
    void numbersFromTheFile()
    {
        QFETCH(QByteArray, value);
        QFETCH(QVariant, read);
        QVERIFY(QDir().mkpath(m_dir.path() + "/sub"));
        QVERIFY(AtomicFile::write(path(), "{\"k\": " + value + "}"));
        JsonFileDefaults defaults(path());
        QCOMPARE(defaults.value("k"), read);
        const QStringList aside = QDir(m_dir.path() + "/sub").entryList({"defaults.json.unreadable-*"});
        QCOMPARE(aside.size(), read.isValid() ? 0 : 1);
        for (const QString& name : aside)
            QVERIFY(QFile::remove(m_dir.path() + "/sub/" + name));
    }

    void numbersJsonCannotHoldAreNotStored()
    {
        JsonFileDefaults defaults(path());
        for (const double wild : {qQNaN(), qInf(), -qInf()}) {
            defaults.setValue("wild", wild);
            QVERIFY(!defaults.contains("wild"));
        }
        defaults.setValue("fine", 1.5);
        QCOMPARE(JsonFileDefaults(path()).number("fine"), 1.5);
        QVERIFY(QDir(m_dir.path() + "/sub").entryList({"defaults.json.unreadable-*"}).isEmpty());
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

    void writesReplaceALinkAndNeverFollowIt_data()
    {
        QTest::addColumn<bool>("ownerOnly");
        QTest::addColumn<bool>("dangling");
        QTest::newRow("to a file elsewhere") << false << false;
        QTest::newRow("to nowhere") << false << true;
        QTest::newRow("private, to a file elsewhere") << true << false;
        QTest::newRow("private, to nowhere") << true << true;
    }
    void writesReplaceALinkAndNeverFollowIt()
    {
        QFETCH(bool, ownerOnly);
        QFETCH(bool, dangling);
        const QString outside = m_dir.path() + "/outside";
        QVERIFY(AtomicFile::write(outside, "precious"));
        const QString target = dangling ? m_dir.path() + "/nowhere" : outside;
        const QString file = m_dir.path() + "/ours";
        QVERIFY(QFile::link(target, file));
        QVERIFY(ownerOnly ? AtomicFile::writePrivate(file, "mine") : AtomicFile::write(file, "mine"));
        QVERIFY(!QFileInfo(file).isSymLink());
        QCOMPARE(contents(file), QByteArray("mine"));
        QCOMPARE(contents(outside), QByteArray("precious"));
        QVERIFY(!QFileInfo::exists(m_dir.path() + "/nowhere"));
        QVERIFY(QFile::remove(file) && QFile::remove(outside));
    }

    void privateFolder_data()
    {
        QTest::addColumn<QString>("before"); // what stands at the folder's place
        QTest::addColumn<bool>("made");
        QTest::newRow("nothing, nor its parents") << "" << true;
        QTest::newRow("a folder open to all") << "open folder" << true;
        QTest::newRow("a link to a folder elsewhere") << "link" << true;
        QTest::newRow("a link to nowhere") << "dangling" << true;
        QTest::newRow("a file") << "file" << false;
    }
    void privateFolder()
    {
        QFETCH(QString, before);
        QFETCH(bool, made);
        QTemporaryDir root;
        const QString elsewhere = root.path() + "/elsewhere";
        QVERIFY(QDir().mkpath(elsewhere));
        const QString folder = root.path() + (before.isEmpty() ? "/x/y/Quillmarsh" : "/Quillmarsh");
        if (before == "open folder") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::setPermissions(folder, QFileDevice::Permissions(0x7777)));
        } else if (before == "link" || before == "dangling") {
            QVERIFY(QFile::link(before == "link" ? elsewhere : root.path() + "/nowhere", folder));
        } else if (before == "file") {
            QVERIFY(AtomicFile::write(folder, "a file of the user's"));
        }
        const mode_t savedMask = ::umask(0);
        const bool result = AtomicFile::makePrivateFolder(folder);
        ::umask(savedMask);
        QCOMPARE(result, made);
        if (made) {
            QVERIFY(!QFileInfo(folder).isSymLink());
            for (QString path = folder; path != root.path(); path = QFileInfo(path).path())
                QCOMPARE(QFile::permissions(path), QFileDevice::Permissions(0x7700));
        } else {
            QCOMPARE(contents(folder), QByteArray("a file of the user's"));
        }
        QVERIFY(!QFileInfo::exists(root.path() + "/nowhere"));
        QVERIFY(QFileInfo(elsewhere).isDir() && QFile::permissions(elsewhere) != QFileDevice::Permissions(0x7700));
    }

    // What cannot be read as defaults, or is too large to read at a start, is kept aside whole and
    // the start goes on without it.
    void unreadableEntriesAreKeptAside_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("read");
        // A valid file of exactly `size` bytes, of values of 1 MB, each below the bound of a value.
        const auto padded = [](qint64 size) {
            QByteArray json = "{";
            for (int i = 0; size - json.size() > 2 * 1024 * 1024; ++i)
                json += "\"p" + QByteArray::number(i) + "\":{\"string\":\"" + QByteArray(1024 * 1024, 'x') + "\"},";
            const qsizetype last = QByteArray("\"a\":{\"string\":\"\"}}").size();
            return json + "\"a\":{\"string\":\"" + QByteArray(size - json.size() - last, 'x') + "\"}}";
        };
        QTest::newRow("not JSON") << "file" << QByteArray("{\"a\": {\"string\": 1}, \"b\": not json") << false;
        QTest::newRow("at the bound") << "file" << padded(JsonFileDefaults::maxFileBytes) << true;
        QTest::newRow("one byte over the bound") << "file" << padded(JsonFileDefaults::maxFileBytes + 1) << false;
        QTest::newRow("a pipe") << "pipe" << QByteArray() << false;
        QTest::newRow("a folder") << "folder" << QByteArray() << false;
    }
    void unreadableEntriesAreKeptAside()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, stored);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        if (kind == "file")
            QVERIFY(AtomicFile::write(file, stored));
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkdir(file));

        JsonFileDefaults defaults(file);
        QCOMPARE(defaults.contains("a"), read);
        const QFileInfoList aside = QDir(dir.path()).entryInfoList({"defaults.json.unreadable-*"}, QDir::AllEntries | QDir::System);
        QCOMPARE(aside.size(), read ? 0 : 1);
        if (read)
            return;
        QVERIFY(defaults.setValue("c", 1));
        QCOMPARE(JsonFileDefaults(file).integer("c"), 1);
        if (kind == "file")
            QVERIFY(contents(aside.first().filePath()) == stored);
        QCOMPARE(aside.first().isDir(), kind == "folder");
        QCOMPARE(aside.first().isFile(), kind == "file");
    }

    // A value too large for anything stored is set aside as the file is read; the file is rewritten
    // without it and the other values stay.
    void oversizedValuesAreSetAsideAsTheFileIsRead_data()
    {
        QTest::addColumn<qint64>("valueSize");
        QTest::addColumn<bool>("read");
        QTest::newRow("at the bound") << JsonFileDefaults::maxValueBytes << true;
        QTest::newRow("one byte over") << JsonFileDefaults::maxValueBytes + 1 << false;
        QTest::newRow("most of the file") << JsonFileDefaults::maxFileBytes - 100 << false;
    }
    void oversizedValuesAreSetAsideAsTheFileIsRead()
    {
        QFETCH(qint64, valueSize);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        const QByteArray big = "{\"string\":\"" + QByteArray(valueSize - 13, 'x') + "\"}";
        QVERIFY(AtomicFile::write(file, "{\"big\":" + big + ",\"small\":{\"integer\":7}}"));

        JsonFileDefaults defaults(file);
        QCOMPARE(defaults.integer("small"), 7);
        QCOMPARE(defaults.contains("big"), read);
        QCOMPARE(QFileInfo(file).size() < valueSize, !read);
        const QStringList aside = QDir(dir.path()).entryList({"defaults.json.unreadable-*"});
        QCOMPARE(aside.size(), read ? 0 : 1);
        if (!read)
            QCOMPARE(contents(dir.path() + "/" + aside.first()), "{\"big\":" + big + "}");
    }

    void valuesSetAsideLeaveTheFileAndStayReadable()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        const QVariantMap kept{{"data", QByteArray(3000, 'd')}, {"list", QVariantList{qint64(1), QString("two")}}};
        {
            JsonFileDefaults defaults(file);
            for (auto [key, value] : kept.asKeyValueRange())
                QVERIFY(defaults.setValue(key, value));
            QVERIFY(defaults.setValue("stays", true));
            QVERIFY(defaults.setAside({"data", "list", "never stored"}));
            QVERIFY(!defaults.contains("data") && !defaults.contains("list"));
            QVERIFY(defaults.setAside({"never stored"}));
        }
        JsonFileDefaults next(file);
        QCOMPARE(next.boolean("stays"), true);
        QVERIFY(!next.contains("data") && !next.contains("list"));
        const QStringList aside = QDir(dir.path()).entryList({"defaults.json.unreadable-*"});
        QCOMPARE(aside.size(), 1);
        JsonFileDefaults keptAside(dir.path() + "/" + aside.first());
        for (auto [key, value] : kept.asKeyValueRange())
            QCOMPARE(keptAside.value(key), value);
    }
};

QM_TEST_MAIN(TestDefaults)
#include "tst_Defaults.moc"

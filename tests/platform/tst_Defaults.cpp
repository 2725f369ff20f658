#include "AtomicFile.h"
#include "FolderRefusal.h"
#include "FileSizeLimit.h"
#include "LogCapture.h"
#include "TestMain.h"
#include "linux/JsonFileDefaults.h"

#include <QJsonDocument>
#include <algorithm>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
        QTest::addColumn<QVariant>("read");    // invalid: the value is set aside alone
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
        QVERIFY(AtomicFile::write(path(), "{\"k\": " + value + ", \"other\": {\"bool\": true}}"));
        JsonFileDefaults defaults(path());
        QCOMPARE(defaults.value("k"), read);
        QCOMPARE(defaults.boolean("other"), true);
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

    // A plain write replaces a link; a private one writes through a link to a regular file of the
    // user's, in place and keeping its mode. What any other link leads to is never written. Each
    // store's own writer, the secret one included, is in the table of linked stored files.
    void writesThroughALinkOnlyToAFileOfTheUsers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("targetMode"); // -1: the link leads to nothing
        QTest::addColumn<bool>("kept");
        QTest::newRow("to a file elsewhere") << "plain" << 0644 << false;
        QTest::newRow("to nowhere") << "plain" << -1 << false;
        QTest::newRow("private, to a file elsewhere") << "private" << 0644 << true;
        QTest::newRow("private, to nowhere") << "private" << -1 << false;
        QTest::newRow("through, to a file elsewhere") << "through" << 0640 << true;
    }
    void writesThroughALinkOnlyToAFileOfTheUsers()
    {
        QFETCH(QString, how);
        QFETCH(int, targetMode);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString outside = dir.path() + "/dotfiles/outside";
        QVERIFY(QDir().mkpath(dir.path() + "/dotfiles") && AtomicFile::write(outside, "precious"));
        QVERIFY(::chmod(QFile::encodeName(outside).constData(), targetMode < 0 ? 0644 : targetMode) == 0);
        const QString file = dir.path() + "/ours";
        QVERIFY(QFile::link(targetMode < 0 ? dir.path() + "/dotfiles/nowhere" : outside, file));
        QVERIFY(how == "plain"     ? AtomicFile::write(file, "mine")
                : how == "through" ? AtomicFile::writeThrough(file, "mine")
                                   : AtomicFile::writePrivate(file, "mine"));
        QCOMPARE(contents(file), QByteArray("mine"));
        QCOMPARE(QFileInfo(file).isSymLink(), kept);
        QCOMPARE(contents(outside), QByteArray(kept ? "mine" : "precious"));
        struct stat status {};
        QVERIFY(::stat(QFile::encodeName(outside).constData(), &status) == 0);
        QCOMPARE(int(status.st_mode & 07777), targetMode < 0 ? 0644 : targetMode);
        QCOMPARE(QDir(dir.path() + "/dotfiles").entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"outside"});
        if (!kept && how != "plain") {
            QVERIFY(::lstat(QFile::encodeName(file).constData(), &status) == 0);
            QCOMPARE(int(status.st_mode & 07777), 0600);
        }
    }

    void privateFolder_data()
    {
        QTest::addColumn<QString>("before"); // what stands at the folder's place
        QTest::addColumn<int>("refused");    // -1 when the folder is made, else the reason given
        using Reason = FolderRefusal::Reason;
        QTest::newRow("nothing, nor its parents") << "" << -1;
        QTest::newRow("a folder open to all") << "open folder" << -1;
        QTest::newRow("a folder of the user's closed to all") << "closed folder" << -1;
        QTest::newRow("a link to a folder of the user's") << "link" << -1;
        QTest::newRow("a link to nowhere") << "dangling" << int(Reason::LinkToNothing);
        QTest::newRow("a link to a file") << "link to file" << int(Reason::NotAFolder);
        QTest::newRow("a link to a folder of another user") << "link to another's" << int(Reason::LinkToAnothersFolder);
        QTest::newRow("a file") << "file" << int(Reason::NotAFolder);
        QTest::newRow("a pipe") << "pipe" << int(Reason::NotAFolder);
    }
    void privateFolder()
    {
        QFETCH(QString, before);
        QFETCH(int, refused);
        QTemporaryDir root;
        const QString elsewhere = root.path() + "/elsewhere";
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(AtomicFile::write(elsewhere + "/kept", "kept"));
        // Only root can make a folder of another user's; anyone else links to one of the system's.
        QString anothers = "/";
        if (::geteuid() == 0) {
            anothers = root.path() + "/anothers";
            QVERIFY(QDir().mkpath(anothers) && ::chown(QFile::encodeName(anothers).constData(), 65534, 65534) == 0);
        }
        const QString file = root.path() + "/a file";
        QVERIFY(AtomicFile::write(file, "a file of the user's"));
        const QString folder = root.path() + (before.isEmpty() ? "/x/y/Quillmarsh" : "/Quillmarsh");
        const QHash<QString, QString> targets{{"link", elsewhere}, {"dangling", root.path() + "/nowhere"},
                                              {"link to file", file}, {"link to another's", anothers}};
        if (before == "open folder" || before == "closed folder") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), before == "open folder" ? 0777 : 0) == 0);
        } else if (targets.contains(before)) {
            QVERIFY(QFile::link(targets.value(before), folder));
        } else if (before == "file") {
            QVERIFY(QFile::copy(file, folder));
        } else if (before == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(folder).constData(), 0600), 0);
        }
        const auto modeOf = [](const QString& path) {
            struct stat status {};
            return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
        };
        const int anothersMode = modeOf(anothers);
        const mode_t savedMask = ::umask(0);
        FolderRefusal why;
        const bool result = AtomicFile::makePrivateFolder(folder, &why);
        ::umask(savedMask);
        QCOMPARE(result, refused < 0);
        if (result) {
            // A followed link's folder keeps its mode; every folder of ours is owner-only.
            for (QString path = folder; path != root.path(); path = QFileInfo(path).path())
                QCOMPARE(modeOf(path), before == "link" ? 0777 & ~int(savedMask) : 0700);
            if (before == "link")
                QCOMPARE(contents(folder + "/kept"), QByteArray("kept"));
        } else {
            QCOMPARE(int(why.reason), refused);
            QCOMPARE(why.folder, folder);
            QCOMPARE(why.target, targets.value(before));
        }
        // A link is followed or refused, never removed; nothing it points to is made or changed.
        QCOMPARE(QFileInfo(folder).isSymLink(), targets.contains(before));
        QCOMPARE(contents(file), QByteArray("a file of the user's"));
        QVERIFY(!QFileInfo::exists(root.path() + "/nowhere"));
        QCOMPARE(modeOf(elsewhere), 0777 & ~int(savedMask));
        QCOMPARE(modeOf(anothers), anothersMode);
    }

    // What cannot be read as defaults, or is too large to read at a start, is kept aside whole, one
    // line on the error output says where, and the start goes on without it.
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
        const QByteArray valid = R"({"a": {"string": "x"}})";
        QTest::newRow("not JSON") << "file" << QByteArray("{\"a\": {\"string\": 1}, \"b\": not json") << false;
        QTest::newRow("not an object") << "file" << QByteArray(R"([{"a": {"string": "x"}}])") << false;
        QTest::newRow("at the bound") << "file" << padded(JsonFileDefaults::maxFileBytes) << true;
        QTest::newRow("one byte over the bound") << "file" << padded(JsonFileDefaults::maxFileBytes + 1) << false;
        QTest::newRow("ten times the bound") << "sparse" << QByteArray() << false;
        // Root reads a file whatever its mode.
        QTest::newRow("no permission to read") << "closed" << valid << (::geteuid() == 0);
        QTest::newRow("a pipe") << "pipe" << QByteArray() << false;
        QTest::newRow("a link to an endless device") << "device" << QByteArray() << false;
        QTest::newRow("a folder") << "folder" << QByteArray() << false;
    }
    void unreadableEntriesAreKeptAside()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, stored);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        if (kind == "file" || kind == "closed")
            QVERIFY(AtomicFile::write(file, stored));
        if (kind == "closed")
            QVERIFY(::chmod(QFile::encodeName(file).constData(), 0) == 0);
        else if (kind == "sparse")
            QVERIFY(AtomicFile::write(file, "")
                    && ::truncate(QFile::encodeName(file).constData(), 10 * JsonFileDefaults::maxFileBytes) == 0);
        else if (kind == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (kind == "device")
            QVERIFY(QFile::link("/dev/zero", file));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(file));

        std::optional<LogCapture> log(std::in_place, "Quillmarsh.Defaults");
        JsonFileDefaults defaults(file);
        const QStringList lines = log->texts(QtWarningMsg);
        log.reset();
        QCOMPARE(defaults.contains("a"), read);
        const QFileInfoList aside = QDir(dir.path()).entryInfoList({"defaults.json.unreadable-*"}, QDir::AllEntries | QDir::System);
        QCOMPARE(aside.size(), read ? 0 : 1);
        QCOMPARE(lines.size(), read ? 0 : 1);
        if (read)
            return;
        QVERIFY2(lines.first().contains(aside.first().filePath()), qPrintable(lines.first()));
        QVERIFY(defaults.setValue("c", 1));
        QCOMPARE(JsonFileDefaults(file).integer("c"), 1);
        if (kind == "file")
            QVERIFY(contents(aside.first().filePath()) == stored);
        QCOMPARE(aside.first().isDir(), kind == "folder");
        QCOMPARE(aside.first().isFile(), kind == "file" || kind == "closed" || kind == "sparse");
        QCOMPARE(aside.first().isSymLink(), kind == "device");
    }

    // A value that does not decode is set aside alone, as it stands, with every earlier member of its
    // key; the others stay in use, and the file is rewritten without them, every other byte as it
    // stands, so that the next start finds nothing to set aside.
    void undecodableValuesAreSetAsideAlone_data()
    {
        QTest::addColumn<QByteArray>("value");   // of the key "bad", the file's last member, as it stands
        QTest::addColumn<bool>("parsed");       // whether the JSON parser takes the file as a whole
        QTest::addColumn<QByteArray>("earlier"); // of an earlier member "bad", the file's first; empty: none
        QTest::addColumn<QByteArray>("lead");    // what stands before the opening brace
        const QByteArray deep = QByteArray(2000, '[') + QByteArray(2000, ']');
        const QByteArray none;
        const QByteArray mark = "\xEF\xBB\xBF";
        QTest::newRow("an unknown kind") << QByteArray(R"({"float":1.5})") << true << none << none;
        QTest::newRow("two kinds at once") << QByteArray(R"({"integer":1,"string":"1"})") << true << none << none;
        QTest::newRow("a kind holding the wrong type") << QByteArray(R"({"bool":"yes"})") << true << none << none;
        QTest::newRow("a garbage record") << "{\"data\":\"" + QByteArray(789, '%') + "\"}" << true << none << none;
        QTest::newRow("a bad item deep in a record")
            << QByteArray(R"({"dictionary":{"list":{"array":[{"integer":1},{"integer":"x"}]}}})") << true << none << none;
        QTest::newRow("nesting deeper than the parser goes") << "{\"array\":" + deep + "}" << false << none << none;
        QTest::newRow("a bare word") << QByteArray("nonsense") << false << none << none;
        QTest::newRow("a broken record") << QByteArray(R"({"string":"a" "b"})") << false << none << none;
        // Kept as written, not as the parser would write it back.
        QTest::newRow("a leading U+FEFF in a string") << QByteArray("{\"text\":\"\xEF\xBB\xBFnote\"}") << true << none << none;
        QTest::newRow("an earlier duplicate key inside the value") << QByteArray(R"({"float":1.5,"float":2.5})") << true
                                                                   << none << none;
        QTest::newRow("more digits than a double holds")
            << QByteArray(R"({"integer":123456789012345678901234567890})") << true << none << none;
        QTest::newRow("all three where the parser refuses the file")
            << QByteArray("{\"text\":\"\xEF\xBB\xBF" "a\",\"float\":1,\"float\":123456789012345678901234567890,\"x\":nonsense}")
            << false << none << none;
        QTest::newRow("a key whose last member does not decode") << QByteArray(R"({"float":2})") << true
                                                                 << QByteArray(R"({"integer":1})") << none;
        QTest::newRow("a byte-order mark before a value kept as written")
            << QByteArray(R"({"float":1.50,"float":2.50})") << true << none << mark;
        QTest::newRow("a byte-order mark where the parser refuses the file") << QByteArray("nonsense") << false << none
                                                                             << mark;
    }
    void undecodableValuesAreSetAsideAlone()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, parsed);
        QFETCH(QByteArray, earlier);
        QFETCH(QByteArray, lead);
        QCOMPARE(QJsonDocument::fromJson("{\"bad\":" + value + "}").isObject(), parsed);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        const QByteArray provider = "{\"string\":\"{\\\"model\\\": \\\"m\\\", \\\"endpoint\\\": \\\"e\\\"}\"}";
        const QByteArray kept = "\"provider\": " + provider + ",\n\t\"selection\" : {\"array\": [{\"string\": \"app\"}]}";
        const QByteArray first = earlier.isEmpty() ? QByteArray() : "\r\n  \"bad\" :" + earlier + " ,";
        QVERIFY(AtomicFile::write(file, lead + "{" + first + "\n  " + kept + ",\n  \"bad\": " + value + "\n}\n"));
        const auto asideNames = [&dir] { return QDir(dir.path()).entryList({"defaults.json.unreadable-*"}); };
        for (int start = 0; start < 2; ++start) {
            JsonFileDefaults defaults(file);
            QCOMPARE(defaults.string("provider"), QString(R"({"model": "m", "endpoint": "e"})"));
            QCOMPARE(defaults.array("selection"), QVariantList{QString("app")});
            QVERIFY(!defaults.contains("bad"));
            QCOMPARE(asideNames().size(), 1);
            // The rest of the file keeps its bytes, the space between its members included.
            QCOMPARE(contents(file), lead + (earlier.isEmpty() ? "{\n  " : "{\r\n  ") + kept + "\n}\n");
        }
        const QByteArray firstAside = earlier.isEmpty() ? QByteArray() : "\"bad\":" + earlier + ",";
        QCOMPARE(contents(dir.path() + "/" + asideNames().first()), "{" + firstAside + "\"bad\":" + value + "}");
    }

    // Of two equal keys the last stands, whether the parser takes the file whole or member by member,
    // and still at the next start, from the file rewritten without what was set aside.
    void theLastOfEqualKeysStands_data()
    {
        QTest::addColumn<QByteArray>("between"); // a member between the two
        QTest::addColumn<QByteArray>("last");    // the value of the second
        QTest::addColumn<int>("value");          // -1: none
        const QByteArray taken = R"("b":{"bool":true})";
        const QByteArray refused = R"("b":nonsense)";
        QTest::newRow("a file the parser takes") << taken << QByteArray(R"({"integer":2})") << 2;
        QTest::newRow("a file the parser refuses") << refused << QByteArray(R"({"integer":2})") << 2;
        QTest::newRow("the last not decoding, in a file the parser takes") << taken << QByteArray(R"({"float":2})") << -1;
        QTest::newRow("the last not decoding, in a file the parser refuses") << refused << QByteArray(R"({"float":2})") << -1;
        // Set aside on its own: the last the parser takes stands.
        QTest::newRow("the last refused by the parser") << refused << QByteArray("nonsense") << 1;
    }
    void theLastOfEqualKeysStands()
    {
        QFETCH(QByteArray, between);
        QFETCH(QByteArray, last);
        QFETCH(int, value);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        QVERIFY(AtomicFile::write(file, R"({"a":{"integer":1},)" + between + R"(,"a":)" + last + R"(,"c":{"integer":3}})"));
        for (int start = 0; start < 2; ++start) {
            JsonFileDefaults defaults(file);
            QCOMPARE(defaults.integer("a").value_or(-1), value);
            QCOMPARE(defaults.integer("c"), 3);
        }
    }

    // Setting a value to what is stored writes nothing; a change of kind is a change, and so is a
    // value whose last write failed.
    void settingWhatIsStoredWritesNothing_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("set");
        QTest::addColumn<bool>("failedBefore"); // `set` was set once while no write could succeed
        QTest::addColumn<bool>("written");
        QTest::newRow("the same flag") << QVariant(false) << QVariant(false) << false << false;
        QTest::newRow("the same list") << QVariant(QVariantList{qint64(1), "x"}) << QVariant(QVariantList{qint64(1), "x"})
                                       << false << false;
        QTest::newRow("a list of strings as stored") << QVariant(QVariantList{"x"}) << QVariant(QStringList{"x"}) << false
                                                     << false;
        QTest::newRow("a whole number as a double") << QVariant(qint64(1)) << QVariant(1.0) << false << true;
        QTest::newRow("text as data") << QVariant("a") << QVariant(QByteArray("a")) << false << true;
        QTest::newRow("a list whose item changes kind") << QVariant(QVariantList{qint64(1)}) << QVariant(QVariantList{1.0})
                                                        << false << true;
        QTest::newRow("the value of a failed write") << QVariant("a") << QVariant("bb") << true << true;
    }
    void settingWhatIsStoredWritesNothing()
    {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, set);
        QFETCH(bool, failedBefore);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString file = dir.path() + "/defaults.json";
        // Every write makes a new file that replaces the old one.
        const auto inode = [&file] {
            struct stat status {};
            return ::stat(QFile::encodeName(file).constData(), &status) == 0 ? status.st_ino : 0;
        };
        JsonFileDefaults defaults(file);
        QVERIFY(defaults.setValue("k", stored));
        const QByteArray before = contents(file);
        if (failedBefore) {
            FileSizeLimit noRoom(4);
            QVERIFY(!defaults.setValue("k", set));
        }
        const auto earlier = inode();
        QVERIFY(defaults.setValue("k", set));
        QCOMPARE(inode() != earlier, written);
        QCOMPARE(contents(file) != before, written);
        QCOMPARE(JsonFileDefaults(file).value("k"), defaults.value("k"));
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

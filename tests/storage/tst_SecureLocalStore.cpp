#include "AtomicFile.h"
#include "BackupExclusion.h"
#include "FakeDefaults.h"
#include "FileSizeLimit.h"
#include "TestMain.h"
#include "storage/SecureLocalStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int posixMode(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

} // namespace

class TestSecureLocalStore : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<FakeDefaults> m_defaults;
    std::unique_ptr<SecureLocalStore> m_store;
    std::optional<QString> mirror(const QString& key) { return m_defaults->string(SecureLocalStore::mirrorPrefix + key); }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        m_defaults = std::make_unique<FakeDefaults>();
        m_store = std::make_unique<SecureLocalStore>(*m_defaults, m_root->path() + "/Quillmarsh/.secure");
    }

    void firstRunFindsNothingAndCreatesNothing()
    {
        QVERIFY(!m_store->readSecure("app_settings"));
        QVERIFY(!m_store->isSetupComplete());
        QVERIFY(!QDir(m_store->directory()).exists());
        QVERIFY(m_defaults->all().isEmpty());
    }

    void writeThenRead()
    {
        m_store->writeSecure("setup_complete", "true");
        // SHA-256 of "com.quillmarsh.secure|setup_complete".
        const QString name = "472be5cd8d1adcb431b1258d78c631464098898e1999f8476745bf58a6ba32f6.bin";
        const QDir dir(m_store->directory());
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(posixMode(dir.path()), 0700);
        QCOMPARE(posixMode(dir.filePath(name)), 0600);
        QCOMPARE(fileContents(dir.filePath(name)), QByteArray("true"));
        QCOMPARE(mirror("setup_complete"), QString("dHJ1ZQ=="));
        QCOMPARE(m_store->readSecure("setup_complete"), QByteArray("true"));
        QVERIFY(m_store->isSetupComplete());
        // Only filesystems with user extended attributes can carry the mark.
        const QString probe = m_root->path() + "/probe";
        QVERIFY(QDir().mkpath(probe));
        if (BackupExclusion::exclude(probe))
            QVERIFY(BackupExclusion::isExcluded(dir.path()));
    }

    void lostFileComesBackFromTheMirror()
    {
        m_store->writeSecure("app_settings", "{}");
        QVERIFY(QFile::remove(m_store->secureFileURL("app_settings")));
        QCOMPARE(m_store->readSecure("app_settings"), QByteArray("{}"));
        QCOMPARE(fileContents(m_store->secureFileURL("app_settings")), QByteArray("{}"));
        QCOMPARE(posixMode(m_store->secureFileURL("app_settings")), 0600);

        // Something that cannot be read as a file standing in its place is kept aside.
        QVERIFY(QFile::remove(m_store->secureFileURL("app_settings")));
        QVERIFY(QDir().mkpath(m_store->secureFileURL("app_settings") + "/inside"));
        QCOMPARE(m_store->readSecure("app_settings"), QByteArray("{}"));
        QCOMPARE(fileContents(m_store->secureFileURL("app_settings")), QByteArray("{}"));
        const QStringList aside = QDir(m_store->directory()).entryList({"*.bin.unreadable-*"}, QDir::Dirs);
        QCOMPARE(aside.size(), 1);
        QVERIFY(QFileInfo::exists(m_store->directory() + "/" + aside.first() + "/inside"));
    }

    void lostMirrorComesBackFromTheFile()
    {
        m_store->writeSecure("app_settings", "abc");
        m_defaults->remove(SecureLocalStore::mirrorPrefix + "app_settings");
        QCOMPARE(m_store->readSecure("app_settings"), QByteArray("abc"));
        QCOMPARE(mirror("app_settings"), QString("YWJj"));
    }

    void mirrorThatDiffersIsNeitherUsedNorCorrected()
    {
        m_store->writeSecure("k", "file");
        m_defaults->setValue(SecureLocalStore::mirrorPrefix + "k", QString("bWlycm9y"));
        QCOMPARE(m_store->readSecure("k"), QByteArray("file"));
        QCOMPARE(mirror("k"), QString("bWlycm9y"));
    }

    void unusableMirrorMeansNothing()
    {
        // Not a text, a line break, a stray character, no padding, short padding.
        for (const QVariant& unusable : {QVariant(42), QVariant("dHJ1\nZQ=="), QVariant("dHJ1ZQ==!"), QVariant("dHJ1ZQ"),
                                         QVariant("dHJ1ZQ=")}) {
            m_defaults->setValue(SecureLocalStore::mirrorPrefix + "setup_complete", unusable);
            QVERIFY(!m_store->isSetupComplete());
        }
    }

    void emptyValueIsAValue()
    {
        m_store->writeSecure("setup_complete", QByteArray());
        QVERIFY(QFile::exists(m_store->secureFileURL("setup_complete")));
        QCOMPARE(mirror("setup_complete"), QString(""));
        const auto read = m_store->readSecure("setup_complete");
        QVERIFY(read.has_value() && read->isEmpty());
        QVERIFY(m_store->isSetupComplete());
    }

    void failedWrite_data()
    {
        QTest::addColumn<bool>("fileFails");
        QTest::addColumn<bool>("mirrorFails");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QByteArray>("read"); // what the next read returns
        QTest::newRow("both written") << false << false << true << QByteArray("new value");
        QTest::newRow("file failed: the old file goes, the mirror answers") << true << false << true
                                                                           << QByteArray("new value");
        QTest::newRow("mirror failed: the file answers") << false << true << true << QByteArray("new value");
        QTest::newRow("both failed: the old file stays") << true << true << false << QByteArray("old");
    }
    void failedWrite()
    {
        QFETCH(bool, fileFails);
        QFETCH(bool, mirrorFails);
        QFETCH(bool, saved);
        QFETCH(QByteArray, read);
        QVERIFY(m_store->writeSecure("k", "old"));
        m_defaults->setWritesFail(mirrorFails);
        {
            std::optional<FileSizeLimit> noRoom;
            if (fileFails)
                noRoom.emplace(0);
            QCOMPARE(m_store->writeSecure("k", "new value"), saved);
        }
        QCOMPARE(m_store->readSecure("k"), read);
        QCOMPARE(fileContents(m_store->secureFileURL("k")), read);
    }

    // A link where the store's file belongs that leads to nothing or to a file others may read is
    // never read or written through: it is set aside or replaced by the store's own file, and what
    // it points to stays as it was. A link where its folder belongs is followed into a folder of
    // the user's, and never removed.
    void linkInPlaceOfOwnFileOrFolder_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<bool>("dangling");
        QTest::newRow("file links to a file elsewhere") << false << false;
        QTest::newRow("file links to nowhere") << false << true;
        QTest::newRow("folder links to a folder elsewhere") << true << false;
        QTest::newRow("folder links to nowhere") << true << true;
    }
    void linkInPlaceOfOwnFileOrFolder()
    {
        QFETCH(bool, folder);
        QFETCH(bool, dangling);
        const QString elsewhere = m_root->path() + "/elsewhere";
        QVERIFY(QDir().mkpath(elsewhere));
        const QString name = QFileInfo(m_store->secureFileURL("k")).fileName();
        QFile precious(elsewhere + "/" + (folder ? name : "precious"));
        QVERIFY(precious.open(QIODevice::WriteOnly) && precious.write("precious") == 8);
        precious.close();
        QVERIFY(::chmod(QFile::encodeName(precious.fileName()).constData(), 0644) == 0);
        const QString target = dangling ? m_root->path() + "/nowhere" : folder ? elsewhere : precious.fileName();
        const QString linkPath = folder ? m_store->directory() : m_store->secureFileURL("k");
        const auto plant = [&] {
            QVERIFY(QDir().mkpath(QFileInfo(linkPath).path()));
            QVERIFY(QFile::link(target, linkPath));
        };
        const auto checkReplaced = [&] {
            QVERIFY(!QFileInfo(linkPath).isSymLink());
            QVERIFY(QFileInfo(m_store->secureFileURL("k")).isFile());
            QCOMPARE(fileContents(precious.fileName()), QByteArray("precious"));
            QVERIFY(!QFileInfo::exists(m_root->path() + "/nowhere"));
            QCOMPARE(QDir(elsewhere).entryList(QDir::Files | QDir::Hidden), QStringList{precious.fileName().section('/', -1)});
        };

        plant();
        m_defaults->setValue(SecureLocalStore::mirrorPrefix + "k", QString("bWluZQ=="));
        if (folder) {
            QCOMPARE(m_store->readSecure("k"), QByteArray(dangling ? "mine" : "precious"));
            QVERIFY(m_store->writeSecure("k", "new"));
            QCOMPARE(m_store->readSecure("k"), QByteArray("new"));
            QCOMPARE(fileContents(precious.fileName()), QByteArray(dangling ? "precious" : "new"));
            QVERIFY(QFileInfo(linkPath).isSymLink());
            QVERIFY(!QFileInfo::exists(m_root->path() + "/nowhere"));
            return;
        }
        QCOMPARE(m_store->readSecure("k"), QByteArray("mine"));
        checkReplaced();
        QCOMPARE(fileContents(m_store->secureFileURL("k")), QByteArray("mine"));

        QVERIFY(QFile::remove(linkPath) || QDir(linkPath).removeRecursively());
        plant();
        QVERIFY(m_store->writeSecure("k", "new"));
        checkReplaced();
        QCOMPARE(fileContents(m_store->secureFileURL("k")), QByteArray("new"));
    }

    // A link where the folder belongs that leads into another user's folder, or into one others
    // may write, is left as it is, and nothing in that folder is read, set aside or written: the
    // mirror holds the values.
    void linkToAnotherUsersFolderIsNotUsed_data()
    {
        QTest::addColumn<bool>("anothers"); // else the user's, with write for others
        QTest::newRow("another user's folder") << true;
        QTest::newRow("a folder others may write") << false;
    }
    void linkToAnotherUsersFolderIsNotUsed()
    {
        QFETCH(bool, anothers);
        if (anothers && ::geteuid() != 0)
            QSKIP("Only root can make a folder of another user's");
        const QString folder = m_root->path() + "/anothers";
        const QString planted = folder + "/" + QFileInfo(m_store->secureFileURL("k")).fileName();
        QVERIFY(QDir().mkpath(folder) && AtomicFile::write(planted, "planted"));
        for (const QString& path : {folder, planted})
            QCOMPARE(anothers ? ::chown(QFile::encodeName(path).constData(), 65534, 65534) : 0, 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), anothers ? 0755 : 0777), 0);
        QVERIFY(QDir().mkpath(QFileInfo(m_store->directory()).path()));
        QVERIFY(QFile::link(folder, m_store->directory()));
        m_defaults->setValue(SecureLocalStore::mirrorPrefix + "k", QString("bWluZQ=="));

        QCOMPARE(m_store->readSecure("k"), QByteArray("mine"));
        QVERIFY(m_store->writeSecure("k", "new"));
        QCOMPARE(m_store->readSecure("k"), QByteArray("new"));
        QVERIFY(QFileInfo(m_store->directory()).isSymLink());
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(planted).fileName()});
        QCOMPARE(fileContents(planted), QByteArray("planted"));
    }

    // Whatever stands at a value's file is never waited on nor read beyond the bound: what cannot
    // serve is set aside once, the mirror's copy takes its place, and the next read finds it clean.
    void unusableFileIsSetAsideOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("mirrored");
        for (const char* kind : {"pipe", "endless device", "folder", "no permission", "ten times the bound"}) {
            QTest::addRow("%s, mirrored", kind) << QString(kind) << true;
            QTest::addRow("%s, no mirror", kind) << QString(kind) << false;
        }
    }
    void unusableFileIsSetAsideOnce()
    {
        QFETCH(QString, kind);
        QFETCH(bool, mirrored);
        const QString key = SecureLocalStore::setupCompleteKey;
        const QString path = m_store->secureFileURL(key);
        QVERIFY(m_store->writeSecure(key, "true"));
        if (!mirrored)
            m_defaults->remove(SecureLocalStore::mirrorPrefix + key);
        QVERIFY(QFile::remove(path));
        const QByteArray native = QFile::encodeName(path);
        if (kind == "pipe")
            QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        else if (kind == "endless device")
            QVERIFY(QFile::link("/dev/zero", path));
        else if (kind == "folder")
            QVERIFY(QDir().mkdir(path));
        else if (kind == "no permission")
            QVERIFY(AtomicFile::write(path, "true") && ::chmod(native.constData(), 0) == 0);
        else
            QVERIFY(AtomicFile::write(path, "")
                    && ::truncate(native.constData(), 10 * SecureLocalStore::maxValueSize) == 0);
        // Root reads a file whatever its mode.
        const bool readable = kind == "no permission" && ::geteuid() == 0;

        for (int read = 0; read < 2; ++read) {
            const auto value = m_store->readSecure(key);
            QCOMPARE(value.has_value(), mirrored || readable);
            QCOMPARE(m_store->isSetupComplete(), mirrored || readable);
            QCOMPARE(QDir(m_store->directory()).entryList({"*.unreadable-*"}, QDir::AllEntries | QDir::System).size(),
                     readable ? 0 : 1);
            QCOMPARE(QFileInfo(path).isFile() && !QFileInfo(path).isSymLink(), mirrored || readable);
        }
        if (mirrored)
            QCOMPARE(fileContents(path), QByteArray("true"));
    }

    void foldersArePrivateFromTheStart()
    {
        const mode_t saved = ::umask(0);
        SecureLocalStore store(*m_defaults, m_root->path() + "/a/b/Quillmarsh/.secure");
        store.writeSecure("k", "v");
        ::umask(saved);
        for (const char* folder : {"/a", "/a/b", "/a/b/Quillmarsh", "/a/b/Quillmarsh/.secure"})
            QCOMPARE(posixMode(m_root->path() + folder), 0700);
        QCOMPARE(posixMode(store.secureFileURL("k")), 0600);
    }

    void folderThatCannotBeCreated()
    {
        QFile blocker(m_root->path() + "/Quillmarsh");
        QVERIFY(blocker.open(QIODevice::WriteOnly) && blocker.write("a file where the folder should be") > 0);
        blocker.close();
        m_store->writeSecure("k", "v");
        QCOMPARE(m_store->readSecure("k"), QByteArray("v"));
    }
};

QM_TEST_MAIN(TestSecureLocalStore)
#include "tst_SecureLocalStore.moc"

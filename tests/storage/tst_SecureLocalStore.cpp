#include "FakeDefaults.h"
#include "FileSizeLimit.h"
#include "TestMain.h"
#include "storage/SecureLocalStore.h"
#include "storage/Sha256Hex.h"
#include "BackupExclusion.h"

#include <QDir>
#include <QFile>
#include <memory>
#include <sys/stat.h>

namespace {

QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFileDirectly(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
    QString mirrorKey(const QString& key) { return SecureLocalStore::mirrorPrefix + key; }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        m_defaults = std::make_unique<FakeDefaults>();
        m_store = std::make_unique<SecureLocalStore>(*m_defaults, m_root->path() + "/Quillmarsh/.secure");
    }

    void digest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("empty") << "" << "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
        QTest::newRow("abc") << "abc" << "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
        QTest::newRow("non-ASCII is hashed as UTF-8") << QString::fromUtf8("é")
                                                     << "4a99557e4033c3539de2eb65472017cad5f9557f7a0625a09f1c3f6e2ba69c4c";
    }

    void digest()
    {
        QFETCH(QString, text);
        QFETCH(QString, hex);
        QCOMPARE(sha256Hex(text), hex);
    }

    void firstRunFindsNothingAndCreatesNothing()
    {
        QVERIFY(!m_store->readSecure("app_settings"));
        QVERIFY(!m_store->readSecure("setup_complete"));
        QVERIFY(!m_store->isSetupComplete());
        QVERIFY(!QDir(m_store->directory()).exists());
        QVERIFY(m_defaults->all().isEmpty());
    }

    void writeThenRead()
    {
        m_store->writeSecure("setup_complete", "true");

        const QString expectedName = sha256Hex("com.quillmarsh.secure|setup_complete") + ".bin";
        const QDir dir(m_store->directory());
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), QStringList{expectedName});
        QCOMPARE(expectedName.size(), 64 + 4);
        QCOMPARE(posixMode(dir.path()), 0700);
        QCOMPARE(posixMode(dir.filePath(expectedName)), 0600);
        QCOMPARE(fileContents(dir.filePath(expectedName)), QByteArray("true"));
        QCOMPARE(m_defaults->string(mirrorKey("setup_complete")), QString("dHJ1ZQ=="));
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
    }

    void lostMirrorComesBackFromTheFile()
    {
        m_store->writeSecure("app_settings", "abc");
        m_defaults->remove(mirrorKey("app_settings"));
        QCOMPARE(m_store->readSecure("app_settings"), QByteArray("abc"));
        QCOMPARE(m_defaults->string(mirrorKey("app_settings")), QString("YWJj"));
    }

    void mirrorThatDiffersIsNeitherUsedNorCorrected()
    {
        m_store->writeSecure("k", "file");
        m_defaults->setValue(mirrorKey("k"), QString("bWlycm9y"));
        QCOMPARE(m_store->readSecure("k"), QByteArray("file"));
        QCOMPARE(m_defaults->string(mirrorKey("k")), QString("bWlycm9y"));
    }

    void unusableMirrorMeansNothing_data()
    {
        QTest::addColumn<QVariant>("mirror");
        QTest::newRow("not a string") << QVariant(42);
        QTest::newRow("line break inside") << QVariant("dHJ1\nZQ==");
        QTest::newRow("outside the alphabet") << QVariant("dHJ1ZQ==!");
    }

    void unusableMirrorMeansNothing()
    {
        QFETCH(QVariant, mirror);
        m_defaults->setValue(mirrorKey("setup_complete"), mirror);
        QVERIFY(!m_store->readSecure("setup_complete"));
        QVERIFY(!m_store->isSetupComplete());
    }

    void emptyValueIsAValue()
    {
        m_store->writeSecure("setup_complete", QByteArray());
        QCOMPARE(fileContents(m_store->secureFileURL("setup_complete")), QByteArray());
        QCOMPARE(m_defaults->string(mirrorKey("setup_complete")), QString(""));
        const auto read = m_store->readSecure("setup_complete");
        QVERIFY(read.has_value());
        QVERIFY(read->isEmpty());
        QVERIFY(m_store->isSetupComplete());
    }

    void removedFileReturnsTheOldValue()
    {
        m_store->writeSecure("k", "old");
        m_store->removeSecureFile("k");
        QVERIFY(!QFile::exists(m_store->secureFileURL("k")));
        QCOMPARE(m_store->readSecure("k"), QByteArray("old"));
        m_store->removeSecureFile("never-written");
    }

    void unreadableFileIsRestoredFromTheMirror()
    {
        m_store->writeSecure("k", "good");
        const QString path = m_store->secureFileURL("k");
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path)); // something that cannot be read as a file now stands there
        QCOMPARE(m_store->readSecure("k"), QByteArray("good"));
    }

    void failedWriteWithoutAFileStillReachesTheMirror()
    {
        {
            FileSizeLimit noRoom(0);
            m_store->writeSecure("k", "new value");
        }
        QVERIFY(!QFile::exists(m_store->secureFileURL("k")));
        QCOMPARE(m_defaults->string(mirrorKey("k")), QString(QByteArray("new value").toBase64()));
        QCOMPARE(m_store->readSecure("k"), QByteArray("new value"));
        QCOMPARE(fileContents(m_store->secureFileURL("k")), QByteArray("new value"));
    }

    void failedWriteDoesNotLeaveTheOldValueBehind()
    {
        m_store->writeSecure("k", "old");
        {
            FileSizeLimit noRoom(0);
            m_store->writeSecure("k", "new value");
            QCOMPARE(m_store->readSecure("k"), QByteArray("new value"));
        }
        QCOMPARE(m_store->readSecure("k"), QByteArray("new value"));
    }

    void folderThatCannotBeCreated()
    {
        QVERIFY(writeFileDirectly(m_root->path() + "/Quillmarsh", "a file where the folder should be"));
        m_store->writeSecure("k", "v");
        QCOMPARE(m_store->readSecure("k"), QByteArray("v"));
    }
};

QM_TEST_MAIN(TestSecureLocalStore)
#include "tst_SecureLocalStore.moc"

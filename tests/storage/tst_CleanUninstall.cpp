#include "TestMain.h"
#include "storage/CleanUninstall.h"

#include <sys/stat.h>

namespace {

int modeOf(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 07777) : -1;
}

bool makeFile(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write("x") == 1;
}

} // namespace

class TestCleanUninstall : public QObject {
    Q_OBJECT
private slots:
    void removeItem_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"nothing there", "file", "folder with contents", "link to a folder", "dangling link"})
            QTest::newRow(kind) << QString(kind);
    }

    void removeItem()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString target = dir.path() + "/elsewhere";
        QVERIFY(makeFile(target + "/precious.txt"));
        const QString path = dir.path() + "/item";
        if (kind == "file")
            QVERIFY(makeFile(path));
        else if (kind == "folder with contents")
            QVERIFY(makeFile(path + "/sub/deep.txt"));
        else if (kind.contains("link"))
            QVERIFY(QFile::link(kind == "dangling link" ? dir.path() + "/gone" : target, path));

        QVERIFY(CleanUninstall::removeItem(path));
        QVERIFY(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink());
        // A link is removed, never what it points to.
        QVERIFY(QFileInfo::exists(target + "/precious.txt"));
    }

    // A stored folder, real or a link into a folder of the user's: exactly the application's entries
    // go (its files, their copies set aside, the temporary files of its writes, its own subfolders);
    // the link, the folder it leads to, that folder's mode and everything else in it stay, and the
    // folder is named when anything of the user's is left in it.
    void removeStoredFolder_data()
    {
        QTest::addColumn<bool>("configuration"); // else the data folder
        QTest::addColumn<QString>("stands");     // "real folder", "link", "link to the home"
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<QStringList>("kept");
        const QString value = QString(64, 'a') + ".bin";
        const QStringList allOurs{".secure/" + value,
                                  ".secure/" + value + ".unreadable-20261206-030000-000",
                                  ".ai/" + value,
                                  ".ai/" + value + ".XyzAbc",
                                  "game_profiles.json",
                                  "game_profiles.json.QwErTy",
                                  "game_profiles.json.unreadable-20261206-030000-000-1",
                                  "mangohud_files.json",
                                  "instance.lock",
                                  "instance.lock.unreadable-20261206-030000-000",
                                  "instance.socket",
                                  ".socket-1f3a9c"};
        // The user's own, some named like ours.
        const QStringList sync{"notes.txt", "photos/holiday.jpg", "game_profiles.json.backup2", "game_profiles.json.bak",
                               "game_profiles.json.backup", ".socket-notes", "mangohud_files.json.old"};
        const QStringList home{".bashrc", ".cache/fontconfig/cache-4", ".config/Quillmarsh/defaults.json",
                               ".local/share/Steam/steamapps/appmanifest_4242.acf"};
        // A folder of the application's own goes whole, whatever is in it.
        QTest::newRow("data: a real folder") << false << "real folder" << allOurs + sync << QStringList{};
        QTest::newRow("data: a linked folder holding the user's files") << false << "link" << allOurs << sync;
        QTest::newRow("data: a link to the home") << false << "link to the home" << allOurs << home;
        QTest::newRow("data: a linked folder holding only ours")
            << false << "link" << allOurs << QStringList{};
        QTest::newRow("data: the user's file in a subfolder of ours")
            << false << "link" << QStringList{".secure/" + value} << QStringList{".secure/mine.txt"};
        QTest::newRow("data: a folder where a file of ours belongs")
            << false << "link" << QStringList{"instance.lock"}
            << QStringList{"game_profiles.json/kept.txt",
                           "instance.lock.unreadable-20261206-030000-000/kept.txt"};
        const QStringList defaults{"defaults.json", "defaults.json.unreadable-20261206-030000-000",
                                   "defaults.json.AbCdEf"};
        QTest::newRow("configuration: a real folder holding only ours")
            << true << "real folder" << defaults << QStringList{};
        QTest::newRow("configuration: a real folder holding the user's file")
            << true << "real folder" << defaults << QStringList{"defaults.json.orig", "defaults.json.BACKUP"};
        QTest::newRow("configuration: a linked folder holding the user's files")
            << true << "link" << defaults << sync;
    }
    void removeStoredFolder()
    {
        QFETCH(bool, configuration);
        QFETCH(QString, stands);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const QString path = dir.path() + "/home/.local/share/Quillmarsh";
        const QString held =
            stands == "real folder" ? path : dir.path() + (stands == "link" ? "/home/Sync" : "/home");
        QVERIFY(QDir().mkpath(held) && QDir().mkpath(QFileInfo(path).path()));
        for (const QString& name : gone + kept)
            QVERIFY(makeFile(held + "/" + name));
        QVERIFY(makeFile(dir.path() + "/elsewhere/precious.txt"));
        if (!kept.isEmpty()) {
            // A link of the user's in it is kept, and not followed.
            QVERIFY(QFile::link(dir.path() + "/elsewhere", held + "/inner"));
            kept.append("inner");
        }
        if (stands != "real folder") {
            QVERIFY(QFile::link(held, path));
            QVERIFY(::chmod(QFile::encodeName(held).constData(), 0775) == 0);
        }
        const int modeBefore = modeOf(held);

        const auto removal = CleanUninstall::removeStoredFolder(
            path, configuration ? StoredFiles::Folder::Configuration : StoredFiles::Folder::Data);
        QVERIFY(removal.allRemoved);
        QVERIFY(QFileInfo::exists(dir.path() + "/elsewhere/precious.txt"));
        for (const QString& name : gone)
            QVERIFY2(!QFileInfo::exists(held + "/" + name), qPrintable(name));
        for (const QString& name : kept)
            QVERIFY2(QFileInfo(held + "/" + name).exists() || QFileInfo(held + "/" + name).isSymLink(),
                     qPrintable(name));
        QCOMPARE(removal.keptFolder, kept.isEmpty() ? QString() : QFileInfo(held).canonicalFilePath());
        if (stands == "real folder") {
            QCOMPARE(QFileInfo::exists(path), !kept.isEmpty());
            return;
        }
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(modeOf(held), modeBefore);
        QCOMPARE(QFileInfo::exists(held + "/.secure"), kept.join(' ').contains(".secure/"));
        QVERIFY(!QFileInfo::exists(held + "/.ai"));
    }
};

QM_TEST_MAIN(TestCleanUninstall)
#include "tst_CleanUninstall.moc"

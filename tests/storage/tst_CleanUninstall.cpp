#include "TestMain.h"
#include "linux/JsonFileDefaults.h"
#include "storage/CleanUninstall.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

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
    return file.open(QIODevice::WriteOnly) && file.write("{}") == 2;
}

bool makeSocket(const QString& path)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFSOCK | 0600, 0) == 0;
}

bool isThere(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
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
    // go (its files, their copies set aside, the temporary files of its writes, its sockets, its own
    // subfolders); the link, the folder it leads to, that folder's mode and everything else in it
    // stay, look-alikes of ours included, and the folder is named when anything of the user's is
    // left in it. A subfolder of ours that is a link goes as a link, and what it leads to stays.
    void removeStoredFolder_data()
    {
        QTest::addColumn<bool>("configuration"); // else the data folder
        QTest::addColumn<QString>("stands");     // "real folder", "link", "link to the home", "link to nothing",
                                                 // "link to a file"
        QTest::addColumn<QStringList>("gone");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("sockets"); // of gone and kept, those made as sockets
        QTest::addColumn<QStringList>("links");   // of gone and kept, those made as links to a folder elsewhere
        const QString value = QString(64, 'a') + ".bin";
        const QStringList ourSockets{"instance.socket", ".socket-1f3a9c"};
        const QStringList allOurs = QStringList{".secure/" + value,
                                                ".secure/" + value + ".unreadable-20261206-030000-000",
                                                ".ai/" + value,
                                                ".ai/" + value + ".quillmarsh-tmp-XyzAb9",
                                                "game_profiles.json",
                                                "game_profiles.json.quillmarsh-tmp-QwErTy",
                                                "game_profiles.json.unreadable-20261206-030000-000-1",
                                                "mangohud_files.json",
                                                "instance.lock",
                                                "instance.lock.unreadable-20261206-030000-000-99"}
                                    + ourSockets;
        // The user's own, some named like ours.
        const QStringList sync{"notes.txt", "photos/holiday.jpg", "game_profiles.json.backup2", "game_profiles.json.bak",
                               "game_profiles.json.backup", ".socket-notes", "mangohud_files.json.old"};
        const QStringList home{".bashrc", ".cache/fontconfig/cache-4", ".config/Quillmarsh/defaults.json",
                               ".local/share/Steam/steamapps/appmanifest_4242.acf"};
        const QStringList noSockets, noLinks;
        // A real folder of the application's keeps the user's files as a linked one does.
        QTest::newRow("data: a real folder") << false << "real folder" << allOurs << sync << ourSockets << noLinks;
        QTest::newRow("data: a linked folder holding the user's files")
            << false << "link" << allOurs << sync << ourSockets << noLinks;
        QTest::newRow("data: a link to the home") << false << "link to the home" << allOurs << home << ourSockets << noLinks;
        // Nothing of ours can be where such a link leads: nothing is removed, and nothing fails.
        QTest::newRow("data: a link to nothing") << false << "link to nothing" << QStringList{} << QStringList{}
                                                 << noSockets << noLinks;
        QTest::newRow("configuration: a link to a file") << true << "link to a file" << QStringList{} << QStringList{}
                                                         << noSockets << noLinks;
        QTest::newRow("data: a linked folder holding only ours")
            << false << "link" << allOurs << QStringList{} << ourSockets << noLinks;
        QTest::newRow("data: the user's file in a subfolder of ours")
            << false << "link" << QStringList{".secure/" + value} << QStringList{".secure/mine.txt"} << noSockets
            << noLinks;
        QTest::newRow("data: a folder where a file of ours belongs")
            << false << "link" << QStringList{"instance.lock"}
            << QStringList{"game_profiles.json/kept.txt",
                           "instance.lock.unreadable-20261206-030000-000/kept.txt"}
            << noSockets << noLinks;
        // Named like ours but in no form the application writes, or ours only as another kind of
        // entry: ".socket-cafe" and "instance.socket" are regular files, the value file in ".ai" a link.
        const QString tmp = "game_profiles.json.quillmarsh-tmp-";
        const QString aside = "game_profiles.json.unreadable-20261206-030000-000";
        const QStringList lookAlikes{
            "game_profiles.json.myCopy", "game_profiles.json.BackUp", "Game_Profiles.json", "game_profiles.json\n",
            "game_profiles.json.QwErTy" /* an older build's temporary file */, tmp + "Ab3d", tmp + "Ab3dEf7",
            tmp + "Ab3dEf\n", aside + "-100", aside + "-01", aside + "\n", "mangohud_files.json.keepMe",
            "instance.lock.OldOne", "instance.lock\n", "instance.socket.keepMe", "instance.socket", ".socket-cafe",
            ".socket-CAFE", ".secure/" + value + "\n", ".secure/" + QString(64, 'A') + ".bin",
            ".secure/" + value + ".unreadable-2024", ".ai/" + value + ".XyzAbc", ".ai/" + value};
        for (const char* stands : {"link", "real folder"}) {
            QTest::addRow("data: look-alikes where the folder is a %s", stands)
                << false << stands << allOurs.mid(0, 2) << lookAlikes << QStringList{"instance.socket.keepMe"}
                << QStringList{".ai/" + value};
        }
        // A subfolder of ours that is a link goes as a link; where it leads is left alone.
        QTest::newRow("data: a subfolder of ours linked elsewhere")
            << false << "link" << QStringList{".ai", "game_profiles.json"} << QStringList{} << noSockets
            << QStringList{".ai"};
        QTest::newRow("data: a subfolder of ours linked elsewhere from a real folder")
            << false << "real folder" << QStringList{".secure", ".ai/" + value} << QStringList{} << noSockets
            << QStringList{".secure"};
        const QStringList defaults{"defaults.json", "defaults.json.unreadable-20261206-030000-000",
                                   "defaults.json.quillmarsh-tmp-Ab3dEf"};
        const QStringList defaultsLookAlikes{"Defaults.json", "DEFAULTS.JSON", "defaults.json.unreadable-mine",
                                             "defaults.json.unreadable-2024", "defaults.json.BackUp",
                                             "defaults.json.AbCdEf", "defaults.json\n",
                                             "defaults.json.unreadable-20261206-030000-000-1\n",
                                             "defaults.json.quillmarsh-tmp-Ab3dEf\n"};
        for (const char* stands : {"link", "real folder"}) {
            QTest::addRow("configuration: look-alikes where the folder is a %s", stands)
                << true << stands << defaults << defaultsLookAlikes << noSockets << noLinks;
        }
        QTest::newRow("configuration: a real folder holding only ours")
            << true << "real folder" << defaults << QStringList{} << noSockets << noLinks;
        QTest::newRow("configuration: a real folder holding the user's file")
            << true << "real folder" << defaults << QStringList{"defaults.json.orig", "defaults.json.BACKUP"} << noSockets
            << noLinks;
        QTest::newRow("configuration: a linked folder holding the user's files")
            << true << "link" << defaults << sync << noSockets << noLinks;
    }
    void removeStoredFolder()
    {
        QFETCH(bool, configuration);
        QFETCH(QString, stands);
        QFETCH(QStringList, gone);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, sockets);
        QFETCH(QStringList, links);
        QTemporaryDir dir;
        const QString path = dir.path() + "/home/.local/share/Quillmarsh";
        const QString held =
            stands == "real folder" ? path : dir.path() + (stands == "link to the home" ? "/home" : "/home/Sync");
        QVERIFY(QDir().mkpath(held) && QDir().mkpath(QFileInfo(path).path()));
        const QString elsewhere = dir.path() + "/elsewhere";
        const QStringList outside{"precious.txt", QString(64, 'a') + ".bin"};
        for (const QString& name : outside)
            QVERIFY(makeFile(elsewhere + "/" + name));
        for (const QString& name : gone + kept) {
            const QString entry = held + "/" + name;
            QVERIFY(QDir().mkpath(QFileInfo(entry).path()));
            if (sockets.contains(name))
                QVERIFY2(makeSocket(entry), qPrintable(name));
            else if (links.contains(name))
                QVERIFY(QFile::link(elsewhere, entry));
            else
                QVERIFY(makeFile(entry));
        }
        if (!kept.isEmpty()) {
            // A link of the user's in it is kept, and not followed.
            QVERIFY(QFile::link(elsewhere, held + "/inner"));
            kept.append("inner");
        }
        if (stands != "real folder") {
            QVERIFY(QFile::link(held, path));
            QVERIFY(::chmod(QFile::encodeName(held).constData(), 0775) == 0);
        }
        if (stands == "link to nothing" || stands == "link to a file")
            QVERIFY(QDir(held).removeRecursively() && (stands == "link to nothing" || makeFile(held)));
        const int modeBefore = modeOf(held);

        // The defaults take theirs from the configuration folder first, by the same rule.
        if (configuration)
            QCOMPARE(JsonFileDefaults(path + "/defaults.json").removeDomain(), true);
        const auto removal = CleanUninstall::removeStoredFolder(
            path, configuration ? StoredFiles::Folder::Configuration : StoredFiles::Folder::Data);
        QVERIFY(removal.allRemoved);
        for (const QString& name : outside)
            QVERIFY2(QFileInfo::exists(elsewhere + "/" + name), qPrintable(name));
        for (const QString& name : gone)
            QVERIFY2(!isThere(held + "/" + name), qPrintable(name));
        for (const QString& name : kept)
            QVERIFY2(isThere(held + "/" + name), qPrintable(name));
        QCOMPARE(removal.keptFolder, kept.isEmpty() ? QString() : QFileInfo(held).canonicalFilePath());
        QCOMPARE(isThere(held + "/.secure"), kept.join(' ').contains(".secure/"));
        QCOMPARE(isThere(held + "/.ai"), kept.join(' ').contains(".ai/"));
        if (stands == "real folder") {
            QCOMPARE(QFileInfo::exists(path), !kept.isEmpty());
            return;
        }
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(modeOf(held), modeBefore);
    }

    // A linked folder that others may write may hold what they put there under our names: nothing
    // in it is removed, and it is named as kept.
    void aLinkedFolderOthersMayWriteIsLeftAlone()
    {
        QTemporaryDir dir;
        const QString team = dir.path() + "/team";
        const QString data = dir.path() + "/Quillmarsh";
        QVERIFY(makeFile(team + "/game_profiles.json") && makeFile(team + "/.secure/" + QString(64, 'c') + ".bin"));
        QVERIFY(::chmod(QFile::encodeName(team).constData(), 01777) == 0 && QFile::link(team, data));
        const auto removal = CleanUninstall::removeStoredFolder(data, StoredFiles::Folder::Data);
        QVERIFY(!removal.allRemoved);
        QCOMPARE(removal.keptFolder, data);
        QVERIFY(QFileInfo::exists(team + "/game_profiles.json") && QFileInfo::exists(team + "/.secure"));
        // Nor is a real folder reached through a link in a folder others may write.
        const QString open = dir.path() + "/open";
        QVERIFY(QDir().mkpath(open) && ::chmod(QFile::encodeName(open).constData(), 01777) == 0);
        QVERIFY(::chmod(QFile::encodeName(team).constData(), 0700) == 0 && QFile::link(dir.path(), open + "/up"));
        const auto through = CleanUninstall::removeStoredFolder(open + "/up/team", StoredFiles::Folder::Data);
        QVERIFY(!through.allRemoved);
        QVERIFY(QFileInfo::exists(team + "/game_profiles.json"));
    }

    // A thread keeps swapping a subfolder of ours for a link to a folder elsewhere while removals
    // run: whatever the interleaving, nothing where the link leads is removed.
    void aLinkSwappedInDuringTheRemovalIsNotFollowed()
    {
        QTemporaryDir dir;
        const QString data = dir.path() + "/Quillmarsh";
        const QString sync = dir.path() + "/Sync";
        const QString elsewhere = dir.path() + "/elsewhere";
        const QString value = QString(64, 'b') + ".bin";
        QVERIFY(makeFile(elsewhere + "/" + value) && makeFile(sync + "/.ai/mine.txt"));
        QVERIFY(QFile::link(sync, data));
        const QByteArray folder = QFile::encodeName(sync + "/.ai");
        const QByteArray spare = QFile::encodeName(sync + "/spare");
        std::atomic<bool> finished = false;
        int swaps = 0;
        std::thread swapper([&] {
            for (int round = 0; round < 5000; ++round) {
                // The link takes the folder's place and gives it back; a removal may take the link.
                ::symlink(QFile::encodeName(elsewhere).constData(), spare.constData());
                if (::renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, spare.constData(), RENAME_EXCHANGE) != 0)
                    continue;
                ++swaps;
                if (::renameat2(AT_FDCWD, folder.constData(), AT_FDCWD, spare.constData(), RENAME_EXCHANGE) != 0)
                    ::rename(spare.constData(), folder.constData());
            }
            finished = true;
        });
        do
            CleanUninstall::removeStoredFolder(data, StoredFiles::Folder::Data);
        while (!finished);
        swapper.join();
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList{value});
        QVERIFY(swaps > 0);
    }
};

QM_TEST_MAIN(TestCleanUninstall)
#include "tst_CleanUninstall.moc"

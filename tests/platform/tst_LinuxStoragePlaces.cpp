#include "TestMain.h"
#include "linux/LinuxStoragePlaces.h"

#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

void write(const QString& path, const QByteArray& text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}

} // namespace

class TestLinuxStoragePlaces : public QObject {
    Q_OBJECT
private slots:
    void userDirectories_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("folder");
        QTest::newRow("below the home") << QByteArray("XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\n") << "DOWNLOAD"
                                        << "/home/me/Downloads";
        QTest::newRow("translated name with spaces")
            << QByteArray("XDG_VIDEOS_DIR=\"$HOME/Mes vidéos\"\n") << "VIDEOS" << "/home/me/Mes vidéos";
        QTest::newRow("absolute") << QByteArray("XDG_MUSIC_DIR=\"/srv/media/music/\"\n") << "MUSIC"
                                  << "/srv/media/music";
        QTest::newRow("escaped quote") << QByteArray("XDG_DOCUMENTS_DIR=\"$HOME/My \\\"docs\\\"\"\n") << "DOCUMENTS"
                                       << "/home/me/My \"docs\"";
        QTest::newRow("the home itself") << QByteArray("XDG_DESKTOP_DIR=\"$HOME/\"\n") << "DESKTOP" << "/home/me";
        QTest::newRow("comment and blank lines")
            << QByteArray("# written by xdg-user-dirs-update\n\n  XDG_PICTURES_DIR=\"$HOME/Pics\"  \n") << "PICTURES"
            << "/home/me/Pics";
        QTest::newRow("relative value is passed over") << QByteArray("XDG_MUSIC_DIR=\"Music\"\n") << "MUSIC" << "";
        QTest::newRow("unquoted value is passed over") << QByteArray("XDG_MUSIC_DIR=$HOME/Music\n") << "MUSIC" << "";
        QTest::newRow("other variable of the home") << QByteArray("XDG_MUSIC_DIR=\"$HOMEDIR/Music\"\n") << "MUSIC"
                                                    << "";
        QTest::newRow("commented out") << QByteArray("#XDG_MUSIC_DIR=\"$HOME/Music\"\n") << "MUSIC" << "";
    }
    void userDirectories()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, key);
        QFETCH(QString, folder);
        QCOMPARE(LinuxStoragePlaces::userDirectories(QString::fromUtf8(text), "/home/me").value(key), folder);
    }

    // The nine places in order; user folders as the file names them, the usual ones where it names
    // none, none where it names the home; software only where it is installed.
    void places()
    {
        QTemporaryDir root;
        const QString home = root.path() + "/home/me";
        const QString config = home + "/.config";
        for (const char* folder : {"/system/usr", "/system/var/lib/flatpak", "/home/me/Applications"})
            QDir().mkpath(root.path() + folder);
        QVERIFY(QFile::link(root.path() + "/system/usr", root.path() + "/system/opt"));
        write(config + "/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/Films\"\nXDG_MUSIC_DIR=\"$HOME\"\n"
                                          "XDG_DOWNLOAD_DIR=\"/data/dl\"\n");
        const QList<StoragePlace> places = LinuxStoragePlaces(home, config, root.path() + "/system").places();
        const QList<StoragePlace> expected{
            {"Applications",
             {root.path() + "/system/usr", root.path() + "/system/var/lib/flatpak", home + "/Applications"}},
            {"System Cache", {home + "/.cache"}},
            {"Logs", {home + "/.local/state"}},
            {"Downloads", {"/data/dl"}},
            {"Desktop", {home + "/Desktop"}},
            {"Documents", {home + "/Documents"}},
            {"Videos", {home + "/Films"}},
            {"Music", {}},
            {"Pictures", {home + "/Pictures"}}};
        QCOMPARE(places.size(), expected.size());
        for (qsizetype i = 0; i < places.size(); ++i) {
            QCOMPARE(places[i].name, expected[i].name);
            QCOMPARE(places[i].folders, expected[i].folders);
        }

        // Without the file, the usual folders.
        QVERIFY(QFile::remove(config + "/user-dirs.dirs"));
        const QList<StoragePlace> usual = LinuxStoragePlaces(home, config, root.path() + "/system").places();
        QCOMPARE(usual[6].folders, QStringList{home + "/Videos"});
        QCOMPARE(usual[7].folders, QStringList{home + "/Music"});

        // A pipe in its place is not waited on, and stays.
        QCOMPARE(::mkfifo(QFile::encodeName(config + "/user-dirs.dirs").constData(), 0600), 0);
        QCOMPARE(LinuxStoragePlaces(home, config, root.path() + "/system").places()[6].folders,
                 QStringList{home + "/Videos"});
        QVERIFY(!QFileInfo(config + "/user-dirs.dirs").isFile() && QFileInfo::exists(config + "/user-dirs.dirs"));
    }
};

QM_TEST_MAIN(TestLinuxStoragePlaces)
#include "tst_LinuxStoragePlaces.moc"

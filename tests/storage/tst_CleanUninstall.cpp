#include "TestMain.h"
#include "storage/CleanUninstall.h"

namespace {

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

    // The data folder as a link: the files in it go, the link and its folder stay, and a link
    // inside it is removed without being followed.
    void removeDataFolder_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("real folder") << false;
        QTest::newRow("link to a folder") << true;
    }
    void removeDataFolder()
    {
        QFETCH(bool, linked);
        QTemporaryDir dir;
        const QString data = dir.path() + "/data";
        const QString held = linked ? dir.path() + "/dotfiles/Quillmarsh" : data;
        QVERIFY(makeFile(held + "/game_profiles.json") && makeFile(held + "/.secure/settings"));
        QVERIFY(makeFile(dir.path() + "/elsewhere/precious.txt"));
        QVERIFY(QFile::link(dir.path() + "/elsewhere", held + "/inner"));
        if (linked)
            QVERIFY(QFile::link(held, data));

        QVERIFY(CleanUninstall::removeDataFolder(data));
        QCOMPARE(QFileInfo(data).isSymLink(), linked);
        QCOMPARE(QFileInfo(held).isDir(), linked);
        if (linked)
            QVERIFY(QDir(held).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
        QVERIFY(QFileInfo::exists(dir.path() + "/elsewhere/precious.txt"));
    }
};

QM_TEST_MAIN(TestCleanUninstall)
#include "tst_CleanUninstall.moc"

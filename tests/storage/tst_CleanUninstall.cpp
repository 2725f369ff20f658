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
        else if (kind.endsWith("link"))
            QVERIFY(QFile::link(kind == "dangling link" ? dir.path() + "/gone" : target, path));

        QVERIFY(CleanUninstall::removeItem(path));
        QVERIFY(!QFileInfo(path).exists() && !QFileInfo(path).isSymLink());
        // A link is removed, never what it points to.
        QVERIFY(QFileInfo::exists(target + "/precious.txt"));
    }
};

QM_TEST_MAIN(TestCleanUninstall)
#include "tst_CleanUninstall.moc"

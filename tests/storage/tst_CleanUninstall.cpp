#include "FakeDefaults.h"
#include "FakeProcessRunner.h"
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
        QTest::newRow("nothing there") << "none";
        QTest::newRow("file") << "file";
        QTest::newRow("folder with contents") << "folder";
        QTest::newRow("link to a folder") << "link";
        QTest::newRow("dangling link") << "dangling";
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
        else if (kind == "folder")
            QVERIFY(makeFile(path + "/sub/deep.txt"));
        else if (kind == "link")
            QVERIFY(QFile::link(target, path));
        else if (kind == "dangling")
            QVERIFY(QFile::link(dir.path() + "/gone", path));

        QVERIFY(CleanUninstall::removeItem(path));
        const QFileInfo after(path);
        QVERIFY(!after.exists() && !after.isSymLink());
        // A link is removed, never what it points to.
        QVERIFY(QFileInfo::exists(target + "/precious.txt"));
    }

    void legacyPathsAreTheEightOfEarlierVersions()
    {
        QCOMPARE(CleanUninstall::legacyPaths.size(), 8);
        QVERIFY(!CleanUninstall::legacyPaths.contains("Library/Application Support/brindlecove.Quillmarsh"));
        QCOMPARE(CleanUninstall::legacyKeys.size(), 6);
    }

    void runsOnceAndReportsOnTheMainThread()
    {
        QTemporaryDir dir;
        FakeProcessRunner runner;
        FakeDefaults defaults;
        defaults.setValue("QuillMarshFirstRun", true);
        defaults.setValue("kept elsewhere", 1);
        QVERIFY(makeFile(dir.path() + "/support/.secure/a.bin"));
        CleanUninstall uninstall(runner, defaults, dir.path() + "/home", dir.path() + "/support");
        QSignalSpy started(&uninstall, &CleanUninstall::started);
        QSignalSpy finished(&uninstall, &CleanUninstall::finished);

        uninstall.start();
        uninstall.start();
        QCOMPARE(started.count(), 1);
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(defaults.domainRemovals(), 1);
        QVERIFY(defaults.all().isEmpty());
        QVERIFY(!QFileInfo::exists(dir.path() + "/support"));
        QCOMPARE(runner.calls().size(), 5);
    }
};

QM_TEST_MAIN(TestCleanUninstall)
#include "tst_CleanUninstall.moc"

#include "PlantedFile.h"
#include "TestMain.h"
#include "linux/DesktopEntryIndex.h"
#include "storage/LaunchAgent.h"

class TestDesktopEntryIndex : public QObject {
    Q_OBJECT
private slots:
    // Exec values as they stand in the file, and the program each one starts.
    void programOfAnExecValue_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("program");
        QTest::newRow("plain, field code after") << "/opt/a/run %U" << "/opt/a/run";
        QTest::newRow("quoted space") << "\"/opt/game space/run\" -x" << "/opt/game space/run";
        QTest::newRow("space escape inside quotes") << "\"/opt/a\\sb/run\"" << "/opt/a b/run";
        QTest::newRow("space escape outside quotes separates") << "/opt/a\\sb/run" << "/opt/a";
        QTest::newRow("tab escape") << "\"/opt/a\\tb/run\"" << "/opt/a\tb/run";
        QTest::newRow("line-feed and return escapes") << "\"/opt/a\\nb\\rc\"" << "/opt/a\nb\rc";
        QTest::newRow("backslash: string escape, then quoting") << "\"/opt/back\\\\\\\\slash/run\"" << "/opt/back\\slash/run";
        QTest::newRow("quote escaped inside quotes") << "\"/opt/say\\\\\"hi\\\\\"/run\"" << "/opt/say\"hi\"/run";
        QTest::newRow("dollar and backquote") << "\"/opt/\\\\$HOME\\\\`x\\\\`/run\"" << "/opt/$HOME`x`/run";
        QTest::newRow("quote escaped once, as many files have it") << "\"/opt/say\\\"hi\\\"/run\""
                                                                   << "/opt/say\"hi\"/run";
        QTest::newRow("percent doubled") << "\"/opt/100%%/run\" %f" << "/opt/100%/run";
        QTest::newRow("percent doubled outside quotes") << "/opt/100%%/run" << "/opt/100%/run";
        QTest::newRow("field code alone before the program") << "env %k /opt/kit/run" << "/opt/kit/run";
        QTest::newRow("env with a quoted assignment") << "env \"A=1\\sB\" /opt/env/run" << "/opt/env/run";
    }
    void programOfAnExecValue()
    {
        QFETCH(QString, exec);
        QFETCH(QString, program);
        QTemporaryDir folder;
        QFile entry(folder.filePath("tool.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Tool\\sKit\nExec=" + exec.toUtf8() + "\n");
        entry.close();
        const auto found = DesktopEntryIndex({folder.path()}).forExecutable(program);
        QVERIFY(found);
        QCOMPARE(found->id, "tool");
        QCOMPARE(found->name, "Tool Kit");
    }

    // Only files named *.desktop (in any case, in subfolders too) are entries.
    void entryFileNames_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("entry");
        QTest::newRow("entry") << "tool.desktop" << true;
        QTest::newRow("upper-case suffix") << "TOOL.DESKTOP" << true;
        QTest::newRow("in a subfolder") << "kde/tool.desktop" << true;
        QTest::newRow("suffix alone") << ".desktop" << false;
        QTest::newRow("backup copy") << "tool.desktop.bak" << false;
        QTest::newRow("other suffix") << "tool.directory" << false;
        QTest::newRow("no dot") << "tooldesktop" << false;
    }
    void entryFileNames()
    {
        QFETCH(QString, file);
        QFETCH(bool, entry);
        QTemporaryDir folder;
        QVERIFY(QDir().mkpath(QFileInfo(folder.filePath(file)).path()));
        QFile written(folder.filePath(file));
        QVERIFY(written.open(QIODevice::WriteOnly));
        written.write("[Desktop Entry]\nType=Application\nName=Tool\nExec=/opt/tool/run\n");
        written.close();
        QCOMPARE(DesktopEntryIndex({folder.path()}).applications().size(), entry ? 1 : 0);
    }

    // An entry that cannot be read as a file is the user's: skipped, never waited on, and left as
    // it is; the other entries are found.
    void unusableEntriesAreSkippedAndLeft_data()
    {
        PlantedFile::addKindRows();
    }
    void unusableEntriesAreSkippedAndLeft()
    {
        QFETCH(PlantedFile::Kind, kind);
        QTemporaryDir folder;
        QFile good(folder.filePath("good.desktop"));
        QVERIFY(good.open(QIODevice::WriteOnly));
        good.write("[Desktop Entry]\nType=Application\nName=Good\nExec=/opt/good/run\n");
        good.close();
        const QString bad = folder.filePath("bad.desktop");
        QVERIFY(PlantedFile::plant(bad, kind, DesktopEntryIndex::maxEntryBytes));
        const QString planted = PlantedFile::describe(bad);

        const DesktopEntryIndex index({folder.path()});
        const QList<DesktopEntryIndex::Application> found = index.applications();
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().entry.name, "Good");
        QVERIFY(!index.forFile(bad));
        QCOMPARE(PlantedFile::describe(bad), planted);
        QVERIFY(PlantedFile::asideCopies(bad).isEmpty());
    }

    // Our own autostart entry, written for a program at an awkward path, is found again by that
    // program's path.
    void launchEntryReadsBack_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"quillmarsh", "a b", "back\\slash", "say\"hi\"", "$HOME", "`id`", "100%", "%%u",
                                 "ends\\", "\\s and \\n", "it's"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void launchEntryReadsBack()
    {
        QFETCH(QString, name);
        QTemporaryDir folder;
        const QString program = QFileInfo(folder.path()).canonicalFilePath() + "/bin " + name + "/quillmarsh";
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        QFile executable(program);
        QVERIFY(executable.open(QIODevice::WriteOnly));
        executable.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        executable.close();

        const QString applications = folder.filePath("applications");
        QVERIFY(QDir().mkpath(applications));
        const auto entry = LaunchAgent::desktopEntry(program);
        QVERIFY(entry);
        QFile file(LaunchAgent::entryPath(applications));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(*entry);
        file.close();

        const auto found = DesktopEntryIndex({applications}).forExecutable(program);
        QVERIFY(found);
        QCOMPARE(found->id, LaunchAgent::label);
        QCOMPARE(found->name, "Quillmarsh");
    }
};

QM_TEST_MAIN(TestDesktopEntryIndex)
#include "tst_DesktopEntryIndex.moc"

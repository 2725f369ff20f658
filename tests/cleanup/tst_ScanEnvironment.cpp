#include "TestMain.h"
#include "cleanup/DiskScanner.h"
#include "cleanup/ScanEnvironment.h"

class TestScanEnvironment : public QObject {
    Q_OBJECT
private slots:
    void isProtected_data()
    {
        QTest::addColumn<bool>("onLinux");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("protectedPath");

        const auto both = [](const char* name, const QString& below, bool expected) {
            QTest::addRow("original: %s", name) << false << "/Users/me" + below << expected;
            QTest::addRow("linux: %s", name) << true << "/home/me" + below << expected;
        };
        both("document", "/Documents/report.pdf", false);
        both("Library Caches", "/Library/Caches/com.app/blob", false);
        both("Library Logs", "/Library/Logs/app.log", false);
        both("Library Preferences", "/Library/Preferences/com.app.plist", true);
        both("Library itself", "/Library", true);
        both("LibraryBooks is a plain prefix", "/LibraryBooks/novel.epub", true);
        both("CachesOld is a plain prefix", "/Library/CachesOld/x", false);
        both("ssh folder", "/Projects/.ssh/id_ed25519", true);
        both("sshx matches too", "/.sshx/notes", true);
        both("Trash", "/.Trash/old.txt", true);
        both("Trash of a volume", "/Volumes/.Trash-1000/files/x", true);
        both("dot-dot out of Documents into Preferences", "/Documents/../Library/Preferences/x", true);
        both("dot-dot out of Caches into Preferences", "/Library/Caches/../Preferences/x", true);
        both("dot-dot out of the home", "/../../etc/passwd", true);
        both("dot segments only", "/./Documents/./x", false);
        QTest::newRow("original: var covers variable") << false << "/variable/x" << true;
        QTest::newRow("original: temporary folder under var") << false << "/var/folders/xy/T/a.tmp" << true;
        QTest::newRow("original: linux folders are not in it") << false << "/opt/tool/x" << false;
        QTest::newRow("relative path") << false << "Documents/x" << true;
        QTest::newRow("empty path") << true << "" << true;
        for (const char* prefix : {"/proc/1/mem", "/sys/x", "/boot/vmlinuz", "/run/user/1000/x", "/opt/x", "/snap/x",
                                   "/srv/x", "/root/x", "/lib/x", "/lib64/x", "/mnt/disk/x", "/media/usb/x", "/tmp/x",
                                   "/usr/share/x", "/etc/passwd", "/dev/sda"})
            QTest::addRow("linux: %s", prefix) << true << QString(prefix) << true;
        QTest::newRow("linux: XDG cache") << true << "/home/me/.cache/app/blob" << false;
        QTest::newRow("linux: XDG config") << true << "/home/me/.config/app/settings" << true;
        QTest::newRow("linux: XDG data holds the Trash") << true << "/home/me/.local/share/Trash/files/x" << true;
        QTest::newRow("linux: GnuPG") << true << "/home/me/.gnupg/private-keys-v1.d/k" << true;
    }
    void isProtected()
    {
        QFETCH(bool, onLinux);
        QFETCH(QString, path);
        QFETCH(bool, protectedPath);
        const ScanEnvironment env = onLinux ? ScanEnvironment::linuxTable("/home/me", "/tmp")
                                          : ScanEnvironment::originalTable("/Users/me", "/var/folders/xy/T/");
        QCOMPARE(env.isProtected(path), protectedPath);
    }

    void tables()
    {
        const ScanEnvironment original = ScanEnvironment::originalTable("/Users/me/", "/var/folders/xy/T");
        QCOMPARE(original.home, QString("/Users/me"));
        QCOMPARE(original.temporary, QString("/var/folders/xy/T/"));
        QCOMPARE(original.safeCleanupDirectories, (QStringList{"/Users/me/Library/Caches", "/Users/me/Library/Logs",
                                                               "/Users/me/Downloads", "/var/folders/xy/T/"}));
        const ScanEnvironment onLinux = ScanEnvironment::linuxTable("/home/me", "/tmp");
        QCOMPARE(onLinux.protectedPaths.size(), 25);
        QCOMPARE(onLinux.safeCleanupDirectories.mid(4), (QStringList{"/home/me/.cache", "/home/me/.local/state"}));
        QCOMPARE(onLinux.applicationRoots, QStringList{"/home/me/Applications"});
        QVERIFY(onLinux.leadsToSafeDirectory("/home/me/.cache"));
        QVERIFY(onLinux.leadsToSafeDirectory("/home/me/Library"));
        QVERIFY(onLinux.leadsToSafeDirectory("/home/me/.local"));
        QVERIFY(!onLinux.leadsToSafeDirectory("/home/me/.local/share"));
        QVERIFY(!onLinux.leadsToSafeDirectory("/home/me/Down"));
    }

    // On Linux a home folder may lie under any of the system prefixes: Fedora Atomic puts it in
    // /var/home, root's is /root, a live session's may be in /tmp. Inside it only the named folders
    // protect; next to it the prefixes still do.
    void homeUnderASystemPrefix_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("protectedPath");
        for (const char* home : {"/home/me", "/var/home/me", "/root", "/tmp/session/me", "/srv/users/me"}) {
            const QString h(home);
            QTest::addRow("%s: document", home) << h << h + "/Documents/report.pdf" << false;
            QTest::addRow("%s: the home itself", home) << h << h << false;
            QTest::addRow("%s: ssh keys", home) << h << h + "/.ssh/id_ed25519" << true;
            QTest::addRow("%s: XDG config", home) << h << h + "/.config/app/settings" << true;
            QTest::addRow("%s: XDG state", home) << h << h + "/.local/state/app/run.log" << false;
            QTest::addRow("%s: ssh folder inside XDG state", home) << h << h + "/.local/state/.ssh/k" << true;
            QTest::addRow("%s: XDG data", home) << h << h + "/.local/share/app/db" << true;
            QTest::addRow("%s: dot-dot out of the home", home) << h << h + "/../../etc/passwd" << true;
        }
        QTest::newRow("a neighbour sharing the prefix") << "/var/home/me" << "/var/home/meg/x" << true;
        QTest::newRow("the system next to the home") << "/var/home/me" << "/var/lib/x" << true;
        QTest::newRow("root's home is not the root folder") << "/root" << "/rootfs/x" << true;
        QTest::newRow("a home at the root lifts nothing") << "/" << "/etc/passwd" << true;
    }
    void homeUnderASystemPrefix()
    {
        QFETCH(QString, home);
        QFETCH(QString, path);
        QFETCH(bool, protectedPath);
        QCOMPARE(ScanEnvironment::linuxTable(home, "/tmp").isProtected(path), protectedPath);
    }

    void linuxPlaces_data()
    {
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("temporary");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("logFile");
        QTest::addColumn<bool>("temporaryFile");
        QTest::newRow("log in XDG state") << "/home/me" << "/tmp" << "/home/me/.local/state/app/run.log" << true
                                          << false;
        QTest::newRow("file in a logs folder of XDG state")
            << "/home/me" << "/tmp" << "/home/me/.local/state/app/logs/2026-12-01.txt" << true << false;
        QTest::newRow("file in a log folder of XDG state")
            << "/home/me" << "/tmp" << "/home/me/.local/state/app/log/current" << true << false;
        QTest::newRow("state that is no log") << "/home/me" << "/tmp" << "/home/me/.local/state/app/index.db" << false
                                              << false;
        QTest::newRow("a file named logs") << "/home/me" << "/tmp" << "/home/me/.local/state/app/logs" << false
                                           << false;
        QTest::newRow("log outside the log places") << "/home/me" << "/tmp" << "/home/me/Work/run.log" << false
                                                    << false;
        QTest::newRow("the original log folder") << "/home/me" << "/tmp" << "/home/me/Library/Logs/app/run.txt"
                                                 << true << false;
        QTest::newRow("temporary folder") << "/home/me" << "/tmp" << "/tmp/render.bin" << false << true;
        QTest::newRow("home inside the temporary folder")
            << "/tmp/session/me" << "/tmp" << "/tmp/session/me/Documents/a.bin" << false << false;
        QTest::newRow("beside a home inside the temporary folder")
            << "/tmp/session/me" << "/tmp" << "/tmp/render.bin" << false << true;
        QTest::newRow("temporary folder inside the home")
            << "/home/me" << "/home/me/tmp" << "/home/me/tmp/render.bin" << false << true;
    }
    void linuxPlaces()
    {
        QFETCH(QString, home);
        QFETCH(QString, temporary);
        QFETCH(QString, path);
        QFETCH(bool, logFile);
        QFETCH(bool, temporaryFile);
        const ScanEnvironment env = ScanEnvironment::linuxTable(home, temporary);
        QCOMPARE(env.isLogFile(path), logFile);
        QCOMPARE(env.inTemporaryFolder(path), temporaryFile);
    }

    void extensionKey_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("key");
        QTest::newRow("lowered") << "Movies/a.MOV" << ".mov";
        QTest::newRow("last of two") << "x/archive.tar.gz" << ".gz";
        QTest::newRow("no extension") << "Documents/README" << ".";
        QTest::newRow("dot in a folder name only") << "v1.2/README" << ".";
        QTest::newRow("trailing dot") << "file." << ".";
        QTest::newRow("hidden name") << ".DS_Store" << ".";
    }
    void extensionKey()
    {
        QFETCH(QString, name);
        QFETCH(QString, key);
        QCOMPARE(ScanEnvironment::extensionKey(name), key);
        // The mixed-case table entry can never equal a lowered key.
        QVERIFY(!ScanEnvironment::originalTable("/h", "/t").tempExtensions.contains(
            ScanEnvironment::extensionKey("x.DS_Store")));
    }

    void formatSize_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0.00 B";
        QTest::newRow("below a kilobyte") << qint64(1023) << "1023.00 B";
        QTest::newRow("one kilobyte") << qint64(1024) << "1.00 KB";
        QTest::newRow("one and a half") << qint64(1536) << "1.50 KB";
        QTest::newRow("one megabyte") << qint64(1048576) << "1.00 MB";
        QTest::newRow("just over 100 MiB") << qint64(104857601) << "100.00 MB";
        QTest::newRow("no unit past TB") << (qint64(1) << 50) << "1024.00 TB";
        QTest::newRow("negative stays in bytes") << qint64(-5) << "-5.00 B";
    }
    void formatSize()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(DiskScanner::formatSize(bytes), text);
    }
};

QM_TEST_MAIN(TestScanEnvironment)
#include "tst_ScanEnvironment.moc"

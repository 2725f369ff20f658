#include "TestMain.h"
#include "tuning/SessionProcesses.h"

class TestSessionProcesses : public QObject {
    Q_OBJECT
private slots:
    // Each kind of pattern: exact names, a star at the end, at the start, on both sides, and a star
    // that must skip a false start; matching is whole-name and case-sensitive, on the file name.
    void contains_data()
    {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<bool>("session");
        QTest::newRow("exact") << "Xorg" << true;
        QTest::newRow("exact, other case") << "xorg" << false;
        QTest::newRow("exact name with more after") << "Xorgx" << false;
        QTest::newRow("exact name with more before") << "myXorg" << false;
        QTest::newRow("one-letter name") << "st" << true;
        QTest::newRow("one-letter name as a prefix only") << "steam" << false;
        QTest::newRow("star at the end") << "kwin_x11" << true;
        QTest::newRow("star at the end, nothing for it") << "kwin" << true;
        QTest::newRow("star at the start") << "xfce4-session" << true;
        QTest::newRow("star at the start, suffix alone") << "session" << false;
        QTest::newRow("star at the start, suffix not at the end") << "foo-sessionx" << false;
        QTest::newRow("stars on both sides") << "lxpolkit-agent" << true;
        QTest::newRow("suffix repeated: the last one counts") << "a-session-session" << true;
        QTest::newRow("false start before the suffix") << "x-settings-x-settings-daemon" << true;
        QTest::newRow("the prefix inside a name") << "my-systemd" << false;
        QTest::newRow("full path") << "/usr/bin/openbox" << true;
        QTest::newRow("folder named like one") << "/usr/lib/Xorg/game" << false;
        QTest::newRow("ordinary program") << "firefox" << false;
        QTest::newRow("empty") << "" << false;
    }
    void contains()
    {
        QFETCH(QString, executable);
        QFETCH(bool, session);
        QCOMPARE(SessionProcesses::contains(executable), session);
    }
};

QM_TEST_MAIN(TestSessionProcesses)
#include "tst_SessionProcesses.moc"

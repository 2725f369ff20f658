#include "FakeDefaults.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/AppDelegate.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"

#include <QAction>

class TestMainWindow : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void windowIsNeverSmallerThanItsMinimum()
    {
        FakePlatform platform(m_dir.path());
        MainWindow window(platform.services());
        QCOMPARE(window.minimumSize(), QSize(1000, 650));
        QCOMPARE(window.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        window.show();
        window.resize(600, 400);
        QCOMPARE(window.size(), QSize(1000, 650));
        window.resize(1600, 1000);
        QCOMPARE(window.size(), QSize(1600, 1000));
    }

    void quitShortcutAndFinishedUninstallTerminateTheApp()
    {
        FakePlatform platform(m_dir.path());
        MainWindow window(platform.services());
        int terminations = 0;
        window.setTerminateApp([&] { ++terminations; });

        QAction* quit = window.quitAction();
        QCOMPARE(quit->text(), QString("Quit Quillmarsh"));
        const QList<QKeySequence> platformQuit = QKeySequence::keyBindings(QKeySequence::Quit);
        QCOMPARE(quit->shortcuts(), platformQuit.isEmpty() ? QList{QKeySequence(Qt::CTRL | Qt::Key_Q)} : platformQuit);
        QVERIFY(window.actions().contains(quit));

        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTest::keySequence(&window, quit->shortcut());
        QCOMPARE(terminations, 1);
        emit window.contentView()->terminateRequested();
        QCOMPARE(terminations, 2);
    }

    void launchTurnsOffWindowRestoration()
    {
        FakeDefaults defaults;
        defaults.setValue(AppDelegate::quitAlwaysKeepsWindowsKey, true);
        QWidget window;
        AppDelegate(defaults).applicationDidFinishLaunching(window);
        QCOMPARE(defaults.boolean("NSQuitAlwaysKeepsWindows"), std::optional<bool>(false));
    }
};

QM_TEST_MAIN(TestMainWindow)
#include "tst_MainWindow.moc"

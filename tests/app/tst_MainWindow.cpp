#include "FakeDefaults.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/AppDelegate.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "style/SymbolButton.h"

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

    void windowControlsAndTopBand_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("maximized");
        QTest::newRow("maximise button") << "maximizeButton" << true;
        QTest::newRow("double-click in the top band") << "band" << true;
        QTest::newRow("double-click below the band") << "below" << false;
    }
    // The controls at the right end of the top band act on the window; a double-click in the band
    // maximises it and a second one restores it, as a title bar's would.
    void windowControlsAndTopBand()
    {
        QFETCH(QString, action);
        QFETCH(bool, maximized);
        FakePlatform platform(m_dir.path());
        MainWindow window(platform.services());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* maximize = window.findChild<SymbolButton*>("maximizeButton");
        QVERIFY(maximize && maximize->isVisible());
        QVERIFY(window.findChild<QWidget*>("minimizeButton")->isVisible());
        QVERIFY(window.findChild<QWidget*>("closeButton")->isVisible());
        const auto act = [&] {
            if (action == "maximizeButton") {
                QTest::mouseClick(maximize, Qt::LeftButton);
                return;
            }
            // Whatever lies under the pointer there takes the double-click first.
            const QPoint at(window.width() / 3, action == "band" ? MainWindow::dragBandHeight / 3 : 300);
            QWidget* target = window.childAt(at) ? window.childAt(at) : &window;
            QTest::mouseDClick(target, Qt::LeftButton, {}, target->mapFrom(&window, at));
        };
        act();
        QCOMPARE(window.isMaximized(), maximized);
        QCOMPARE(maximize->toolTip(), maximized ? QString("Restore") : QString("Maximise"));
        act();
        QVERIFY(!window.isMaximized());
        QCOMPARE(maximize->toolTip(), QString("Maximise"));
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

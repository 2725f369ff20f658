#include "DashboardFixture.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "app/WelcomeScreen.h"

#include <QAbstractButton>
#include <QAction>
#include <QPointer>
#include <QScrollArea>
#include <QTimer>

namespace {

// The view each strip entry shows.
const QHash<AppScreen, QByteArray> screenViews{
    {AppScreen::dashboard, "DashboardView"},
    {AppScreen::optimizers, "OptimizersView"},
    {AppScreen::resolution, "ResolutionView"},
    {AppScreen::frameLimiter, "FrameLimiterView"},
    {AppScreen::cleaner, "CleanerView"},
    {AppScreen::menuBar, "MenuBarView"},
    {AppScreen::gameProfiles, "GameProfilesView"},
    {AppScreen::backgroundFreeze, "BackgroundFreezeView"},
    {AppScreen::assistant, "AIAssistantView"},
    {AppScreen::aiConnect, "AIConnectView"},
    {AppScreen::system, "SystemInfoView"},
    {AppScreen::settings, "SettingsView"},
};

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void click(QWidget* widget)
{
    QVERIFY(widget);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    settle();
}

// A scroll area that fills its background hides the backdrop behind the whole screen.
bool letsTheBackdropThrough(QWidget* widget)
{
    auto* area = qobject_cast<QScrollArea*>(widget);
    return !area || (!area->viewport()->autoFillBackground() && !area->widget()->autoFillBackground());
}

QList<QWidget*> screensIn(QWidget& root)
{
    return root.findChildren<QWidget*>(QRegularExpression("^screen:"));
}

} // namespace

// The application as a new user meets it, with the platform fakes: the welcome screen, "Get
// Started", every entry of the strip in turn, then Quit.
class TestApplicationWalk : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;

private slots:
    void walksEveryScreenThenQuits()
    {
        FakePlatform platform(m_dir.path());
        DashboardFixture::fill(platform);
        MainWindow window(platform.services());
        ContentView& content = *window.contentView();
        window.resize(window.minimumSize());
        window.show();
        QTRY_VERIFY(content.hasBootstrapped());
        QWidget* welcome = window.findChild<WelcomeScreen*>("welcomeScreen");
        QVERIFY(welcome && welcome->isVisible());
        QVERIFY(screensIn(window).isEmpty());
        click(window.findChild<QWidget*>("getStartedButton"));
        QVERIFY(platform.secureStore.isSetupComplete());
        QVERIFY(content.monitor().isMonitoring());
        QVERIFY(content.networkMonitor().isMonitoring());

        // The first entry is the one already shown; it is left and come back to at the end.
        QList<AppScreen> walk = AppScreens::allCases().mid(1);
        walk.append(AppScreens::allCases().constFirst());
        QCOMPARE(content.detailView()->objectName(), "screen:" + AppScreens::rawValue(AppScreens::allCases().first()));
        for (const AppScreen screen : std::as_const(walk)) {
            const QString title = AppScreens::rawValue(screen);
            auto* tab = window.findChild<ScreenTabButton*>("tab:" + title);
            QVERIFY2(tab, qPrintable(title));
            click(tab);
            QCOMPARE(content.selectedScreen(), screen);
            QVERIFY(tab->isSelected());
            QWidget* shown = content.detailView();
            QCOMPARE(shown->objectName(), "screen:" + title);
            QVERIFY2(shown->isVisible(), qPrintable(title));
            QCOMPARE(screensIn(window).size(), 1);
            QVERIFY2(letsTheBackdropThrough(shown), qPrintable(title));
            QVERIFY(letsTheBackdropThrough(window.findChild<QWidget*>("screenStrip")));
            QCOMPARE(QByteArray(shown->metaObject()->className()), screenViews.value(screen));
            // What a user would switch on along the way, so the quit has something to stop.
            if (screen == AppScreen::menuBar)
                click(shown->findChild<QAbstractButton*>("companionSwitch"));
            if (screen == AppScreen::dashboard)
                click(shown->findChild<QAbstractButton*>("sessionButton"));
        }
        QVERIFY(content.menuBarCompanion().isEnabled());
        QCOMPARE(platform.statusBar->shownCount(), 1);
        QVERIFY(content.sessionLogger().isActive());
        QVERIFY(content.gameProfileManager().isMonitoringLaunches());

        // The quit command ends the event loop; the services stop on the way out.
        QTimer::singleShot(0, window.quitAction(), &QAction::trigger);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!content.monitor().isMonitoring());
        QVERIFY(!content.networkMonitor().isMonitoring());
        QVERIFY(!content.sessionLogger().isActive());
        QVERIFY(!content.menuBarCompanion().isEnabled());
        QCOMPARE(platform.statusBar->shownCount(), 0);
        QVERIFY(!content.gameProfileManager().isMonitoringLaunches());
        QVERIFY(!content.cleanupTimer().isActive());
    }
};

QM_TEST_MAIN(TestApplicationWalk)
#include "tst_ApplicationWalk.moc"

#include "FakePlatform.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "app/ScreenStrip.h"
#include "app/ScreenTabButton.h"
#include "app/WelcomeScreen.h"
#include "storage/CleanupSchedule.h"
#include "style/GradientButton.h"

#include <memory>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QDateTime at(int hour, int minute, int day = 7)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, 10)); // 2026-12-06 is a Sunday
}

} // namespace

class TestContentView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;

    std::unique_ptr<ContentView> launch()
    {
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        auto view = std::make_unique<ContentView>(m_platform->services());
        view->resize(1000, 650);
        view->show();
        settle();
        return view;
    }

    static bool visibleChild(QWidget& root, const QString& name)
    {
        QWidget* child = root.findChild<QWidget*>(name);
        return child && child->isVisible();
    }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_platform.reset();
        m_dir.reset();
    }

    void firstLaunchShowsTheWelcomeScreen()
    {
        auto view = launch();
        QVERIFY(view->hasBootstrapped());
        QCOMPARE(view->stateManager().currentState(), AppScreenState::setup);
        QVERIFY(visibleChild(*view, "welcomeScreen"));
        QVERIFY(!view->findChild<ScreenStrip*>());
    }

    void getStartedStoresTheFlagAndShowsTheStrip()
    {
        auto view = launch();
        auto* button = view->findChild<GradientButton*>("getStartedButton");
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
        settle();

        QFile flag(m_platform->secureStore.secureFileURL(SecureLocalStore::setupCompleteKey));
        QVERIFY(flag.open(QIODevice::ReadOnly));
        QCOMPARE(flag.readAll(), QByteArray("true"));

        QCOMPARE(view->stateManager().currentState(), AppScreenState::dashboard);
        QVERIFY(!visibleChild(*view, "welcomeScreen"));
        auto* strip = view->findChild<ScreenStrip*>("screenStrip");
        QVERIFY(strip && strip->isVisible());
        QCOMPARE(strip->titles(),
                 (QStringList{"Dashboard", "Optimizers", "Resolution", "Frame Limiter", "Cleaner", "Menu Bar",
                              "Game Profiles", "Background Freeze", "Assistant", "AI Connect", "System", "Settings"}));
        QStringList selected;
        for (const ScreenTabButton* tab : strip->buttons()) {
            if (tab->isSelected())
                selected.append(tab->text());
        }
        QCOMPARE(selected, QStringList{"Dashboard"});
        QCOMPARE(view->detailView()->objectName(), QString("screen:Dashboard"));
    }

    void laterLaunchOpensOnTheDashboard()
    {
        {
            auto first = launch();
            QTest::mouseClick(first->findChild<GradientButton*>("getStartedButton"), Qt::LeftButton);
        }
        // A new process: fresh defaults and store objects reading the same files.
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        ContentView second(m_platform->services());
        // From the first frame, before the start sequence has run.
        QCOMPARE(second.stateManager().currentState(), AppScreenState::dashboard);
        QVERIFY(second.findChild<ScreenStrip*>("screenStrip"));
        QVERIFY(!second.findChild<WelcomeScreen*>());
        QCOMPARE(second.selectedScreen(), AppScreen::dashboard);
    }

    void stripSelectsAndRebuildsOnlyOnChange()
    {
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        m_platform->completeSetup();
        ContentView view(m_platform->services());
        view.resize(1000, 650);
        view.show();
        settle();
        auto* settingsTab = view.findChild<ScreenTabButton*>("tab:Settings");
        QVERIFY(settingsTab);
        QTest::mouseClick(settingsTab, Qt::LeftButton);
        settle();
        QCOMPARE(view.selectedScreen(), AppScreen::settings);
        QPointer<QWidget> settings = view.detailView();
        QCOMPARE(settings->objectName(), QString("screen:Settings"));
        QVERIFY(settingsTab->isSelected());

        QTest::mouseClick(settingsTab, Qt::LeftButton);
        settle();
        QCOMPARE(view.detailView(), settings.data());

        QTest::mouseClick(view.findChild<ScreenTabButton*>("tab:Dashboard"), Qt::LeftButton);
        settle();
        QVERIFY(settings.isNull());
        QCOMPARE(view.detailView()->objectName(), QString("screen:Dashboard"));
        QCOMPARE(view.findChildren<QWidget*>(QRegularExpression("^screen:")).size(), 1);
    }

    void theStartSequenceChoosesTheStateOnlyOnce()
    {
        auto view = launch();
        QCOMPARE(view->stateManager().currentState(), AppScreenState::setup);
        // The flag appears behind the view's back; showing the view again must not re-choose.
        m_platform->completeSetup();
        view->hide();
        view->show();
        settle();
        QCOMPARE(view->stateManager().currentState(), AppScreenState::setup);
    }

    void samplersRunOnlyOnTheMainScreens()
    {
        auto view = launch();
        QVERIFY(!view->monitor().isMonitoring());
        QVERIFY(!view->networkMonitor().isMonitoring());
        QTest::mouseClick(view->findChild<GradientButton*>("getStartedButton"), Qt::LeftButton);
        settle();
        QVERIFY(view->monitor().isMonitoring());
        QVERIFY(view->networkMonitor().isMonitoring());
        view->shutdownServices();
        QVERIFY(!view->monitor().isMonitoring());
        QVERIFY(!view->networkMonitor().isMonitoring());

        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        ContentView later(m_platform->services());
        later.show();
        settle();
        QVERIFY(later.monitor().isMonitoring());
    }

    void autoOptimizeFollowsTheSetting()
    {
        auto view = launch();
        QVERIFY(!view->optimizer().isAutoOptimizeEnabled());
        view->screenServices().settingsStore->setAutoOptimize(true);
        QVERIFY(view->optimizer().isAutoOptimizeEnabled());

        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        ContentView later(m_platform->services());
        QVERIFY(!later.optimizer().isAutoOptimizeEnabled());
        later.show();
        settle();
        QVERIFY(later.optimizer().isAutoOptimizeEnabled()); // copied in the start sequence
    }

    void minuteCheck_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("lastCleanup"); // invalid: never
        QTest::addColumn<bool>("scans");
        QTest::newRow("daily, at the set minute") << true << "daily" << at(3, 0) << QDateTime() << true;
        QTest::newRow("disabled") << false << "daily" << at(3, 0) << QDateTime() << false;
        QTest::newRow("a minute late") << true << "daily" << at(3, 1) << QDateTime() << false;
        QTest::newRow("already ran today") << true << "daily" << at(3, 0) << at(3, 0).addSecs(-5) << false;
        QTest::newRow("ran yesterday") << true << "daily" << at(3, 0) << at(3, 0).addDays(-1) << true;
        QTest::newRow("weekly on a Monday") << true << "weekly" << at(3, 0) << QDateTime() << false;
        QTest::newRow("weekly on a Sunday") << true << "weekly" << at(3, 0, 6) << QDateTime() << true;
    }
    void minuteCheck()
    {
        QFETCH(bool, enabled);
        QFETCH(QString, frequency);
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, lastCleanup);
        QFETCH(bool, scans);

        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        ContentView view(m_platform->services());
        SettingsStore& store = *view.screenServices().settingsStore;
        store.setScheduledCleanupEnabled(enabled);
        store.setScheduledCleanupFrequency(frequency);
        store.setScheduledCleanupHour(3);
        store.setScheduledCleanupMinute(0);
        const double before = lastCleanup.isValid() ? double(lastCleanup.toMSecsSinceEpoch()) / 1000.0 : 0.0;
        if (lastCleanup.isValid())
            m_platform->defaults.setValue(CleanupSchedule::lastCleanupDateKey, before);

        DiskScanner& scanner = *view.screenServices().scanner;
        QSignalSpy published(&scanner, &DiskScanner::changed);
        view.checkScheduledCleanup(now);

        QCOMPARE(scanner.isScanning(), scans);
        const double stored = m_platform->defaults.number(CleanupSchedule::lastCleanupDateKey).value_or(0);
        QCOMPARE(stored, scans ? double(now.toMSecsSinceEpoch()) / 1000.0 : before);
        if (scans) {
            QTRY_VERIFY(!scanner.isScanning());
            QCOMPARE(scanner.scanProgress(), 1.0);
            QCOMPARE(published.count(), 2);
            // A second check in the same minute finds today's date and starts nothing.
            view.checkScheduledCleanup(now.addSecs(20));
            QVERIFY(!scanner.isScanning());
        }
    }

    void minuteTimerRunsWhileShownAndShutdownIsRepeatable()
    {
        auto view = launch();
        QVERIFY(view->cleanupTimer().isActive());
        QCOMPARE(view->cleanupTimer().interval(), 60'000);
        view->shutdownServices();
        QVERIFY(!view->cleanupTimer().isActive());
        view->shutdownServices();
        QVERIFY(!view->cleanupTimer().isActive());
        // Closing the window takes the view off screen, which runs the same shut-down.
        view->hide();
        view->show();
        QVERIFY(view->cleanupTimer().isActive());
        view->hide();
        QVERIFY(!view->cleanupTimer().isActive());
    }

    void nothingIsWrittenOnceTheUninstallHasStarted()
    {
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        m_platform->completeSetup();
        ContentView view(m_platform->services());
        view.setQuitDelay(50);
        QSignalSpy terminate(&view, &ContentView::terminateRequested);
        SettingsStore& store = *view.screenServices().settingsStore;
        store.setScheduledCleanupEnabled(true);
        store.setScheduledCleanupHour(3);
        store.setScheduledCleanupMinute(0);

        // During the pause before the quit the user may still flip a setting, and the minute may come.
        connect(view.screenServices().uninstall, &CleanUninstall::finished, &view, [&] {
            store.setAutoOptimize(true);
            store.setLaunchOnStartup(true);
            view.checkScheduledCleanup(at(3, 0));
        });
        view.screenServices().uninstall->start();
        QVERIFY(!view.cleanupTimer().isActive());

        QTRY_COMPARE(terminate.count(), 1);
        QVERIFY(!QFileInfo::exists(m_platform->appSupportDirectory()));
        QVERIFY(!QFileInfo::exists(m_platform->defaultsFile()));
        QVERIFY(!m_platform->defaults.contains(CleanupSchedule::lastCleanupDateKey));
        QVERIFY(!view.screenServices().scanner->isScanning());
        QVERIFY(!QFileInfo::exists(LaunchAgent::plistPath(m_platform->homeDirectory())));
    }
};

QM_TEST_MAIN(TestContentView)
#include "tst_ContentView.moc"

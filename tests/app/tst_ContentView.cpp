#include "FakePlatform.h"
#include "Locked.h"
#include "TestMain.h"
#include "WorkQueues.h"
#include "app/ContentView.h"
#include "app/ScreenCatalog.h"
#include "app/ScreenStrip.h"
#include "app/ScreenTabButton.h"
#include "app/WelcomeScreen.h"
#include "linux/MangoHudOverlay.h"
#include "storage/CleanupSchedule.h"
#include "tuning/FrozenProcessStore.h"
#include "style/GlassModifier.h"
#include "style/GradientButton.h"
#include "style/ScreenWidth.h"
#include "style/SymbolButton.h"

#include <QScrollBar>
#include <QWheelEvent>
#include <csignal>
#include <functional>
#include <memory>

namespace {

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Calls `seen` with the start state of the view at each paint of its backdrop.
class PaintWatch : public QObject {
public:
    PaintWatch(ContentView& view, std::function<void()> seen) : QObject(&view), m_seen(std::move(seen))
    {
        view.findChild<QWidget*>("animatedBackground")->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_seen();
        return false;
    }

private:
    std::function<void()> m_seen;
};

class ListedApplications final : public InstalledApplications {
public:
    explicit ListedApplications(QList<Application> applications) : m_applications(std::move(applications)) {}
    QList<Application> list() override { return m_applications.get(); }
    void install(const Application& application)
    {
        m_applications.with([&](QList<Application>& applications) { applications.append(application); });
    }

private:
    Locked<QList<Application>> m_applications;
};

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

    // One launch of the application: fresh platform objects reading the same user's files.
    std::unique_ptr<ContentView> launch(bool show = true, const std::function<void(FakePlatform&)>& before = {})
    {
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        if (before)
            before(*m_platform);
        auto view = std::make_unique<ContentView>(m_platform->services());
        if (show) {
            view->resize(1000, 650);
            view->show();
            settle();
            // The tests check what the start sequence did.
            static_cast<void>(QTest::qWaitFor([&view] { return view->hasBootstrapped(); }));
        }
        return view;
    }

    static void click(QWidget* widget)
    {
        QVERIFY(widget);
        QTest::mouseClick(widget, Qt::LeftButton);
        settle();
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
        // As at quit: work the view started ends before the services it borrows go.
        WorkQueues::drain();
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
        click(view->findChild<GradientButton*>("getStartedButton"));

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
        for (const ScreenTabButton* tab : strip->buttons())
            QCOMPARE(tab->isSelected(), tab->text() == "Dashboard");
        QCOMPARE(view->detailView()->objectName(), QString("screen:Dashboard"));
    }

    void laterLaunchOpensOnTheDashboard()
    {
        click(launch()->findChild<GradientButton*>("getStartedButton"));
        auto second = launch(false);
        // From the first frame, before the start sequence has run.
        QCOMPARE(second->stateManager().currentState(), AppScreenState::dashboard);
        QVERIFY(second->findChild<ScreenStrip*>("screenStrip"));
        QVERIFY(!second->findChild<WelcomeScreen*>());
        QCOMPARE(second->selectedScreen(), AppScreen::dashboard);
    }

    void stripSelectsAndRebuildsOnlyOnChange()
    {
        FakePlatform(m_dir->path()).completeSetup();
        auto view = launch();
        auto* settingsTab = view->findChild<ScreenTabButton*>("tab:Settings");
        click(settingsTab);
        QCOMPARE(view->selectedScreen(), AppScreen::settings);
        QPointer<QWidget> settings = view->detailView();
        QCOMPARE(settings->objectName(), QString("screen:Settings"));
        QVERIFY(settingsTab->isSelected());

        click(settingsTab);
        QCOMPARE(view->detailView(), settings.data());

        click(view->findChild<ScreenTabButton*>("tab:Dashboard"));
        QVERIFY(settings.isNull());
        QCOMPARE(view->detailView()->objectName(), QString("screen:Dashboard"));
        QCOMPARE(view->findChildren<QWidget*>(QRegularExpression("^screen:")).size(), 1);
    }

    void stripIsReachableAtTheMinimumWidth_data()
    {
        QTest::addColumn<int>("selected"); // index of the selected entry
        QTest::addColumn<int>("wheel");    // vertical wheel turn over an entry; positive turns up
        QTest::addColumn<int>("scrolls");  // -1 towards the start, 0 not at all, 1 towards the end
        const int last = int(AppScreens::allCases().size()) - 1;
        QTest::newRow("first entry, wheel down") << 0 << -120 << 1;
        QTest::newRow("first entry, wheel up at the start") << 0 << 120 << 0;
        QTest::newRow("last entry, wheel up") << last << 120 << -1;
        QTest::newRow("last entry, wheel down at the end") << last << -120 << 0;
    }
    void stripIsReachableAtTheMinimumWidth()
    {
        QFETCH(int, selected);
        QFETCH(int, wheel);
        QFETCH(int, scrolls);
        ScreenStrip strip(AppScreens::allCases().constFirst());
        strip.resize(1000, strip.height());
        strip.show();
        strip.setSelected(AppScreens::allCases().at(selected));
        settle();
        QScrollBar* bar = strip.horizontalScrollBar();
        QVERIFY(bar->maximum() > 0); // the row is wider than the window
        const auto inView = [&strip](const QWidget* entry) {
            const QRect place(entry->mapTo(strip.viewport(), QPoint(0, 0)), entry->size());
            return strip.viewport()->rect().contains(place);
        };
        QVERIFY(inView(strip.buttons().at(selected)));

        const int before = bar->value();
        QWidget* entry = strip.buttons().at(selected);
        const QPointF at = QRectF(entry->rect()).center();
        QWheelEvent turn(at, entry->mapToGlobal(at), QPoint(), QPoint(0, wheel), Qt::NoButton, Qt::NoModifier,
                         Qt::NoScrollPhase, false);
        QApplication::sendEvent(entry, &turn);
        QCOMPARE((bar->value() > before) - (bar->value() < before), scrolls);

        // Choosing another entry brings it into view, wherever the row was scrolled to.
        const int other = selected == 0 ? int(strip.buttons().size()) - 1 : 0;
        strip.setSelected(AppScreens::allCases().at(other));
        QVERIFY(inView(strip.buttons().at(other)));
    }

    void stripShowsAndScrollsItsOverflow_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("overflows");
        QTest::newRow("smallest window") << 1000 << true;
        QTest::newRow("wide window") << 2560 << false;
    }
    // At the smallest width the row runs past the right end: the arrows say so, the forward arrow
    // brings every entry in turn into view down to the last, and the back arrow returns to the first.
    void stripShowsAndScrollsItsOverflow()
    {
        QFETCH(int, width);
        QFETCH(bool, overflows);
        FakePlatform(m_dir->path()).completeSetup();
        auto view = launch(false);
        view->resize(width, 650);
        view->show();
        settle();
        auto* strip = view->findChild<ScreenStrip*>("screenStrip");
        QVERIFY(strip->geometry().right() < view->findChild<QWidget*>("windowControls")->geometry().left());
        QCOMPARE(strip->backArrow()->isVisible(), overflows);
        QCOMPARE(strip->forwardArrow()->isVisible(), overflows);
        const auto wholly = [strip](const QWidget* entry) {
            const QRect place(entry->mapTo(strip->viewport(), QPoint(0, 0)), entry->size());
            return strip->viewport()->rect().contains(place);
        };
        QVERIFY(wholly(strip->buttons().constFirst()));
        QCOMPARE(wholly(strip->buttons().constLast()), !overflows);
        if (!overflows)
            return;
        QVERIFY(!strip->backArrow()->isEnabled());
        for (int clicks = 0; strip->forwardArrow()->isEnabled() && clicks < strip->buttons().size(); ++clicks)
            click(strip->forwardArrow());
        QVERIFY(!strip->forwardArrow()->isEnabled());
        QVERIFY(wholly(strip->buttons().constLast()));
        for (int clicks = 0; strip->backArrow()->isEnabled() && clicks < strip->buttons().size(); ++clicks)
            click(strip->backArrow());
        QVERIFY(wholly(strip->buttons().constFirst()));

        // The selected entry is kept wholly in view, clear of the arrows.
        click(strip->buttons().constLast());
        QVERIFY(wholly(strip->buttons().constLast()));
    }

    void wideWindowsCentreTheScreen_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<int>("width");
        for (const char* screen : {"Dashboard", "Settings", "Assistant", "AI Connect"}) {
            QTest::addRow("%s, smallest window", screen) << screen << 1000;
            QTest::addRow("%s, wide window", screen) << screen << 2560;
        }
    }
    // Cards span the smallest window; on a wide one they stop at 1,200 pixels, centred.
    void wideWindowsCentreTheScreen()
    {
        QFETCH(QString, screen);
        QFETCH(int, width);
        FakePlatform(m_dir->path()).completeSetup();
        auto view = launch(false);
        view->resize(width, 800);
        view->show();
        settle();
        click(view->findChild<ScreenTabButton*>("tab:" + screen));
        settle();
        QWidget* card = nullptr;
        for (GlassModifier* candidate : view->detailView()->findChildren<GlassModifier*>()) {
            if (candidate->isVisible() && (!card || candidate->width() > card->width()))
                card = candidate;
        }
        QVERIFY(card);
        const QRect place(card->mapTo(view.get(), QPoint(0, 0)), card->size());
        QVERIFY2(place.width() <= 1200, qPrintable(QString::number(place.width())));
        // Every screen's cards start at the same margin, so nothing jumps sideways between screens.
        if (width == 1000)
            QCOMPARE(card->mapTo(view->detailView(), QPoint(0, 0)).x(), ScreenWidth::margin);
        // As far from the left edge as from the right, give or take the scroll bar.
        QVERIFY(std::abs(place.left() - (width - 1 - place.right())) <= 20);
    }

    void samplersRunOnlyOnTheMainScreens()
    {
        auto view = launch();
        QVERIFY(!view->monitor().isMonitoring());
        QVERIFY(!view->networkMonitor().isMonitoring());
        click(view->findChild<GradientButton*>("getStartedButton"));
        QVERIFY(view->monitor().isMonitoring());
        QVERIFY(view->networkMonitor().isMonitoring());
        view->shutdownServices();
        QVERIFY(!view->monitor().isMonitoring());
        QVERIFY(!view->networkMonitor().isMonitoring());

        view.reset();
        QVERIFY(launch()->monitor().isMonitoring());
    }

    // Each sampler runs where its readings are shown or recorded, and the application scan where
    // its notices are acted on; the rest rests.
    void samplersFollowWhoNeedsThem_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("minimised");
        QTest::addColumn<bool>("statusItem");
        QTest::addColumn<bool>("recording");
        QTest::addColumn<bool>("autoOptimize");
        QTest::addColumn<bool>("installedGame");
        QTest::addColumn<bool>("system");
        QTest::addColumn<bool>("network");
        QTest::addColumn<bool>("scan");
        // clang-format off
        QTest::newRow("dashboard shown")               << "Dashboard" << false << false << false << false << false << true  << true  << false;
        QTest::newRow("dashboard minimised")           << "Dashboard" << true  << false << false << false << false << false << false << false;
        QTest::newRow("menu bar shown")                << "Menu Bar"  << false << false << false << false << false << true  << false << false;
        QTest::newRow("a screen without readings")     << "Settings"  << false << false << false << false << false << false << false << false;
        QTest::newRow("status item beside a screen")   << "Settings"  << false << true  << false << false << false << true  << false << false;
        QTest::newRow("auto-optimise beside a screen") << "Settings"  << false << false << false << true  << false << false << false << true;
        QTest::newRow("Background Freeze shown")       << "Background Freeze" << false << false << false << false << false << false << false << true;
        QTest::newRow("status item while minimised")   << "Dashboard" << true  << true  << false << false << false << true  << false << false;
        QTest::newRow("recording while minimised")     << "Dashboard" << true  << false << true  << false << false << true  << false << false;
        QTest::newRow("auto-optimise while minimised") << "Dashboard" << true  << false << false << true  << false << false << false << true;
        QTest::newRow("installed game while minimised")<< "Dashboard" << true  << false << false << false << true  << false << false << true;
        QTest::newRow("Background Freeze minimised")   << "Background Freeze" << true << false << false << false << false << false << false << true;
        // clang-format on
    }
    void samplersFollowWhoNeedsThem()
    {
        QFETCH(QString, screen);
        QFETCH(bool, minimised);
        QFETCH(bool, statusItem);
        QFETCH(bool, recording);
        QFETCH(bool, autoOptimize);
        QFETCH(bool, installedGame);
        QFETCH(bool, system);
        QFETCH(bool, network);
        QFETCH(bool, scan);

        auto view = launch(true, [&](FakePlatform& platform) {
            platform.secureStore.writeSecure(SecureLocalStore::setupCompleteKey, QByteArrayLiteral("true"));
            if (installedGame) {
                platform.installedApplications = std::make_shared<ListedApplications>(
                    QList<InstalledApplications::Application>{{"Minecraft", "com.mojang.minecraft", ""}});
            }
        });
        QTRY_COMPARE(view->gameProfileManager().installedGames().isEmpty(), !installedGame);
        const std::optional<AppScreen> shown = AppScreens::fromRawValue(screen);
        QVERIFY(shown);
        view->selectScreen(*shown);
        settle();
        if (statusItem)
            view->menuBarCompanion().enable();
        if (recording)
            view->sessionLogger().startLogging();
        view->screenServices().settingsStore->setAutoOptimize(autoOptimize);
        if (minimised)
            view->setWindowState(Qt::WindowMinimized);
        settle();

        QCOMPARE(view->monitor().isMonitoring(), system);
        QCOMPARE(view->networkMonitor().isMonitoring(), network);
        QCOMPARE(m_platform->workspace->isWatched(), scan);

        // Back on screen, everything the screen shows samples again.
        view->setWindowState(Qt::WindowNoState);
        const ScreenCatalog::Follows follows = ScreenCatalog::follows(*shown);
        QCOMPARE(view->monitor().isMonitoring(), follows.systemReadings || statusItem || recording);
        QCOMPARE(m_platform->workspace->isWatched(), scan);
        if (follows.networkReadings)
            QTRY_VERIFY(view->networkMonitor().isMonitoring());
    }

    // A game installed while the window was minimised is looked for when it comes back, so that its
    // launch is watched for from then on.
    void aGameInstalledWhileMinimisedCountsOnReturn()
    {
        std::shared_ptr<ListedApplications> installed;
        auto view = launch(true, [&](FakePlatform& platform) {
            platform.secureStore.writeSecure(SecureLocalStore::setupCompleteKey, QByteArrayLiteral("true"));
            installed = std::make_shared<ListedApplications>(QList<InstalledApplications::Application>{});
            platform.installedApplications = installed;
        });
        view->selectScreen(AppScreen::settings);
        view->setWindowState(Qt::WindowMinimized);
        WorkQueues::drain();
        settle();
        QVERIFY(!m_platform->workspace->isWatched());

        installed->install({"Minecraft", "com.mojang.minecraft", ""});
        view->setWindowState(Qt::WindowNoState);
        QTRY_COMPARE(view->gameProfileManager().installedGames(), QStringList{"Minecraft"});
        QVERIFY(m_platform->workspace->isWatched());
    }

    // Taken out of its window, which is then destroyed, the view is shown on its own without
    // touching the window that is gone.
    void survivesTheWindowItLeft()
    {
        auto host = std::make_unique<QWidget>();
        auto view = launch(false, [](FakePlatform& platform) {
            platform.secureStore.writeSecure(SecureLocalStore::setupCompleteKey, QByteArrayLiteral("true"));
        });
        view->setParent(host.get());
        host->resize(1000, 650);
        host->show();
        QTRY_VERIFY(view->monitor().isMonitoring());

        view->setParent(nullptr);
        host.reset();
        view->resize(1000, 650);
        view->show();
        view->setWindowState(Qt::WindowMinimized);
        settle();
        QVERIFY(view->isVisible());
    }

    // The start sequence (monitors, the first ping, the launch observer) waits for the first frame; a
    // window that is shown but never painted still starts, and one hidden first does not.
    void startSequenceFollowsTheFirstFrame_data()
    {
        QTest::addColumn<bool>("paintable");
        QTest::addColumn<bool>("hiddenAtOnce");
        QTest::addColumn<bool>("painted");
        QTest::addColumn<bool>("started");
        QTest::newRow("painted") << true << false << true << true;
        QTest::newRow("shown, never painted") << false << false << false << true;
        QTest::newRow("hidden before its frame") << true << true << false << false;
    }

    void startSequenceFollowsTheFirstFrame()
    {
        QFETCH(bool, paintable);
        QFETCH(bool, hiddenAtOnce);
        QFETCH(bool, painted);
        QFETCH(bool, started);
        FakePlatform(m_dir->path()).completeSetup();
        auto view = launch(false);
        view->setFirstFrameWait(50);
        view->resize(1000, 650);
        view->setUpdatesEnabled(paintable);
        QSignalSpy startSignals(view.get(), &ContentView::started);
        std::optional<bool> startedAtFirstPaint;
        new PaintWatch(*view, [&] {
            if (!startedAtFirstPaint)
                startedAtFirstPaint = view->hasBootstrapped() || view->monitor().isMonitoring();
        });
        view->show();
        if (hiddenAtOnce)
            view->hide();
        // Waits past the wait for a frame that does not come.
        QTest::qWait(150);
        settle();
        QCOMPARE(startedAtFirstPaint.has_value(), painted);
        QCOMPARE(startedAtFirstPaint.value_or(false), false);
        QCOMPARE(view->hasBootstrapped(), started);
        QCOMPARE(startSignals.size(), started ? 1 : 0);
        QCOMPARE(view->monitor().isMonitoring(), started);
        QCOMPARE(view->gameProfileManager().isMonitoringLaunches(), started);
    }

    void startResumesWhatACrashedRunLeftPaused()
    {
        // pid 4100 is still the process that was paused; pid 4200 has since been reused.
        auto view = launch(false, [](FakePlatform& platform) {
            platform.processControl->add(4100, 77);
            platform.processControl->add(4200, 99);
            platform.defaults.setValue(FrozenProcessStore::pidsKey, QVariantList{4100, 4200});
            platform.defaults.setValue(FrozenProcessStore::startTimesKey, QVariantMap{{"4100", 77}, {"4200", 55}});
        });
        QList<qint32> resumed;
        for (const auto& call : m_platform->processControl->signalCalls()) {
            if (call.signal == SIGCONT)
                resumed.append(call.pid);
        }
        QCOMPARE(resumed, QList<qint32>{4100});
        QVERIFY(!m_platform->defaults.contains(FrozenProcessStore::pidsKey));
    }

    // The frame limit and HUD a run left behind go at the next start, before anything else; what a
    // run writes goes at its quit, even when the Frame Limiter screen was never opened.
    void startAndQuitTakeBackTheFrameLimitAndHUD()
    {
        const QString folder = m_dir->filePath("MangoHud");
        const QByteArray users = "# mine\r\nfps_limit=75,144\r\nfont_size=20";
        const MangoHudOverlay::Options options{folder, [] { return true; },
                                               [](const QStringList& bundles) {
                                                   return QHash<QString, QStringList>{{bundles.first(), {"game"}}};
                                               },
                                               m_dir->filePath("data/mangohud_files.json")};
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + "/MangoHud.conf");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(users) == users.size());
        file.close();
        const auto contents = [&folder] {
            QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden);
            QFile global(folder + "/MangoHud.conf");
            return std::pair(names, global.open(QIODevice::ReadOnly) ? global.readAll() : QByteArray());
        };
        const auto before = contents();
        const auto leaveLimitAndHUD = [](GameOverlay& run) {
            QVERIFY(run.writeFrameLimit(90).done());
            QCOMPARE(run.writeHUD("com.example.game", true), GameOverlay::HUDWrite::Done);
        };
        {
            MangoHudOverlay earlierRun(options);
            leaveLimitAndHUD(earlierRun);
        }
        QVERIFY(contents() != before);

        std::shared_ptr<GameOverlay> overlay = std::make_shared<MangoHudOverlay>(options);
        auto view = launch(false, [&overlay](FakePlatform& platform) { platform.gameOverlay = overlay; });
        WorkQueues::drain();
        QCOMPARE(contents(), before);

        leaveLimitAndHUD(*overlay);
        QVERIFY(!view->optimizer().frameLimitActive());
        view->shutdownServices();
        QCOMPARE(contents(), before);
    }

    void runningGameGetsItsProfileAtStart()
    {
        auto view = launch(true, [](FakePlatform& platform) {
            platform.workspace->add(FakeWorkspace::application(4300, "Minecraft"));
        });
        QCOMPARE(view->gameProfileManager().activatedProfileID(), QString("minecraft"));
        QVERIFY(view->gameProfileManager().isMonitoringLaunches());
        view->shutdownServices();
        QVERIFY(!view->gameProfileManager().isMonitoringLaunches());
    }

    void autoOptimizeFollowsTheSetting()
    {
        auto view = launch();
        QVERIFY(!view->optimizer().isAutoOptimizeEnabled());
        view->screenServices().settingsStore->setAutoOptimize(true);
        QVERIFY(view->optimizer().isAutoOptimizeEnabled());

        view.reset();
        view = launch(false);
        QVERIFY(!view->optimizer().isAutoOptimizeEnabled());
        view->show();
        QTRY_VERIFY(view->optimizer().isAutoOptimizeEnabled()); // copied in the start sequence
    }

    void minuteCheck_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QDateTime>("lastCleanup"); // invalid: never
        QTest::addColumn<bool>("scans");
        QTest::newRow("at the set minute") << true << QDateTime() << true;
        QTest::newRow("disabled") << false << QDateTime() << false;
        QTest::newRow("already ran today") << true << at(3, 0).addSecs(-5) << false;
        QTest::newRow("ran yesterday") << true << at(3, 0).addDays(-1) << true;
    }
    void minuteCheck()
    {
        QFETCH(bool, enabled);
        QFETCH(QDateTime, lastCleanup);
        QFETCH(bool, scans);
        const QDateTime now = at(3, 0);

        auto view = launch(false);
        SettingsStore& store = *view->screenServices().settingsStore;
        store.setScheduledCleanupEnabled(enabled);
        store.setScheduledCleanupHour(3);
        store.setScheduledCleanupMinute(0);
        const double before = lastCleanup.isValid() ? double(lastCleanup.toMSecsSinceEpoch()) / 1000.0 : 0.0;
        if (lastCleanup.isValid())
            m_platform->defaults.setValue(CleanupSchedule::lastCleanupDateKey, before);

        DiskScanner& scanner = *view->screenServices().scanner;
        view->checkScheduledCleanup(now);

        QCOMPARE(scanner.isScanning(), scans);
        const double stored = m_platform->defaults.number(CleanupSchedule::lastCleanupDateKey).value_or(0);
        QCOMPARE(stored, scans ? double(now.toMSecsSinceEpoch()) / 1000.0 : before);
        if (scans) {
            QTRY_VERIFY(!scanner.isScanning());
            QCOMPARE(scanner.scanMessage(), QString("Scan complete!"));
            // A second check in the same minute finds today's date and starts nothing.
            view->checkScheduledCleanup(now.addSecs(20));
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
        FakePlatform(m_dir->path()).completeSetup();
        auto view = launch(false);
        view->setQuitDelay(50);
        QSignalSpy terminate(view.get(), &ContentView::terminateRequested);
        SettingsStore& store = *view->screenServices().settingsStore;
        store.setScheduledCleanupEnabled(true);
        store.setScheduledCleanupHour(3);
        store.setScheduledCleanupMinute(0);

        // During the pause before the quit the user may still flip a setting, and the minute may come.
        connect(view->screenServices().uninstall, &CleanUninstall::finished, view.get(), [&] {
            store.setAutoOptimize(true);
            store.setLaunchOnStartup(true);
            view->gameProfileManager().addProfile(GameProfile{});
            view->checkScheduledCleanup(at(3, 0));
        });
        view->screenServices().uninstall->start();
        QVERIFY(!view->cleanupTimer().isActive());

        QTRY_COMPARE(terminate.count(), 1);
        QVERIFY(!QFileInfo::exists(m_platform->appSupportDirectory()));
        QVERIFY(!QFileInfo::exists(m_platform->defaultsFile()));
        QVERIFY(!m_platform->defaults.contains(CleanupSchedule::lastCleanupDateKey));
        QVERIFY(!view->screenServices().scanner->isScanning());
        QVERIFY(!QFileInfo::exists(LaunchAgent::entryPath(m_platform->autostartDirectory())));
    }
};

QM_TEST_MAIN(TestContentView)
#include "tst_ContentView.moc"

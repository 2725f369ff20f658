#include "DashboardFixture.h"
#include "DisplayFixture.h"
#include "FakePlatform.h"
#include "FocusSight.h"
#include "ProfilesFixture.h"
#include "TestMain.h"
#include "app/ContentView.h"
#include "app/MainWindow.h"
#include "app/ScreenTabButton.h"
#include "assistant/APIKeyStore.h"
#include "cleanup/DiskScanner.h"
#include "style/AppStyle.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QScopeGuard>

Q_DECLARE_METATYPE(AppScreen)

namespace {

void settle()
{
    // Twice: what the first pass lays out may be followed by what it posts.
    for (int pass = 0; pass < 2; ++pass) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// The application with the platform fakes and fixture data on every screen, driven by the keyboard.
struct Walk {
    explicit Walk(QSize size, bool setupDone = true) : platform(folder.path())
    {
        if (setupDone)
            platform.completeSetup();
        DashboardFixture::fill(platform);
        DisplayFixture::fill(*platform.displayModes);
        ProfilesFixture::fill(platform);
        window = std::make_unique<MainWindow>(platform.services());
        window->resize(size);
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("the window never became active");
        bootstrapped = QTest::qWaitFor([this] { return window->contentView()->hasBootstrapped(); });
        settle();
    }

    void open(AppScreen screen)
    {
        auto* tab = window->findChild<ScreenTabButton*>("tab:" + AppScreens::rawValue(screen));
        QTest::mouseClick(tab, Qt::LeftButton, {}, tab->rect().center());
        settle();
        if (screen == AppScreen::cleaner)
            showCleanupPreview();
    }

    void showCleanupPreview()
    {
        DiskScanner::Published state;
        state.progress = 100;
        state.message = "Scan complete!";
        const QString home = platform.homeDirectory();
        state.recommendations = {
            FileItem::make("cache", home + "/.cache/app", 4096, "cache", 30, {"App cache"}, true),
            FileItem::make("old.zip", home + "/Downloads/old.zip", 8192, "cleanup", 40, {"Unused for 14+ days"}, true),
        };
        window->contentView()->screenServices().scanner->setPublished(state);
        settle();
    }

    void press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* to = QApplication::focusWidget();
        QTest::keyClick(to ? to : window.get(), Qt::Key(key), modifiers);
        settle();
    }

    // Tab from where the focus is round to the first stop again: every stop once, in order, each
    // looked at by `look` as it is reached.
    QList<QWidget*> tabRound(const std::function<void(QWidget*)>& look = {})
    {
        QList<QWidget*> stops;
        for (int i = 0; i < 400; ++i) {
            press(Qt::Key_Tab);
            QWidget* at = QApplication::focusWidget();
            if (!stops.isEmpty() && at == stops.first())
                return stops;
            stops.append(at);
            if (look)
                look(at);
        }
        qWarning("Tab never came back to where it started");
        return {};
    }

    QTemporaryDir folder;
    FakePlatform platform;
    std::unique_ptr<MainWindow> window;
    bool bootstrapped = false;
};

// What keeps `stop` from being seen, once the layouts have settled as a user would see them: data
// arriving late can move a control, and the page follows it a few events later.
QString settledProblem(QWidget& window, QWidget* stop)
{
    QString problem;
    if (QTest::qWaitFor([&] { return (problem = FocusSight::problem(window, stop)).isEmpty(); }, 2000))
        return {};
    return problem;
}

} // namespace

class TestKeyboardWalk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { AppStyle::install(); }

    void everyStopShowsWhole_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<AppScreen>("screen");
        QTest::addColumn<bool>("keySaved");
        for (const QSize size : {QSize(1000, 650), QSize(2560, 1440)}) {
            for (const AppScreen screen : AppScreens::allCases())
                QTest::addRow("%s, %dx%d", qPrintable(AppScreens::rawValue(screen)), size.width(), size.height())
                    << size << screen << false;
            QTest::addRow("AI Connect with a key, %dx%d", size.width(), size.height())
                << size << AppScreen::aiConnect << true;
        }
    }

    // Tab round every screen: it comes back to where it started (no control keeps it), and every
    // stop is in view with the whole ring round it, or the caret in it for a text field.
    void everyStopShowsWhole()
    {
        QFETCH(QSize, size);
        QFETCH(AppScreen, screen);
        QFETCH(bool, keySaved);
        // With a key the chat is open below the settings.
        if (keySaved)
            QVERIFY(APIKeyStore::shared().save("sk-test-key", AIProvider::openAI));
        const auto forget = qScopeGuard([] { APIKeyStore::shared().remove(AIProvider::openAI); });
        Walk walk(size);
        QVERIFY(walk.bootstrapped);
        walk.open(screen);
        QStringList names;
        QStringList problems;
        const QList<QWidget*> stops = walk.tabRound([&](QWidget* stop) {
            names.append(FocusSight::nameOf(stop));
            if (const QString problem = settledProblem(*walk.window, stop); !problem.isEmpty())
                problems.append(FocusSight::nameOf(stop) + ": " + problem);
        });
        QVERIFY(!stops.isEmpty());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        qInfo("%d stops: %s", int(stops.size()), qPrintable(names.join(", ")));
        for (auto* editor : walk.window->findChildren<QPlainTextEdit*>())
            QVERIFY(!editor->toPlainText().contains('\t'));
    }

    void sheetStopsShowWhole_data()
    {
        QTest::addColumn<QString>("opener");
        QTest::newRow("Edit Profile") << "presetGear";
        QTest::newRow("Add Custom Game") << "addCustomGameButton";
    }

    // The profile sheets open on Return, show every stop whole, and close on Escape.
    void sheetStopsShowWhole()
    {
        QFETCH(QString, opener);
        Walk walk(QSize(1000, 650));
        QVERIFY(walk.bootstrapped);
        walk.open(AppScreen::gameProfiles);
        auto* button = walk.window->findChild<QAbstractButton*>(opener);
        button->setFocus(Qt::TabFocusReason);
        walk.press(Qt::Key_Return);
        QDialog* sheet = walk.window->findChild<QDialog*>("profileSheet");
        QVERIFY(sheet && sheet->isVisible());
        QApplication::setActiveWindow(sheet);
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        QStringList problems;
        const QList<QWidget*> stops = walk.tabRound([&](QWidget* stop) {
            if (const QString problem = settledProblem(*sheet, stop); !problem.isEmpty())
                problems.append(FocusSight::nameOf(stop) + ": " + problem);
        });
        QVERIFY(stops.size() >= 3);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
        walk.press(Qt::Key_Escape);
        QTRY_VERIFY(!walk.window->findChild<QDialog*>("profileSheet"));
    }

    void welcomeStartsOnGetStarted()
    {
        Walk walk(QSize(1000, 650), false);
        QWidget* getStarted = walk.window->findChild<QWidget*>("getStartedButton");
        QCOMPARE(QApplication::focusWidget(), getStarted);
        walk.press(Qt::Key_Return);
        QTRY_VERIFY(walk.platform.secureStore.isSetupComplete());
    }

    void tabOrderFollowsThePage_data()
    {
        QTest::addColumn<AppScreen>("screen");
        QTest::addColumn<QString>("earlier");
        QTest::addColumn<QStringList>("later");
        QTest::newRow("DNS tiles, then the reset")
            << AppScreen::optimizers << "provider:" << QStringList{"resetDNSButton"};
        QTest::newRow("preset cards, then adding a game")
            << AppScreen::gameProfiles << "presetCard" << QStringList{"addCustomGameButton"};
        QTest::newRow("category rows, then the buttons below")
            << AppScreen::cleaner << "CleanupPreviewCategoryRow"
            << QStringList{"safeOnlyButton", "clearButton", "cleanSelectedButton"};
    }

    // Controls placed above others come first in the Tab order, whenever each was made.
    void tabOrderFollowsThePage()
    {
        QFETCH(AppScreen, screen);
        QFETCH(QString, earlier);
        QFETCH(QStringList, later);
        Walk walk(QSize(1000, 650));
        walk.open(screen);
        const QList<QWidget*> stops = walk.tabRound();
        QList<int> above;
        QList<int> below;
        for (int i = 0; i < stops.size(); ++i) {
            const QWidget* stop = stops[i];
            if (stop->objectName().startsWith(earlier) || stop->metaObject()->className() == earlier)
                above.append(i);
            if (later.contains(stop->objectName()))
                below.append(i);
        }
        QVERIFY(above.size() >= 2);
        QCOMPARE(below.size(), later.size());
        QVERIFY2(above.last() < below.first(), qPrintable(QString("%1 at %2").arg(earlier).arg(above.last())));
        // In the order they stand.
        QVERIFY(std::is_sorted(below.cbegin(), below.cend()));
    }
};

QM_TEST_MAIN(TestKeyboardWalk)
#include "tst_KeyboardWalk.moc"

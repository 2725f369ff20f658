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
#include "screens/monitoring/DashboardView.h"
#include "app/ScreenStrip.h"
#include "style/AppStyle.h"
#include "style/FocusOrder.h"

#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopeGuard>
#include <QScrollBar>

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

    // The window the user works in now: an open sheet, else the main window, as a window manager
    // activates them.
    QWidget* activate()
    {
        QWidget* sheet = window->findChild<QDialog*>("profileSheet");
        QWidget* active = sheet && sheet->isVisible() ? sheet : window.get();
        QApplication::setActiveWindow(active);
        if (!QTest::qWaitForWindowActive(active))
            qWarning("the window never became active");
        return active;
    }

    // The scrolling page of the screen shown.
    QAbstractScrollArea* page() const
    {
        QAbstractScrollArea* largest = nullptr;
        for (auto* area : window->contentView()->findChildren<QAbstractScrollArea*>()) {
            if (area->isVisible() && !qobject_cast<ScreenStrip*>(area)
                && (!largest || area->viewport()->height() > largest->viewport()->height()))
                largest = area;
        }
        return largest;
    }

    // The Tab stops of `window`, in order.
    static QList<QWidget*> stopsOf(QWidget* window)
    {
        QList<QWidget*> stops;
        for (QWidget* widget : FocusOrder::of(window)) {
            if (widget->isVisible() && widget->isEnabled())
                stops.append(widget);
        }
        return stops;
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

// Whether the page of `screen` has stopped growing: what the screen reads after its first frame has
// come and been laid out, so that its scroll range stays the same over a further turn of the event
// loop. The Dashboard's warnings and cooling card grow with its own monitors' first reads, which a
// loaded machine delivers well after the screen is shown.
bool pageStands(MainWindow& window, AppScreen screen, const QScrollBar& bar)
{
    constexpr int kGenerousMs = 30000;
    if (screen == AppScreen::dashboard) {
        auto* dashboard = qobject_cast<DashboardView*>(window.contentView()->detailView());
        const bool read = dashboard && QTest::qWaitFor([&] {
            return !dashboard->fanMonitor().fanSpeeds().isEmpty() && dashboard->powerHealthMonitor().battery();
        }, kGenerousMs);
        if (!read)
            return false;
    }
    return QTest::qWaitFor([&] {
        const int before = bar.maximum();
        settle();
        return bar.maximum() == before;
    }, kGenerousMs);
}

} // namespace

// An OpenAI key saved for the length of a test when asked for, so that AI Connect shows its chat;
// whatever a test saved is gone after it.
struct TestKey {
    explicit TestKey(bool save) : saved(!save || APIKeyStore::shared().save("sk-test-key", AIProvider::openAI)) {}
    ~TestKey() { APIKeyStore::shared().remove(AIProvider::openAI); }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;
    const bool saved;
};

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
        const TestKey key(keySaved);
        QVERIFY(key.saved);
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

    void pressKeepsFocusOnScreen_data()
    {
        QTest::addColumn<AppScreen>("screen");
        QTest::addColumn<bool>("keySaved");
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QString>("landsOn");
        QTest::newRow("apply a preset card")
            << AppScreen::gameProfiles << false << QStringList{"presetCard"} << "presetCard";
        QTest::newRow("apply a custom row")
            << AppScreen::gameProfiles << false << QStringList{"applyButton"} << "applyButton";
        QTest::newRow("apply the second custom row")
            << AppScreen::gameProfiles << false << QStringList{"applyButton#1"} << "applyButton#1";
        QTest::newRow("deactivate")
            << AppScreen::gameProfiles << false << QStringList{"presetCard", "deactivateButton"} << "presetCard";
        QTest::newRow("save changes in the sheet")
            << AppScreen::gameProfiles << false << QStringList{"presetGear#1", "saveButton"} << "presetGear#1";
        QTest::newRow("connect")
            << AppScreen::aiConnect << false << QStringList{"apiKeyField", "connectButton"} << "draftField";
        QTest::newRow("connect and test")
            << AppScreen::aiConnect << false << QStringList{"apiKeyField", "connectAndTestButton"} << "draftField";
        QTest::newRow("disconnect")
            << AppScreen::aiConnect << true << QStringList{"disconnectButton"} << "apiKeyField";
    }

    // A press that rebuilds or swaps the screen's controls leaves the focus on the control made in
    // the pressed one's place, or the nearest one, on the same screen and with the whole ring;
    // Return goes on acting there. "name#n" is the n-th control of that name in the Tab order.
    void pressKeepsFocusOnScreen()
    {
        QFETCH(AppScreen, screen);
        QFETCH(bool, keySaved);
        QFETCH(QStringList, presses);
        QFETCH(QString, landsOn);
        const TestKey key(keySaved);
        QVERIFY(key.saved);
        Walk walk(QSize(1000, 650));
        QVERIFY(walk.bootstrapped);
        walk.open(screen);
        const auto named = [](QWidget* in, const QString& name) -> QWidget* {
            const QStringList parts = name.split('#');
            const int wanted = parts.size() > 1 ? parts[1].toInt() : 0;
            int seen = 0;
            for (QWidget* stop : Walk::stopsOf(in)) {
                if (stop->objectName() == parts[0] && seen++ == wanted)
                    return stop;
            }
            return nullptr;
        };
        // Which card or row each pressed control was in.
        const auto placeOf = [](const QWidget* control) {
            const QWidget* holder = control->parentWidget();
            return holder->objectName() + holder->property("profileID").toString();
        };
        QHash<QString, QString> places;
        // Nothing scrolls the strip: the focus passes no entry on its way.
        const QScrollBar* strip = walk.window->findChild<ScreenStrip*>()->horizontalScrollBar();
        const int stripScrolled = strip->value();
        for (const QString& name : presses) {
            QWidget* active = walk.activate();
            QWidget* pressed = named(active, name);
            QVERIFY2(pressed, qPrintable(name));
            places.insert(name, placeOf(pressed));
            pressed->setFocus(Qt::TabFocusReason);
            if (auto* field = qobject_cast<QLineEdit*>(pressed))
                QTest::keyClicks(field, "sk-typed-key");
            else
                walk.press(Qt::Key_Return);
            settle();
        }
        QWidget* active = walk.activate();
        QCOMPARE(active, walk.window.get());
        QWidget* expected = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            expected = named(walk.window.get(), landsOn);
            return expected && QApplication::focusWidget() == expected;
        }));
        QVERIFY(!walk.window->findChild<ScreenStrip*>()->isAncestorOf(expected));
        if (places.contains(landsOn))
            QCOMPARE(placeOf(expected), places.value(landsOn));
        const QString problem = settledProblem(*walk.window, expected);
        QVERIFY2(problem.isEmpty(), qPrintable(FocusSight::nameOf(expected) + ": " + problem));
        QCOMPARE(strip->value(), stripScrolled);
    }

    void pageKeysReachEveryLine_data()
    {
        QTest::addColumn<AppScreen>("screen");
        QTest::addColumn<bool>("keySaved");
        QTest::addColumn<QString>("focusOn");
        QTest::addColumn<bool>("pageMoves");
        for (const AppScreen screen : AppScreens::allCases())
            QTest::addRow("%s, from the strip", qPrintable(AppScreens::rawValue(screen)))
                << screen << false << QString() << true;
        QTest::newRow("from a card on the page") << AppScreen::gameProfiles << false << "presetCard" << true;
        QTest::newRow("from the chat's settings") << AppScreen::aiConnect << true << "settingsToggle" << true;
        QTest::newRow("from a text field, which has no use for them")
            << AppScreen::aiConnect << true << "draftField" << true;
        QTest::newRow("a text editor keeps them") << AppScreen::aiConnect << true << "systemPromptEditor" << false;
    }

    // Page Down, pressed again and again, brings the last line of the page into view wherever the
    // focus is; Ctrl+Home goes back to the top and Ctrl+End to the end.
    void pageKeysReachEveryLine()
    {
        QFETCH(AppScreen, screen);
        QFETCH(bool, keySaved);
        QFETCH(QString, focusOn);
        QFETCH(bool, pageMoves);
        const TestKey key(keySaved);
        QVERIFY(key.saved);
        Walk walk(QSize(1000, 650));
        QVERIFY(walk.bootstrapped);
        walk.open(screen);
        // The storage rows come once the machine has been looked at.
        if (screen == AppScreen::system) {
            QTRY_VERIFY(walk.window->findChild<QWidget*>("storageCard"));
            settle();
        }
        // With a key the settings are folded away; unfolded, the page is taller than the window.
        if (keySaved) {
            walk.window->findChild<QAbstractButton*>("settingsToggle")->click();
            settle();
        }
        QAbstractScrollArea* page = walk.page();
        QVERIFY(page);
        QScrollBar* bar = page->verticalScrollBar();
        QVERIFY(pageStands(*walk.window, screen, *bar));
        if (!focusOn.isEmpty()) {
            auto* control = walk.window->findChild<QWidget*>(focusOn);
            QVERIFY(control && control->isVisible());
            control->setFocus(Qt::TabFocusReason);
            bar->setValue(0);
            settle();
        }
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        for (int i = 0; i < 40 && bar->value() < bar->maximum(); ++i)
            walk.press(Qt::Key_PageDown);
        QCOMPARE(QApplication::focusWidget(), focus);
        if (!pageMoves) {
            QVERIFY(bar->maximum() > 0);
            QCOMPARE(bar->value(), 0);
            return;
        }
        QCOMPARE(bar->value(), bar->maximum());
        // The lowest thing on the page is wholly in view.
        QWidget* content = static_cast<QScrollArea*>(page)->widget();
        QRect lowest;
        for (auto* widget : content->findChildren<QWidget*>()) {
            if (widget->isVisible() && widget->height() > 0) {
                const QRect bounds(widget->mapTo(page->viewport(), QPoint(0, 0)), widget->size());
                if (bounds.bottom() > lowest.bottom())
                    lowest = bounds;
            }
        }
        QVERIFY(page->viewport()->rect().contains(lowest));
        walk.press(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(bar->value(), 0);
        walk.press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(bar->value(), bar->maximum());
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

#include "FakeStatusNotifierWatcher.h"
#include "PlayedXEmbedTray.h"
#include "PrivateBus.h"
#include "TestMain.h"
#include "XvfbServer.h"
#include "app/TrayStatusItem.h"
#include "linux/DesktopTrayWatch.h"
#include "linux/StatusNotifierWatch.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <optional>

using namespace std::chrono_literals;
using Watcher = FakeStatusNotifierWatcher;

// Whether a tray is there, learnt from the session bus without waiting on it and from the X
// server, and followed from the watcher's own signals and the X server's selection events.
class TestStatusNotifierWatch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        m_xvfb = std::make_unique<XvfbServer>();
    }
    void cleanupTestCase() { m_xvfb.reset(); }

    void findsEitherTray_data()
    {
        QTest::addColumn<bool>("xembed");
        QTest::addColumn<QString>("bus");
        QTest::addColumn<QString>("change");
        // Before and after the change: the tray there, the bus answering.
        QTest::addColumn<bool>("trayAtStart");
        QTest::addColumn<bool>("trayAfter");
        QTest::addColumn<bool>("answeringAfter");
        QTest::newRow("XEmbed only") << true << "no watcher" << "" << true << true << true;
        QTest::newRow("watcher only") << false << "watcher" << "" << true << true << true;
        QTest::newRow("both") << true << "watcher" << "" << true << true << true;
        QTest::newRow("neither") << false << "no watcher" << "" << false << false << true;
        QTest::newRow("XEmbed tray ends") << true << "no watcher" << "XEmbed ends" << true << false << true;
        QTest::newRow("XEmbed tray ends and comes back")
            << true << "no watcher" << "XEmbed ends and comes back" << true << true << true;
        QTest::newRow("XEmbed tray comes") << false << "no watcher" << "XEmbed comes" << false << true << true;
        QTest::newRow("XEmbed tray ends, watcher stays") << true << "watcher" << "XEmbed ends" << true << true << true;
        QTest::newRow("watcher ends, XEmbed tray stays")
            << true << "watcher" << "watcher ends" << true << true << true;
        QTest::newRow("watcher ends and comes back")
            << false << "watcher" << "watcher ends and comes back" << true << true << true;
        QTest::newRow("no session bus, XEmbed") << true << "missing" << "" << true << true << true;
        QTest::newRow("no session bus, no tray") << false << "missing" << "" << false << false << true;
        QTest::newRow("no session bus, XEmbed tray ends")
            << true << "missing" << "XEmbed ends" << true << false << true;
        QTest::newRow("bus stops, XEmbed stays") << true << "watcher" << "bus stops" << true << true << false;
        // An answer asked for before the bus stopped does not tell whether it answers now.
        QTest::newRow("bus stops while an answer is on its way")
            << true << "no watcher" << "answer on its way, bus stops" << true << true << false;
        // The icons stay with the kind of tray their first one found.
        QTest::newRow("icon in the watcher's tray, watcher ends, XEmbed tray stays")
            << true << "watcher" << "icon made, watcher ends" << true << false << true;
        QTest::newRow("icon in the watcher's tray, watcher ends and comes back")
            << true << "watcher" << "icon made, watcher ends, watcher comes" << true << true << true;
        QTest::newRow("icon in the watcher's tray, XEmbed tray ends")
            << true << "watcher" << "icon made, XEmbed ends" << true << true << true;
        QTest::newRow("icon in the XEmbed tray, watcher comes, XEmbed tray ends")
            << true << "no watcher" << "icon made, watcher comes, XEmbed ends" << true << false << true;
        QTest::newRow("icon in the XEmbed tray, watcher comes, XEmbed tray ends and comes back")
            << true << "no watcher" << "icon made, watcher comes, XEmbed ends and comes back" << true << true << true;
        QTest::newRow("icon in the XEmbed tray beside a watcher without a host, host registers, XEmbed tray ends")
            << true << "idle watcher" << "icon made, host registers, XEmbed ends" << true << false << true;
        // Its daemon starts, at the address announced, after the watch first asked.
        QTest::newRow("session bus comes up late, with a watcher")
            << false << "missing" << "bus comes with a watcher" << false << true << true;
        QTest::newRow("session bus comes up late, with a watcher, icon in the XEmbed tray")
            << true << "missing" << "icon made, bus comes with a watcher, XEmbed ends" << true << false << true;
        // An icon in the XEmbed tray is a window of our own: it needs no bus to go.
        QTest::newRow("icon in the XEmbed tray, bus stops, icon removed")
            << true << "no watcher" << "icon made, bus stops, icon goes at once" << true << true << false;
        QTest::newRow("icon in the watcher's tray, bus stops, icon removed, its Quit chosen")
            << true << "watcher" << "icon made, bus stops, icon waits for the bus, Quit chosen, bus answers"
            << true << true << true;
        QTest::newRow("icon in the watcher's tray removed, the watch goes first")
            << true << "watcher" << "icon made, watch goes first" << true << true << true;
    }
    // A tray is there when the session bus's watcher has a host or an XEmbed tray owns the screen's
    // tray selection; a missing session bus is an answer, one that stops is not. Once an icon is
    // made, only the kind of tray it went to counts.
    void findsEitherTray()
    {
        QFETCH(bool, xembed);
        QFETCH(QString, bus);
        QFETCH(QString, change);
        QFETCH(bool, trayAtStart);
        QFETCH(bool, trayAfter);
        QFETCH(bool, answeringAfter);
        if (!m_xvfb->isRunning())
            QSKIP(qPrintable("no X server to play a tray on: " + m_xvfb->errorString()));
        PrivateBus session;
        QVERIFY2(session.isRunning(), qPrintable(session.errorString()));
        Watcher* watcher = nullptr;
        if (bus == "watcher" || bus == "idle watcher") {
            watcher = new Watcher(bus == "watcher");
            QVERIFY(session.serve(Watcher::name, Watcher::path, watcher));
        }
        PlayedXEmbedTray tray(m_xvfb->display());
        QVERIFY(tray.isConnected());
        if (xembed)
            tray.start();
        const QString socket = m_folder.filePath("bus-" + QString::number(++m_rows));
        const QString address = bus == "missing" ? "unix:path=" + socket : session.address();
        const LazyBusConnection connection = LazyBusConnection::toAddress(address, 1s, {.first = 10ms, .longest = 100ms});
        std::optional<PrivateBus> late;
        auto busWatch = std::make_shared<StatusNotifierWatch>(connection, StatusNotifierWatch::Options{});
        auto xembedWatch = std::make_shared<XEmbedTrayWatch>(m_xvfb->display());
        auto desktopWatch = std::make_shared<DesktopTrayWatch>(busWatch, xembedWatch);
        DesktopTrayWatch& watch = *desktopWatch;
        QTRY_VERIFY(xembedWatch->hasAnswered());
        QTRY_VERIFY(watch.isAnswering());
        QTRY_COMPARE(busWatch->isHostPresent(), bus == "watcher");
        QTRY_COMPARE(watch.isHostPresent(), trayAtStart);
        QCOMPARE(xembedWatch->isPresent(), xembed);

        // Each change is told, and only a change of the tray or of the bus is.
        QSignalSpy changed(&watch, &StatusAreaWatcher::changed);
        std::unique_ptr<TrayStatusItem> item;
        QPointer<const QSystemTrayIcon> icon;
        QPointer<QMenu> menu;
        for (const QString& step : change.split(", ", Qt::SkipEmptyParts)) {
            if (step == "icon made") {
                item = std::make_unique<TrayStatusItem>(desktopWatch);
                item->setMenu({{StatusItem::MenuEntry::Kind::Quit, "Quit"}});
                QTRY_VERIFY(item->trayIcon());
            } else if (step.startsWith("XEmbed ends")) {
                tray.end();
                QTRY_VERIFY(!xembedWatch->isPresent());
            } else if (step == "XEmbed comes") {
                tray.start();
            } else if (step == "bus comes with a watcher") {
                late.emplace(socket);
                QVERIFY2(late->isRunning(), qPrintable(late->errorString()));
                QVERIFY(late->serve(Watcher::name, Watcher::path, new Watcher(true)));
                QTRY_VERIFY(busWatch->isHostPresent());
            } else if (step == "watcher comes") {
                QVERIFY(session.serve(Watcher::name, Watcher::path, new Watcher(true)));
                QTRY_VERIFY(busWatch->isHostPresent());
            } else if (step == "host registers") {
                watcher->setHostRegistered(true);
                QVERIFY(session.emitSignal(Watcher::name, Watcher::hostSignal(true)));
                QTRY_VERIFY(busWatch->isHostPresent());
            } else if (step.startsWith("watcher ends")) {
                session.withdraw(Watcher::name);
                QTRY_VERIFY(!busWatch->isHostPresent());
            } else if (step == "answer on its way") {
                QObject context;
                watch.afterNextAnswer(&context, [] {});
                // Asked after the watch's question on the same connection, so once this is back
                // the daemon has answered that question too, and the answer waits on this thread.
                const QDBusMessage id = connection.call(
                    QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                   "org.freedesktop.DBus", "GetId"),
                    10s);
                QCOMPARE(id.type(), QDBusMessage::ReplyMessage);
            } else if (step == "bus stops") {
                session.pause();
                QObject context;
                watch.afterNextAnswer(&context, [] {});
                QTRY_VERIFY(!watch.isAnswering());
            } else if (step.startsWith("icon goes") || step.startsWith("icon waits") || step == "watch goes first") {
                icon = item->trayIcon();
                menu = item->menu();
                item.reset();
                const bool atOnce = step == "icon goes at once";
                QCOMPARE(icon.isNull(), atOnce);
                QTRY_COMPARE(menu.isNull(), atOnce);
            } else if (step == "Quit chosen") {
                // The item is gone, so the application's own quit has to end the event loop.
                QTimer::singleShot(5s, menu, [] { QCoreApplication::exit(1); });
                QTimer::singleShot(0, menu->actions().constLast(), &QAction::trigger);
                QCOMPARE(QCoreApplication::exec(), 0);
            } else if (step == "bus answers") {
                session.resume();
                QTRY_VERIFY(!icon);
                QVERIFY(!menu);
            }
            if (step == "watch goes first") {
                busWatch.reset();
                xembedWatch.reset();
                desktopWatch.reset();
                QVERIFY(!icon);
                QVERIFY(!menu);
                return;
            }
            if (step == "XEmbed ends and comes back")
                tray.start();
            else if (step == "watcher ends and comes back")
                QVERIFY(session.serve(Watcher::name, Watcher::path, new Watcher(true)));
        }
        QTRY_COMPARE(watch.isAnswering(), answeringAfter);
        QTRY_COMPARE(watch.isHostPresent(), trayAfter);
        QCOMPARE(watch.isAvailable(), trayAfter && answeringAfter);
        QCOMPARE(changed.isEmpty(), change.isEmpty());
        session.resume();
    }

    void xembedWatchWithoutADisplay_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("no display") << QByteArray();
        QTest::newRow("a display no server holds") << QByteArray(":65000");
    }
    // Without an X server to ask, the answer is that no XEmbed tray runs.
    void xembedWatchWithoutADisplay()
    {
        QFETCH(QByteArray, display);
        XEmbedTrayWatch watch(display);
        QTRY_VERIFY(watch.hasAnswered());
        QVERIFY(!watch.isPresent());
    }

    void followsTheTrayAndTheBus_data()
    {
        QTest::addColumn<bool>("served");
        QTest::addColumn<bool>("hostAtStart");
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("hostAfter");
        QTest::addColumn<bool>("answeringAfter");
        QTest::newRow("host registers") << true << false << "host registers" << true << true;
        QTest::newRow("host unregisters") << true << true << "host unregisters" << false << true;
        QTest::newRow("watcher leaves") << true << true << "watcher leaves" << false << true;
        QTest::newRow("watcher comes") << false << false << "watcher comes" << true << true;
        QTest::newRow("bus stops") << true << true << "bus stops" << true << false;
        QTest::newRow("bus stops, no tray") << false << false << "bus stops" << false << false;
    }
    void followsTheTrayAndTheBus()
    {
        QFETCH(bool, served);
        QFETCH(bool, hostAtStart);
        QFETCH(QString, change);
        QFETCH(bool, hostAfter);
        QFETCH(bool, answeringAfter);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        Watcher* watcher = served ? new Watcher(hostAtStart) : nullptr;
        if (watcher)
            QVERIFY(bus.serve(Watcher::name, Watcher::path, watcher));
        // Long enough that a loaded machine answers the first round trips (the poll never asks
        // again) within it, short enough that a stopped bus shows within QTRY's wait.
        const LazyBusConnection connection = LazyBusConnection::toAddress(bus.address(), 1s);
        StatusNotifierWatch watch(connection, {.answerLimit = 1s});
        QTRY_VERIFY(watch.isAnswering());
        QTRY_COMPARE(watch.isHostPresent(), hostAtStart);

        bool answered = false;
        QObject context;
        if (change == "host registers" || change == "host unregisters") {
            watcher->setHostRegistered(hostAfter);
            QVERIFY(bus.emitSignal(Watcher::name, Watcher::hostSignal(hostAfter)));
        } else if (change == "watcher leaves") {
            bus.withdraw(Watcher::name);
        } else if (change == "watcher comes") {
            QVERIFY(bus.serve(Watcher::name, Watcher::path, new Watcher(true)));
        } else if (change == "bus stops") {
            bus.pause();
            watch.afterNextAnswer(&context, [&] { answered = true; });
        }
        QTRY_COMPARE(watch.isAnswering(), answeringAfter);
        QTRY_COMPARE(watch.isHostPresent(), hostAfter);
        QCOMPARE(watch.isAvailable(), hostAfter && answeringAfter);
        if (change != "bus stops")
            return;
        // What waits for an answer runs once the bus gives one, not before.
        QVERIFY(!answered);
        bus.resume();
        QTRY_VERIFY(answered);
        QVERIFY(watch.isAnswering());
        QCOMPARE(watch.isHostPresent(), served);
    }

private:
    std::unique_ptr<XvfbServer> m_xvfb;
    QTemporaryDir m_folder;
    int m_rows = 0;
};

QM_TEST_MAIN(TestStatusNotifierWatch)
#include "tst_StatusNotifierWatch.moc"

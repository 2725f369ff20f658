#include "PrivateBus.h"
#include "TestMain.h"
#include "linux/LazyBusConnection.h"

#include <QDBusMessage>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace {

QDBusMessage busId()
{
    return QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId");
}

// The id a daemon gives itself, which tells which bus answered.
QString idOf(const QDBusMessage& reply)
{
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() ? reply.arguments().first().toString()
                                                                                       : QString();
}

} // namespace

// The process's system and session buses are two private buses of the test's own, so that each
// row can tell whether, and on which bus, a connection was made.
class TestLazyBusConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(m_system.isRunning(), qPrintable(m_system.errorString()));
        QVERIFY2(m_session.isRunning(), qPrintable(m_session.errorString()));
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_system.address().toUtf8());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_session.address().toUtf8());
        m_systemProbe = m_system.connect();
        m_sessionProbe = m_session.connect();
    }

    // Each default bus connects once in a process, so each row uses a bus the rows before left alone.
    void connectsOnFirstUse_data()
    {
        QTest::addColumn<QString>("bus");
        QTest::addColumn<bool>("fromWorker");
        QTest::newRow("a connection already made is the one used") << "given" << false;
        QTest::newRow("the system bus, asked from the main thread") << "system" << false;
        QTest::newRow("the session bus, asked from a worker") << "session" << true;
    }

    void connectsOnFirstUse()
    {
        QFETCH(QString, bus);
        QFETCH(bool, fromWorker);
        const QDBusConnection given = m_system.connect();
        const int systemBefore = clients(m_systemProbe);
        const int sessionBefore = clients(m_sessionProbe);
        const LazyBusConnection lazy = bus == "given"    ? LazyBusConnection(given)
                                       : bus == "system" ? LazyBusConnection::system()
                                                         : LazyBusConnection::session();
        const LazyBusConnection copy = lazy;
        QCOMPARE(clients(m_systemProbe), systemBefore);
        QCOMPARE(clients(m_sessionProbe), sessionBefore);

        QString id;
        if (fromWorker) {
            id = idOf(QtConcurrent::run([copy] { return copy.call(busId(), std::chrono::seconds(30)); }).result());
        } else {
            int answers = 0;
            copy.callAsync(busId(), std::chrono::seconds(30), this, [&](const QDBusMessage& reply) {
                ++answers;
                id = idOf(reply);
            });
            QTRY_COMPARE(answers, 1);
        }
        QCOMPARE(id, idOf((bus == "session" ? m_sessionProbe : m_systemProbe).call(busId())));
        QCOMPARE(clients(m_systemProbe), systemBefore + (bus == "system" ? 1 : 0));
        QCOMPARE(clients(m_sessionProbe), sessionBefore + (bus == "session" ? 1 : 0));
        // The copy shares the connection.
        QCOMPARE(idOf(QtConcurrent::run([lazy] { return lazy.call(busId(), std::chrono::seconds(30)); }).result()), id);
        QCOMPARE(clients(m_systemProbe), systemBefore + (bus == "system" ? 1 : 0));
    }

    // A daemon that answers nothing, not even the greeting of the connection: every caller gets its
    // time-out, and the main thread's answer that comes once the daemon is back goes to the late
    // handler, once.
    void aBusThatDoesNotAnswerEndsEveryCallInTime()
    {
        PrivateBus frozen;
        QVERIFY2(frozen.isRunning(), qPrintable(frozen.errorString()));
        frozen.pause();
        const LazyBusConnection lazy = LazyBusConnection::toAddress(frozen.address(), std::chrono::milliseconds(100));

        const QDBusMessage blocked =
            QtConcurrent::run([lazy] { return lazy.call(busId(), std::chrono::seconds(30)); }).result();
        QVERIFY(LazyBusConnection::isTimeout(blocked));

        QList<QDBusMessage> answers;
        QList<QDBusMessage> late;
        lazy.callAsync(
            busId(), std::chrono::seconds(30), this, [&](const QDBusMessage& reply) { answers.append(reply); },
            [&](const QDBusMessage& reply) { late.append(reply); });
        QTRY_COMPARE(answers.size(), 1);
        QVERIFY(LazyBusConnection::isTimeout(answers.first()));
        QVERIFY(late.isEmpty());

        frozen.resume();
        QTRY_COMPARE(late.size(), 1);
        QCOMPARE(late.first().type(), QDBusMessage::ReplyMessage);
        QCOMPARE(answers.size(), 1);
    }

    // An answer for an object that is gone is nobody's: it goes to the late handler.
    void anAnswerOutlivingItsContextGoesToTheLateHandler()
    {
        const LazyBusConnection lazy(m_system.connect());
        auto context = std::make_unique<QObject>();
        int answers = 0;
        QList<QDBusMessage> late;
        lazy.callAsync(
            busId(), std::chrono::seconds(30), context.get(), [&](const QDBusMessage&) { ++answers; },
            [&](const QDBusMessage& reply) { late.append(reply); });
        context.reset();
        QTRY_COMPARE(late.size(), 1);
        QCOMPARE(late.first().type(), QDBusMessage::ReplyMessage);
        QCOMPARE(answers, 0);
    }

    // Each call is ended once, by its answer or by its time-out, and its time-out goes with it. A
    // call with a late handler gets its real answer even when that comes after the time-out the
    // caller gave, as an acquiring call must, to give back what it got.
    void eachCallEndsOnceAndLeavesNoTimer_data()
    {
        QTest::addColumn<bool>("stopped"); // the daemon answers only after the time-out
        QTest::addColumn<bool>("withLate");
        QTest::addColumn<bool>("lateReply"); // the late handler got the bus's real answer
        QTest::newRow("answered in time") << false << true << false;
        QTest::newRow("answered in time, no late handler") << false << false << false;
        QTest::newRow("answered late") << true << true << true;
        QTest::newRow("answered late, no late handler") << true << false << false;
    }

    void eachCallEndsOnceAndLeavesNoTimer()
    {
        QFETCH(bool, stopped);
        QFETCH(bool, withLate);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        // No limit of its own: the time-out given is the only one, as for the standard buses.
        const LazyBusConnection lazy(bus.connect());
        const QString id = idOf(bus.connect().call(busId()));
        if (stopped)
            bus.pause();
        QObject context;
        QList<QDBusMessage> answers;
        QList<QDBusMessage> late;
        lazy.callAsync(
            busId(), std::chrono::milliseconds(stopped ? 50 : 60'000), &context,
            [&](const QDBusMessage& reply) { answers.append(reply); },
            withLate ? LazyBusConnection::Reply([&](const QDBusMessage& reply) { late.append(reply); })
                     : LazyBusConnection::Reply());
        const QList<QTimer*> pending = context.findChildren<QTimer*>();
        QCOMPARE(pending.size(), 1);
        QVERIFY(pending.first()->isActive());

        QTRY_COMPARE(answers.size(), 1);
        // Without a late handler QtDBus's own time-out may come first.
        QCOMPARE(answers.first().type() == QDBusMessage::ErrorMessage, stopped);
        if (!stopped)
            QCOMPARE(idOf(answers.first()), id);
        QTRY_VERIFY(context.findChildren<QTimer*>().isEmpty());

        bus.resume();
        // Asked after the call: its answer, if any, has come back by the time this one has.
        QCOMPARE(idOf(QtConcurrent::run([lazy] { return lazy.call(busId(), std::chrono::seconds(30)); }).result()), id);
        QCoreApplication::processEvents();
        QFETCH(bool, lateReply);
        QTRY_COMPARE(late.size(), lateReply ? 1 : 0);
        if (lateReply)
            QCOMPARE(idOf(late.first()), id);
        QCOMPARE(answers.size(), 1);
    }

private:
    // The clients the bus daemon has, each under its unique name.
    static int clients(const QDBusConnection& probe)
    {
        const QDBusMessage reply = probe.call(QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames"));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return -1;
        const QStringList names = reply.arguments().constFirst().toStringList();
        return int(std::count_if(names.cbegin(), names.cend(), [](const QString& name) { return name.startsWith(':'); }));
    }

    PrivateBus m_system;
    PrivateBus m_session;
    QDBusConnection m_systemProbe{QString()};
    QDBusConnection m_sessionProbe{QString()};
};

QM_TEST_MAIN(TestLazyBusConnection)
#include "tst_LazyBusConnection.moc"

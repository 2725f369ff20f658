#include "PrivateBus.h"
#include "TestMain.h"
#include "linux/LazyBusConnection.h"

#include <QDBusMessage>
#include <QtConcurrent/QtConcurrentRun>

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
        QTest::addColumn<bool>("onWorker");
        QTest::newRow("a connection already made is the one used") << "given" << false;
        QTest::newRow("the system bus, first used on the main thread") << "system" << false;
        QTest::newRow("the session bus, first used on a worker") << "session" << true;
    }

    void connectsOnFirstUse()
    {
        QFETCH(QString, bus);
        QFETCH(bool, onWorker);
        const QDBusConnection given = m_system.connect();
        const int systemBefore = clients(m_systemProbe);
        const int sessionBefore = clients(m_sessionProbe);
        const LazyBusConnection lazy = bus == "given"    ? LazyBusConnection(given)
                                       : bus == "system" ? LazyBusConnection::system()
                                                         : LazyBusConnection::session();
        const LazyBusConnection copy = lazy;
        QCOMPARE(clients(m_systemProbe), systemBefore);
        QCOMPARE(clients(m_sessionProbe), sessionBefore);

        const QString unique = onWorker ? QtConcurrent::run([copy] { return copy->baseService(); }).result()
                                        : copy->baseService();
        QVERIFY(lazy->isConnected());
        QCOMPARE(lazy->baseService(), unique);
        if (bus == "given")
            QCOMPARE(lazy->name(), given.name());
        QCOMPARE(clients(m_systemProbe), systemBefore + (bus == "system" ? 1 : 0));
        QCOMPARE(clients(m_sessionProbe), sessionBefore + (bus == "session" ? 1 : 0));
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

#include "PrivateBus.h"
#include "TestMain.h"

#include <QDBusContext>
#include <QDBusMessage>

namespace {

const QString kService = QStringLiteral("org.quillmarsh.Echo");
const QString kPath = QStringLiteral("/echo");
const QString kInterface = QStringLiteral("org.quillmarsh.Echo");

class Echo : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.quillmarsh.Echo")
public slots:
    QString say(const QString& words) { return words; }
    void refuse() { sendErrorReply(QStringLiteral("org.quillmarsh.Error.Refused"), QStringLiteral("no")); }
};

} // namespace

class TestPrivateBus : public QObject {
    Q_OBJECT
private slots:
    void servedObjectsAnswer_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<bool>("withdrawn");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("reply");
        QTest::newRow("answer") << "say" << false << "" << "hello";
        QTest::newRow("error reply") << "refuse" << false << "org.quillmarsh.Error.Refused" << "";
        QTest::newRow("withdrawn service") << "say" << true << "org.freedesktop.DBus.Error.ServiceUnknown" << "";
    }

    void servedObjectsAnswer()
    {
        QFETCH(QString, method);
        QFETCH(bool, withdrawn);
        QFETCH(QString, error);
        QFETCH(QString, reply);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        QVERIFY(bus.serve(kService, kPath, new Echo));
        if (withdrawn)
            bus.withdraw(kService);

        // A blocking call from this thread: answered only because the service lives elsewhere.
        QDBusConnection client = bus.connect();
        QVERIFY(client.isConnected());
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
        if (method == "say")
            call << QStringLiteral("hello");
        const QDBusMessage answer = client.call(call);
        QCOMPARE(answer.errorName(), error);
        QCOMPARE(answer.arguments().value(0).toString(), reply);
    }

    void busesAreSeparate()
    {
        PrivateBus first;
        PrivateBus second;
        QVERIFY2(first.isRunning() && second.isRunning(), qPrintable(first.errorString() + second.errorString()));
        QVERIFY(first.address() != second.address());
        QVERIFY(first.serve(kService, kPath, new Echo));
        QVERIFY(second.connect().interface()->isServiceRegistered(kService).value() == false);
        QVERIFY(first.connect().interface()->isServiceRegistered(kService).value());
    }
};

QM_TEST_MAIN(TestPrivateBus)
#include "tst_PrivateBus.moc"

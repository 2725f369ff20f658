#include "PrivateBus.h"
#include "ScriptedDBusObject.h"
#include "TestMain.h"

#include <QDBusConnectionInterface>
#include <QDBusContext>
#include <QDBusMessage>
#include <QPointer>

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
        if (error.isEmpty())
            QCOMPARE(answer.arguments().value(0).toString(), reply);
    }

    void scriptedObjectsAnswer_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::addColumn<QString>("member");
        QTest::addColumn<QVariantList>("arguments");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QVariant>("reply");
        const QString properties = "org.freedesktop.DBus.Properties";
        QTest::newRow("scripted answer") << kInterface << "say" << QVariantList{} << "" << QVariant("scripted");
        QTest::newRow("scripted refusal") << kInterface << "refuse" << QVariantList{} << "org.quillmarsh.Error.Refused" << QVariant();
        QTest::newRow("unscripted method") << kInterface << "other" << QVariantList{} << "org.freedesktop.DBus.Error.UnknownMethod"
                                           << QVariant();
        QTest::newRow("property") << properties << "Get" << QVariantList{kInterface, "Name"} << ""
                                  << QVariant::fromValue(QDBusVariant(QStringLiteral("echo")));
        QTest::newRow("unknown property") << properties << "Get" << QVariantList{kInterface, "Other"}
                                          << "org.freedesktop.DBus.Error.UnknownProperty" << QVariant();
    }

    void scriptedObjectsAnswer()
    {
        QFETCH(QString, interface);
        QFETCH(QString, member);
        QFETCH(QVariantList, arguments);
        QFETCH(QString, error);
        QFETCH(QVariant, reply);
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        auto* echo = new ScriptedDBusObject;
        echo->answer(kInterface, "say", {QStringLiteral("scripted")});
        echo->refuse(kInterface, "refuse", "org.quillmarsh.Error.Refused", "no");
        echo->setValue(kInterface, "Name", QStringLiteral("echo"));
        QVERIFY(bus.serve(kService, kPath, echo));

        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, interface, member);
        call.setArguments(arguments);
        const QDBusMessage answer = bus.connect().call(call);
        QCOMPARE(answer.errorName(), error);
        QCOMPARE(echo->calls(member).size(), 1);
        if (!error.isEmpty())
            return;
        const QVariant first = answer.arguments().value(0);
        QCOMPARE(first.canConvert<QDBusVariant>() ? qvariant_cast<QDBusVariant>(first).variant() : first,
                 reply.canConvert<QDBusVariant>() ? qvariant_cast<QDBusVariant>(reply).variant() : reply);
    }

    // A parented object is refused and stays its parent's.
    void parentedObjectsAreRefused()
    {
        PrivateBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.errorString()));
        QObject parent;
        QPointer<Echo> echo = new Echo;
        echo->setParent(&parent);
        QVERIFY(!bus.serve(kService, kPath, echo));
        QVERIFY(echo);
        QCOMPARE(parent.children(), QObjectList{echo.data()});
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

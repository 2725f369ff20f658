#include "FakeDefaults.h"
#include "FakeProcessRunner.h"
#include "TestMain.h"
#include "storage/AppSettings.h"
#include "storage/CleanupSchedule.h"
#include "storage/ColorBlindMode.h"
#include "storage/LaunchAgent.h"
#include "storage/SecureLocalStore.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <limits>
#include <memory>

namespace {

const QByteArray kValidJson = R"({"launchOnStartup":true,"autoOptimize":true,"colorBlindMode":false,)"
                              R"("scheduledCleanupEnabled":true,"scheduledCleanupFrequency":"weekly",)"
                              R"("scheduledCleanupHour":22,"scheduledCleanupMinute":15})";

QByteArray replaced(const QString& key, const QJsonValue& value)
{
    QJsonObject o = QJsonDocument::fromJson(kValidJson).object();
    if (value.isUndefined())
        o.remove(key);
    else
        o.insert(key, value);
    return QJsonDocument(o).toJson();
}

// 2026-12-06 is a Sunday.
QDateTime at(int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
}

double secondsOf(const QDateTime& t)
{
    return double(t.toMSecsSinceEpoch()) / 1000.0;
}

} // namespace

class TestAppSettings : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_home;
    std::unique_ptr<FakeDefaults> m_defaults;
    std::unique_ptr<FakeProcessRunner> m_runner;
    std::unique_ptr<SecureLocalStore> m_secure;
    std::unique_ptr<LaunchAgent> m_agent;

    std::unique_ptr<SettingsStore> makeStore()
    {
        return std::make_unique<SettingsStore>(*m_secure, *m_defaults, *m_agent);
    }
    QJsonObject storedJson() const
    {
        return QJsonDocument::fromJson(m_secure->readSecure("app_settings").value_or(QByteArray())).object();
    }

private slots:
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        m_defaults = std::make_unique<FakeDefaults>();
        m_runner = std::make_unique<FakeProcessRunner>();
        m_secure = std::make_unique<SecureLocalStore>(*m_defaults, m_home->path() + "/data/Quillmarsh/.secure");
        m_agent = std::make_unique<LaunchAgent>(*m_runner, m_home->path(), "/opt/Quillmarsh/quillmarsh");
        ColorBlindMode::setEnabled(false);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<qint64>("hour"); // -1: the record does not decode
        QTest::newRow("complete") << kValidJson << qint64(22);
        QTest::newRow("extra keys ignored") << replaced("somethingElse", 1) << qint64(22);
        QTest::newRow("missing key") << replaced("autoOptimize", QJsonValue::Undefined) << qint64(-1);
        QTest::newRow("fractional hour") << replaced("scheduledCleanupHour", 3.5) << qint64(-1);
        QTest::newRow("hour as string") << replaced("scheduledCleanupHour", "3") << qint64(-1);
        QTest::newRow("an hour wider than 32 bits is an integer")
            << replaced("scheduledCleanupHour", qint64(1) << 40) << (qint64(1) << 40);
        QTest::newRow("the widest integer stays exact")
            << QByteArray(kValidJson).replace(":22,", ":9223372036854775807,") << qint64(9223372036854775807);
        QTest::newRow("too wide a minute") << replaced("scheduledCleanupMinute", 1e20) << qint64(-1);
        QTest::newRow("an hour beyond the widest integer") << QByteArray(kValidJson).replace(":22,", ":9223372036854775808,")
                                                           << qint64(-1);
        QTest::newRow("bool as number") << replaced("colorBlindMode", 1) << qint64(-1);
        QTest::newRow("not an object") << QByteArray("[1,2]") << qint64(-1);
    }

    void decoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(qint64, hour);
        const auto settings = AppSettings::fromJson(json);
        QCOMPARE(settings.has_value(), hour >= 0);
        if (settings) {
            QCOMPARE(settings->scheduledCleanupFrequency, QString("weekly"));
            QCOMPARE(settings->scheduledCleanupHour, hour);
            QCOMPARE(AppSettings::fromJson(settings->toJson()), settings);
        }
    }

    void badRecordLoadsDefaultsAndStaysUntilAChange()
    {
        m_secure->writeSecure("app_settings", replaced("scheduledCleanupHour", 3.5));
        auto store = makeStore();
        QCOMPARE(store->settings(), AppSettings{});
        QCOMPARE(storedJson().value("scheduledCleanupHour").toDouble(), 3.5);
        store->setAutoOptimize(true);
        QCOMPARE(storedJson().value("scheduledCleanupHour").toInt(), 3);
        QCOMPARE(storedJson().keys().size(), 7);
    }

    void firstRunThenEveryChangeIsSavedAndSurvivesARestart()
    {
        auto store = makeStore();
        QCOMPARE(store->settings(), AppSettings{});
        QCOMPARE(store->scheduledCleanupFrequency(), QString("daily"));
        QCOMPARE(store->scheduledCleanupHour(), 3);
        QVERIFY(!m_secure->readSecure("app_settings"));

        QSignalSpy changed(store.get(), &SettingsStore::changed);
        QSignalSpy autoOptimize(store.get(), &SettingsStore::autoOptimizeChanged);
        store->setAutoOptimize(true);
        store->setScheduledCleanupEnabled(true);
        store->setScheduledCleanupFrequency("weekly");
        store->setScheduledCleanupHour(23);
        store->setScheduledCleanupMinute(59);
        store->setScheduledCleanupMinute(59);
        QCOMPARE(changed.count(), 6);
        QCOMPARE(autoOptimize.count(), 1);
        const AppSettings expected{false, true, false, true, "weekly", 23, 59};
        QCOMPARE(store->settings(), expected);
        QCOMPARE(makeStore()->settings(), expected);
        QVERIFY(m_runner->calls().isEmpty()); // neither these changes nor loading touch the launch agent
    }

    void loadingSetsTheColorBlindFlag()
    {
        makeStore()->setColorBlindMode(true);
        ColorBlindMode::setEnabled(false);
        makeStore();
        QVERIFY(ColorBlindMode::enabled());
    }

    void suspendedStoreWritesNothing()
    {
        auto store = makeStore();
        store->suspendWrites();
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();
        QVERIFY(!m_secure->readSecure("app_settings"));
        QVERIFY(m_runner->calls().isEmpty());
    }

    void cleanupDue_data()
    {
        QTest::addColumn<QString>("frequency");
        QTest::addColumn<qint64>("hour");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<double>("last");
        QTest::addColumn<bool>("due");

        QTest::newRow("daily, never ran") << "daily" << qint64(3) << at(7, 3, 0, 59) << 0.0 << true;
        QTest::newRow("daily, missing is never") << "daily" << qint64(3) << at(7, 3, 0) << -1.0 << true;
        QTest::newRow("daily, a minute late") << "daily" << qint64(3) << at(7, 3, 1) << 0.0 << false;
        QTest::newRow("daily, wrong hour") << "daily" << qint64(3) << at(7, 4, 0) << 0.0 << false;
        QTest::newRow("daily, ran yesterday") << "daily" << qint64(3) << at(8, 3, 0) << secondsOf(at(7, 3, 0)) << true;
        QTest::newRow("daily, ran today") << "daily" << qint64(3) << at(8, 3, 0, 40) << secondsOf(at(8, 3, 0, 1))
                                          << false;
        QTest::newRow("weekly on Sunday") << "weekly" << qint64(3) << at(6, 3, 0) << 0.0 << true;
        QTest::newRow("weekly on Monday") << "weekly" << qint64(3) << at(7, 3, 0) << 0.0 << false;
        QTest::newRow("Weekly is daily") << "Weekly" << qint64(3) << at(7, 3, 0) << 0.0 << true;
        QTest::newRow("hour 24 is never due") << "daily" << qint64(24) << at(8, 0, 0) << 0.0 << false;
        QTest::newRow("an hour that is 3 in its low 32 bits is not 3")
            << "daily" << ((qint64(1) << 32) + 3) << at(7, 3, 0) << 0.0 << false;
        QTest::newRow("a last date beyond any calendar is never")
            << "daily" << qint64(3) << at(7, 3, 0) << 1e300 << true;
        QTest::newRow("an infinite last date is never")
            << "daily" << qint64(3) << at(7, 3, 0) << std::numeric_limits<double>::infinity() << true;
        QTest::newRow("a last date that is no number is never")
            << "daily" << qint64(3) << at(7, 3, 0) << std::numeric_limits<double>::quiet_NaN() << true;
    }

    void cleanupDue()
    {
        QFETCH(QString, frequency);
        QFETCH(qint64, hour);
        QFETCH(QDateTime, now);
        QFETCH(double, last);
        QFETCH(bool, due);
        AppSettings settings;
        settings.scheduledCleanupEnabled = true;
        settings.scheduledCleanupFrequency = frequency;
        settings.scheduledCleanupHour = hour;
        QCOMPARE(CleanupSchedule::isCleanupDue(settings, now, last), due);
        settings.scheduledCleanupEnabled = false;
        QVERIFY(!CleanupSchedule::isCleanupDue(settings, now, last));
    }

    void cleanupDueReadsTheStoredDate()
    {
        auto store = makeStore();
        store->setScheduledCleanupEnabled(true);
        QVERIFY(store->isCleanupDue(at(7, 3, 0)));
        m_defaults->setValue("lastCleanupDate", secondsOf(at(7, 3, 0)));
        QVERIFY(!store->isCleanupDue(at(7, 3, 0, 30)));
        QVERIFY(store->isCleanupDue(at(8, 3, 0)));
        m_defaults->setValue("lastCleanupDate", QString("yesterday"));
        QVERIFY(store->isCleanupDue(at(7, 3, 0)));
    }

    void launchAgentOnThenOff()
    {
        QVERIFY(!QDir(m_home->path() + "/Library").exists()); // the folder is made when missing
        auto store = makeStore();
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();

        const QString path = m_home->path() + "/Library/LaunchAgents/com.quillmarsh.app.plist";
        QFile plist(path);
        QVERIFY(plist.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(plist.readAll());
        for (const char* expected : {"<key>Label</key>", "<string>com.quillmarsh.app</string>", "<key>RunAtLoad</key>",
                                     "<true/>", "<key>KeepAlive</key>", "<false/>", "<string>/usr/bin/open</string>",
                                     "<string>/opt/Quillmarsh/quillmarsh</string>", "<plist version=\"1.0\">"})
            QVERIFY2(xml.contains(expected), expected);
        QCOMPARE(m_runner->commandLines(), QStringList{"/bin/launchctl load " + path});
        QVERIFY(storedJson().value("launchOnStartup").toBool());

        store->setLaunchOnStartup(false);
        m_agent->waitForDone();
        QCOMPARE(m_runner->commandLines().last(), "/bin/launchctl unload " + path);
        QVERIFY(!QFile::exists(path));
    }

    void quickOnThenOffEndsOff()
    {
        auto store = makeStore();
        for (int i = 0; i < 5; ++i) {
            store->setLaunchOnStartup(true);
            store->setLaunchOnStartup(false);
        }
        m_agent->waitForDone();
        QVERIFY(!QFile::exists(m_agent->plistPath()));
        const QStringList lines = m_runner->commandLines();
        QCOMPARE(lines.size(), 10);
        for (int i = 0; i < lines.size(); ++i)
            QVERIFY(lines[i].startsWith(i % 2 == 0 ? "/bin/launchctl load" : "/bin/launchctl unload"));
    }
};

QM_TEST_MAIN(TestAppSettings)
#include "tst_AppSettings.moc"

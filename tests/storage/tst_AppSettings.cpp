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
        QTest::addColumn<bool>("decodes");
        QTest::newRow("complete") << kValidJson << true;
        QTest::newRow("extra keys ignored") << replaced("somethingElse", 1) << true;
        QTest::newRow("missing key") << replaced("autoOptimize", QJsonValue::Undefined) << false;
        QTest::newRow("fractional hour") << replaced("scheduledCleanupHour", 3.5) << false;
        QTest::newRow("hour as string") << replaced("scheduledCleanupHour", "3") << false;
        QTest::newRow("too wide a minute") << replaced("scheduledCleanupMinute", 1e20) << false;
        QTest::newRow("bool as number") << replaced("colorBlindMode", 1) << false;
        QTest::newRow("null frequency") << replaced("scheduledCleanupFrequency", QJsonValue::Null) << false;
        QTest::newRow("not an object") << QByteArray("[1,2]") << false;
        QTest::newRow("not JSON") << QByteArray("launchOnStartup=true") << false;
    }

    void decoding()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, decodes);
        const auto settings = AppSettings::fromJson(json);
        QCOMPARE(settings.has_value(), decodes);
        if (decodes) {
            QCOMPARE(settings->scheduledCleanupFrequency, QString("weekly"));
            QCOMPARE(settings->scheduledCleanupHour, 22);
            QCOMPARE(AppSettings::fromJson(settings->toJson()), settings);
        }
    }

    void firstRunHasDefaultsAndWritesNothing()
    {
        auto store = makeStore();
        QCOMPARE(store->settings(), AppSettings{});
        QCOMPARE(store->scheduledCleanupFrequency(), QString("daily"));
        QCOMPARE(store->scheduledCleanupHour(), 3);
        QVERIFY(!m_secure->readSecure("app_settings"));
        QVERIFY(m_runner->calls().isEmpty());
    }

    void storedRecordIsLoaded()
    {
        m_secure->writeSecure("app_settings", kValidJson);
        auto store = makeStore();
        QVERIFY(store->launchOnStartup());
        QCOMPARE(store->scheduledCleanupMinute(), 15);
        QVERIFY(m_runner->calls().isEmpty()); // loading leaves the launch agent alone
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

    void everyChangeIsSavedAndSurvivesARestart()
    {
        {
            auto store = makeStore();
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
        }
        auto reloaded = makeStore();
        QVERIFY(reloaded->autoOptimize());
        QVERIFY(reloaded->scheduledCleanupEnabled());
        QCOMPARE(reloaded->scheduledCleanupFrequency(), QString("weekly"));
        QCOMPARE(reloaded->scheduledCleanupHour(), 23);
        QCOMPARE(reloaded->scheduledCleanupMinute(), 59);
    }

    void colorBlindFlagFollowsTheSetting()
    {
        auto store = makeStore();
        QVERIFY(!ColorBlindMode::enabled());
        store->setColorBlindMode(true);
        QVERIFY(ColorBlindMode::enabled());
        QCOMPARE(storedJson().value("colorBlindMode").toBool(), true);
        store.reset();
        ColorBlindMode::setEnabled(false);
        makeStore();
        QVERIFY(ColorBlindMode::enabled()); // loading sets the flag from the stored record
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
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<double>("last");
        QTest::addColumn<bool>("due");

        const double never = 0;
        QTest::newRow("daily, never ran") << "daily" << 3 << 0 << at(7, 3, 0, 59) << never << true;
        QTest::newRow("daily, missing is never") << "daily" << 3 << 0 << at(7, 3, 0) << -1.0 << true;
        QTest::newRow("daily, a minute late") << "daily" << 3 << 0 << at(7, 3, 1) << never << false;
        QTest::newRow("daily, wrong hour") << "daily" << 3 << 0 << at(7, 4, 0) << never << false;
        QTest::newRow("daily, ran yesterday") << "daily" << 3 << 0 << at(8, 3, 0) << secondsOf(at(7, 3, 0)) << true;
        QTest::newRow("daily, ran today") << "daily" << 3 << 0 << at(8, 3, 0, 40) << secondsOf(at(8, 3, 0, 1))
                                          << false;
        QTest::newRow("daily, ran just before midnight") << "daily" << 0 << 0 << at(8, 0, 0)
                                                         << secondsOf(at(7, 23, 59, 59)) << true;
        QTest::newRow("weekly on Sunday") << "weekly" << 3 << 0 << at(6, 3, 0) << never << true;
        QTest::newRow("weekly on Monday") << "weekly" << 3 << 0 << at(7, 3, 0) << never << false;
        QTest::newRow("Weekly is daily") << "Weekly" << 3 << 0 << at(7, 3, 0) << never << true;
        QTest::newRow("hour 24 never") << "daily" << 24 << 0 << at(7, 0, 0) << never << false;
        QTest::newRow("minute 60 never") << "daily" << 3 << 60 << at(7, 4, 0) << never << false;
    }

    void cleanupDue()
    {
        QFETCH(QString, frequency);
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QDateTime, now);
        QFETCH(double, last);
        QFETCH(bool, due);

        AppSettings settings;
        settings.scheduledCleanupEnabled = true;
        settings.scheduledCleanupFrequency = frequency;
        settings.scheduledCleanupHour = hour;
        settings.scheduledCleanupMinute = minute;
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
        auto store = makeStore();
        m_runner->respond("/bin/launchctl", ProcessResult::exited(0));
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();

        const QString path = m_home->path() + "/Library/LaunchAgents/com.quillmarsh.app.plist";
        QFile plist(path);
        QVERIFY(plist.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(plist.readAll());
        plist.close();
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

    void launchAgentFolderIsCreatedWhenMissing()
    {
        QVERIFY(!QDir(m_home->path() + "/Library").exists());
        auto store = makeStore();
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();
        QVERIFY(QFile::exists(m_agent->plistPath()));
        QVERIFY(store->launchOnStartup());
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

    void turningOffWithNoAgentOnlyUnloads()
    {
        auto store = makeStore();
        store->setLaunchOnStartup(false);
        m_agent->waitForDone();
        QCOMPARE(m_runner->commandLines(), QStringList{"/bin/launchctl unload " + m_agent->plistPath()});
    }
};

QM_TEST_MAIN(TestAppSettings)
#include "tst_AppSettings.moc"

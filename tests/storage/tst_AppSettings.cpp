#include "FakeDefaults.h"
#include "TestMain.h"
#include "AtomicFile.h"
#include "linux/JsonFileDefaults.h"
#include "storage/AppSettings.h"
#include "storage/CleanupSchedule.h"
#include "storage/ColorBlindMode.h"
#include "storage/LaunchAgent.h"
#include "storage/SecureLocalStore.h"
#include "storage/SettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
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
        m_secure = std::make_unique<SecureLocalStore>(*m_defaults, m_home->path() + "/data/Quillmarsh/.secure");
        m_agent = std::make_unique<LaunchAgent>(m_home->path() + "/config/autostart", "/opt/Quillmarsh/quillmarsh");
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
        // Kept aside, once, and not written back from the mirror.
        const QStringList aside = QDir(m_secure->directory()).entryList({"*.bin.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile kept(m_secure->directory() + "/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(QJsonDocument::fromJson(kept.readAll())["scheduledCleanupHour"].toDouble(), 3.5);
        QVERIFY(!m_secure->readSecure("app_settings"));
        store->setAutoOptimize(true);
        QCOMPARE(storedJson().value("scheduledCleanupHour").toInt(), 3);
        QCOMPARE(storedJson().keys().size(), 7);
    }

    void undecodableRecordIsKeptAside_data()
    {
        QTest::addColumn<bool>("mirrorKept");
        QTest::newRow("the mirror's copy takes its place") << true;
        QTest::newRow("no mirror: defaults, the record still kept") << false;
    }
    void undecodableRecordIsKeptAside()
    {
        QFETCH(bool, mirrorKept);
        const AppSettings saved{true, true, false, true, "weekly", 22, 15};
        QVERIFY(m_secure->writeSecure("app_settings", saved.toJson()));
        QFile file(m_secure->secureFileURL("app_settings"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{\"launchOnStartup\": tru") > 0);
        file.close();
        if (!mirrorKept)
            m_defaults->remove(SecureLocalStore::mirrorPrefix + "app_settings");

        auto store = makeStore();
        QCOMPARE(store->settings(), mirrorKept ? saved : AppSettings{});
        store->setAutoOptimize(true);
        const QStringList aside = QDir(m_secure->directory()).entryList({"*.bin.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile kept(m_secure->directory() + "/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("{\"launchOnStartup\": tru"));
    }

    // The application's start-up reads over garbage in the settings file: the first start keeps
    // each bad value aside once; later starts find the folder as the first one left it.
    void garbageSettingsLeaveTheFolderAsItWas_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("mirror");
        for (const qint64 size : {qint64(3000), qint64(3) << 20}) {
            const char* kind = size > SecureLocalStore::maxValueSize ? "large" : "small";
            QTest::addRow("%s, no mirror", kind) << size << "none";
            QTest::addRow("%s, a mirror that decodes", kind) << size << "good";
            QTest::addRow("%s, the garbage in the mirror too", kind) << size << "same";
        }
    }
    void garbageSettingsLeaveTheFolderAsItWas()
    {
        QFETCH(qint64, size);
        QFETCH(QString, mirror);
        const QString root = m_home->path();
        const QString defaultsFile = root + "/config/Quillmarsh/defaults.json";
        const QString secureFolder = root + "/data/Quillmarsh/.secure";
        QByteArray garbage(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919 + 13) % 251);
        const AppSettings saved{true, true, false, true, "weekly", 22, 15};
        {
            JsonFileDefaults defaults(defaultsFile);
            SecureLocalStore secure(defaults, secureFolder);
            QVERIFY(secure.writeSecure("app_settings", mirror == "same" ? garbage : saved.toJson()));
            if (mirror == "none")
                defaults.remove(SecureLocalStore::mirrorPrefix + "app_settings");
            QVERIFY(AtomicFile::writePrivate(secure.secureFileURL("app_settings"), garbage));
        }
        const auto start = [&] {
            JsonFileDefaults defaults(defaultsFile);
            SecureLocalStore secure(defaults, secureFolder);
            const SettingsStore store(secure, defaults, *m_agent);
            secure.isSetupComplete();
            return store.settings();
        };
        const auto listing = [&] {
            QStringList files;
            QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                files << it.filePath().mid(root.size()) + ' ' + QString::number(it.fileInfo().size());
            }
            files.sort();
            return files;
        };
        const AppSettings expected = mirror == "good" ? saved : AppSettings{};

        QCOMPARE(start(), expected);
        const QStringList first = listing();
        QCOMPARE(start(), expected);
        QCOMPARE(listing(), first);
        QCOMPARE(start(), expected);
        QCOMPARE(listing(), first);
        // The garbage is kept whole; the defaults hold no copy of it. The large garbage's mirror is
        // too large for any value of the defaults: it is set aside beside them as they are read.
        const QStringList aside = QDir(secureFolder).entryList({"*.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        const bool mirrorAside = mirror == "same" && size * 4 / 3 > JsonFileDefaults::maxValueBytes;
        const QStringList defaultsAside =
            QDir(QFileInfo(defaultsFile).path()).entryList({"defaults.json.unreadable-*"}, QDir::Files);
        QCOMPARE(defaultsAside.size(), mirrorAside ? 1 : 0);
        QFile kept(secureFolder + "/" + aside.first());
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), garbage);
        QVERIFY(QFileInfo(defaultsFile).size() < 1000);
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
        m_agent->waitForDone();
        QVERIFY(!QFileInfo::exists(m_agent->entryPath())); // neither these changes nor loading touch it
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
        QVERIFY(!QFileInfo::exists(m_agent->entryPath()));
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

    void launchAtLoginEntry_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("exec"); // the Exec line; empty: no entry can be written
        QTest::newRow("plain") << "/opt/Quillmarsh/quillmarsh" << "Exec=\"/opt/Quillmarsh/quillmarsh\"";
        QTest::newRow("space") << "/home/a b/quillmarsh" << "Exec=\"/home/a b/quillmarsh\"";
        QTest::newRow("quote, dollar, backquote") << "/x/\"$`/q" << "Exec=\"/x/\\\\\"\\\\$\\\\`/q\"";
        QTest::newRow("backslash, escaped twice") << "/x\\y" << "Exec=\"/x\\\\\\\\y\"";
        QTest::newRow("percent is no field code") << "/x/100%/q" << "Exec=\"/x/100%%/q\"";
        QTest::newRow("a line break cannot be written") << "/x/a\nExec=/bin/evil" << "";
        QTest::newRow("not an absolute path") << "quillmarsh" << "";
    }
    void launchAtLoginEntry()
    {
        QFETCH(QString, program);
        QFETCH(QString, exec);
        const auto entry = LaunchAgent::desktopEntry(program);
        QCOMPARE(entry.has_value(), !exec.isEmpty());
        if (!entry)
            return;
        const QStringList lines = QString::fromUtf8(*entry).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QString("[Desktop Entry]"));
        QVERIFY(lines.contains("Type=Application"));
        QVERIFY(lines.contains("Name=Quillmarsh"));
        QCOMPARE(lines.filter(QRegularExpression("^Exec=")), QStringList{exec});
    }

    void launchAtLoginOnThenOff_data()
    {
        QTest::addColumn<QString>("before"); // what stands where the entry goes
        QTest::newRow("nothing, no autostart folder yet") << "";
        QTest::newRow("an old entry") << "file";
        QTest::newRow("a link to a file elsewhere") << "link";
        QTest::newRow("a link to nowhere") << "dangling";
    }
    void launchAtLoginOnThenOff()
    {
        QFETCH(QString, before);
        const QString path = m_agent->entryPath();
        const QString elsewhere = m_home->path() + "/elsewhere.txt";
        QVERIFY(QFile(elsewhere).open(QIODevice::WriteOnly) && QFile(elsewhere).size() == 0);
        if (!before.isEmpty())
            QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (before == "file")
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        if (before == "link" || before == "dangling")
            QVERIFY(QFile::link(before == "link" ? elsewhere : m_home->path() + "/nowhere", path));

        auto store = makeStore();
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();
        QVERIFY(!QFileInfo(path).isSymLink());
        QFile entry(path);
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QCOMPARE(entry.readAll(), *LaunchAgent::desktopEntry("/opt/Quillmarsh/quillmarsh"));
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList{QFileInfo(path).fileName()});
        QCOMPARE(QFile(elsewhere).size(), 0);
        QVERIFY(!QFileInfo::exists(m_home->path() + "/nowhere"));
        QVERIFY(!QFileInfo::exists(m_home->path() + "/Library"));
        QVERIFY(storedJson().value("launchOnStartup").toBool());

        store->setLaunchOnStartup(false);
        m_agent->waitForDone();
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(QFileInfo::exists(elsewhere));
    }

    void quickOnThenOffEndsOff()
    {
        auto store = makeStore();
        for (int i = 0; i < 5; ++i) {
            store->setLaunchOnStartup(true);
            store->setLaunchOnStartup(false);
        }
        m_agent->waitForDone();
        QVERIFY(!QFileInfo::exists(m_agent->entryPath()));
        store->setLaunchOnStartup(false);
        store->setLaunchOnStartup(true);
        m_agent->waitForDone();
        QVERIFY(QFileInfo::exists(m_agent->entryPath()));
    }
};

QM_TEST_MAIN(TestAppSettings)
#include "tst_AppSettings.moc"

#include "FakeDefaults.h"
#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/settings/SettingsView.h"
#include "storage/CleanUninstall.h"
#include "storage/CleanupSchedule.h"
#include "storage/ColorBlindMode.h"
#include "storage/LaunchAgent.h"
#include "storage/SettingsStore.h"
#include "style/Color.h"
#include "style/GlassToggleStyle.h"
#include "style/GradientButton.h"
#include "style/SegmentedPicker.h"
#include "style/SwitchToggle.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"

#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace {

void writeFile(const QString& path, const QByteArray& bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<LaunchAgent> m_agent;
    std::unique_ptr<SettingsStore> m_store;
    std::unique_ptr<CleanUninstall> m_uninstall;
    std::unique_ptr<SettingsView> m_view;

    void build(Defaults* defaults = nullptr)
    {
        Defaults& d = defaults ? *defaults : m_platform->defaults;
        m_agent = std::make_unique<LaunchAgent>(*m_platform->runner, m_platform->homeDirectory(), "/opt/quillmarsh");
        m_store = std::make_unique<SettingsStore>(m_platform->secureStore, m_platform->defaults, *m_agent);
        m_uninstall = std::make_unique<CleanUninstall>(*m_platform->runner, d, m_platform->homeDirectory(),
                                                       m_platform->appSupportDirectory());
        m_view = std::make_unique<SettingsView>(*m_store, *m_uninstall);
        m_view->resize(1000, 900);
        m_view->show();
    }

    template <typename T>
    T* child(const QString& name) const
    {
        T* found = m_view->findChild<T*>(name);
        if (!found)
            qFatal("no child %s", qPrintable(name));
        return found;
    }

    QMessageBox* openConfirmation()
    {
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        QTest::mouseClick(child<GradientButton>("uninstallButton"), Qt::LeftButton);
        return m_view->findChild<QMessageBox*>("uninstallConfirm");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        build();
    }
    void cleanup()
    {
        m_view.reset();
        m_uninstall.reset();
        m_store.reset();
        if (m_agent)
            m_agent->waitForDone();
        m_agent.reset();
        m_platform.reset();
        m_dir.reset();
        ColorBlindMode::setEnabled(false);
    }

    void togglesPersistThroughTheStore_data()
    {
        QTest::addColumn<QString>("toggle");
        QTest::addColumn<QString>("property");
        QTest::newRow("Launch at Login") << "launchAtLoginToggle" << "launchOnStartup";
        QTest::newRow("Auto-Optimize") << "autoOptimizeToggle" << "autoOptimize";
        QTest::newRow("Color Blind Mode") << "colorBlindToggle" << "colorBlindMode";
    }
    void togglesPersistThroughTheStore()
    {
        QFETCH(QString, toggle);
        QFETCH(QString, property);
        auto* row = child<GlassToggleStyle>(toggle);
        QVERIFY(!row->isOn());

        QTest::mouseClick(row->button(), Qt::LeftButton);
        QVERIFY(row->isOn());
        QCOMPARE(row->button()->symbol(), QString("checkmark.circle.fill"));
        QCOMPARE(m_store->property(qPrintable(property)).toBool(), true);
        LaunchAgent agent(*m_platform->runner, m_platform->homeDirectory(), "/opt/quillmarsh");
        QCOMPARE(SettingsStore(m_platform->secureStore, m_platform->defaults, agent).property(qPrintable(property)),
                 QVariant(true));

        QTest::mouseClick(row->button(), Qt::LeftButton);
        QVERIFY(!row->isOn());
        QCOMPARE(row->button()->symbol(), QString("circle"));
        QCOMPARE(SettingsStore(m_platform->secureStore, m_platform->defaults, agent).property(qPrintable(property)),
                 QVariant(false));
    }

    void colorBlindSwitchFlipsTheProcessPalette()
    {
        auto* row = child<GlassToggleStyle>("colorBlindToggle");
        QVERIFY(!ColorBlindMode::enabled());
        QTest::mouseClick(row->button(), Qt::LeftButton);
        QVERIFY(ColorBlindMode::enabled());
        QTest::mouseClick(row->button(), Qt::LeftButton);
        QVERIFY(!ColorBlindMode::enabled());
    }

    void onlyTheCircleToggles()
    {
        auto* row = child<GlassToggleStyle>("autoOptimizeToggle");
        QLabel* title = row->findChild<QLabel*>();
        QVERIFY(title);
        for (int i = 0; i < 4; ++i)
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not accepted by receiving widget"));
        QTest::mouseClick(title, Qt::LeftButton);
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(!m_store->autoOptimize());
        QVERIFY(!row->isOn());
    }

    void scheduleRowsFollowTheSwitch()
    {
        QVERIFY(!child<QWidget>("frequencyRow")->isVisible());
        QVERIFY(!child<QWidget>("timeRow")->isVisible());
        QCOMPARE(child<SymbolView>("scheduleSymbol")->symbol(), QString("clock"));

        QTest::mouseClick(child<SwitchToggle>("scheduleSwitch"), Qt::LeftButton);
        QVERIFY(m_store->scheduledCleanupEnabled());
        QVERIFY(child<QWidget>("frequencyRow")->isVisible());
        QVERIFY(child<QWidget>("timeRow")->isVisible());
        QCOMPARE(child<SymbolView>("scheduleSymbol")->symbol(), QString("clock.badge.checkmark"));
        QCOMPARE(child<SymbolView>("scheduleSymbol")->color(), Color::neonGreen());

        auto* frequency = child<SegmentedPicker>("frequencyPicker");
        QCOMPARE(frequency->width(), 200);
        QTest::mouseClick(frequency->segment("Weekly (Sunday)"), Qt::LeftButton);
        QCOMPARE(m_store->scheduledCleanupFrequency(), QString("weekly"));
        QTest::mouseClick(frequency->segment("Daily"), Qt::LeftButton);
        QCOMPARE(m_store->scheduledCleanupFrequency(), QString("daily"));
    }

    void timePickersOfferTwoDigitNumbers()
    {
        auto* hour = child<QComboBox>("hourPicker");
        auto* minute = child<QComboBox>("minutePicker");
        QCOMPARE(hour->count(), 24);
        QCOMPARE(minute->count(), 60);
        QCOMPARE(hour->itemText(0), QString("00"));
        QCOMPARE(hour->itemText(23), QString("23"));
        QCOMPARE(minute->itemText(59), QString("59"));
        QCOMPARE(hour->currentText(), QString("03"));

        const int seven = hour->findText("07");
        hour->setCurrentIndex(seven);
        emit hour->activated(seven);
        QCOMPARE(m_store->scheduledCleanupHour(), 7);
        const int five = minute->findText("05");
        minute->setCurrentIndex(five);
        emit minute->activated(five);
        QCOMPARE(m_store->scheduledCleanupMinute(), 5);
        const auto stored = AppSettings::fromJson(*m_platform->secureStore.readSecure(SettingsStore::settingsKey));
        QCOMPARE(stored->scheduledCleanupHour, 7);
        QCOMPARE(stored->scheduledCleanupMinute, 5);
    }

    void lastCleanupRow_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("shown");
        QTest::newRow("missing") << QVariant() << false;
        QTest::newRow("zero") << QVariant(0.0) << false;
        QTest::newRow("negative") << QVariant(-5.0) << false;
        QTest::newRow("a moment") << QVariant(1'780'000'000.5) << true;
        QTest::newRow("not a number") << QVariant(QString("yesterday")) << false;
    }
    void lastCleanupRow()
    {
        QFETCH(QVariant, stored);
        QFETCH(bool, shown);
        if (stored.isValid())
            m_platform->defaults.setValue(CleanupSchedule::lastCleanupDateKey, stored);
        // Read afresh each time the screen is drawn, with scheduling off as it is here.
        m_view->hide();
        m_view->show();
        QCOMPARE(child<QWidget>("lastCleanupRow")->isVisible(), shown);
        if (shown) {
            const QDateTime moment = QDateTime::fromMSecsSinceEpoch(qint64(stored.toDouble() * 1000));
            QCOMPARE(child<QLabel>("lastCleanupValue")->text(), SettingsView::lastCleanupText(moment));
            const QString text = child<QLabel>("lastCleanupValue")->text();
            QVERIFY(text.contains(QString::number(moment.toLocalTime().date().year())));
            // Hours and minutes only.
            QVERIFY(!text.contains(QRegularExpression("\\d:\\d\\d:\\d\\d")));
        }
    }

    void versionText_data()
    {
        QTest::addColumn<QVariant>("shortVersion");
        QTest::addColumn<QVariant>("bundleVersion");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << QVariant("2.3") << QVariant("41") << "2.3(41)";
        QTest::newRow("neither") << QVariant() << QVariant() << "1.0(1)";
        QTest::newRow("no build") << QVariant("2.3") << QVariant() << "2.3(1)";
        QTest::newRow("not texts") << QVariant(2.3) << QVariant(41) << "1.0(1)";
    }
    void versionText()
    {
        QFETCH(QVariant, shortVersion);
        QFETCH(QVariant, bundleVersion);
        QTEST(SettingsView::versionText(shortVersion, bundleVersion), "expected");
    }

    void cancelStartsNothing()
    {
        QMessageBox* confirm = openConfirmation();
        QVERIFY(confirm && confirm->isVisible());
        QCOMPARE(confirm->text(), QString("Uninstall Quillmarsh Data?"));
        QVERIFY(m_view->isUninstallConfirmShown());
        QTest::mouseClick(confirm->findChild<QPushButton*>("cancelUninstall"), Qt::LeftButton);
        QVERIFY(!m_view->isUninstallConfirmShown());
        QVERIFY(!m_uninstall->hasStarted());
        QVERIFY(m_platform->runner->calls().isEmpty());
        QVERIFY(m_view->uninstallMessage().isEmpty());
        QVERIFY(!child<QLabel>("uninstallMessage")->isVisible());
    }

    void uninstallRemovesTheApplicationsData()
    {
        const QString home = m_platform->homeDirectory();
        const QString agent = LaunchAgent::plistPath(home);
        writeFile(agent);
        m_platform->completeSetup();
        writeFile(m_platform->appSupportDirectory() + "/game_profiles.json", "[]");
        m_platform->defaults.setValue("QuillmarshSettings", QString("old"));
        m_platform->defaults.setValue(CleanupSchedule::lastCleanupDateKey, 1.0);
        writeFile(home + "/Library/Caches/brindlecove.QuillMarsh/cache.db");
        writeFile(home + "/Library/Preferences/brindlecove.Quillmarsh.plist");
        writeFile(home + "/Documents/keep.txt");
        QVERIFY(QFileInfo::exists(m_platform->defaultsFile()));

        QMessageBox* confirm = openConfirmation();
        QTest::mouseClick(confirm->findChild<QPushButton*>("confirmUninstall"), Qt::LeftButton);
        QVERIFY(!m_view->isUninstallConfirmShown());
        QVERIFY(!child<GradientButton>("uninstallButton")->isEnabled());
        QTRY_COMPARE(m_view->uninstallMessage(), SettingsView::allRemovedMessage);
        QVERIFY(child<QLabel>("uninstallMessage")->isVisible());
        QCOMPARE(child<QLabel>("uninstallMessage")->text(), QString("All data removed. Quitting..."));

        QCOMPARE(m_platform->runner->commandLines(),
                 (QStringList{"/bin/launchctl unload " + agent,
                              "/usr/bin/defaults delete -g MetalFPSLimit",
                              "/usr/bin/defaults delete -g MetalForceHudEnabled",
                              "/usr/bin/defaults delete com.apple.Metal MetalFPSLimit",
                              "/usr/bin/defaults delete com.apple.Metal MetalForceHudEnabled"}));
        QVERIFY(!QFileInfo::exists(agent));
        QVERIFY(!QFileInfo::exists(m_platform->appSupportDirectory()));
        QVERIFY(!QFileInfo::exists(m_platform->defaultsFile()));
        QVERIFY(!m_platform->defaults.contains("QuillmarshSettings"));
        QVERIFY(!QFileInfo::exists(home + "/Library/Caches/brindlecove.QuillMarsh"));
        QVERIFY(!QFileInfo::exists(home + "/Library/Preferences/brindlecove.Quillmarsh.plist"));
        QVERIFY(QFileInfo::exists(home + "/Documents/keep.txt"));
    }

    void aSecondWipeCannotStart()
    {
        QTest::mouseClick(openConfirmation()->findChild<QPushButton*>("confirmUninstall"), Qt::LeftButton);
        QTest::mouseClick(child<GradientButton>("uninstallButton"), Qt::LeftButton);
        QVERIFY(!m_view->isUninstallConfirmShown());
        m_uninstall->start();
        QTRY_VERIFY(m_uninstall->isFinished());
        QCOMPARE(m_platform->runner->calls().size(), 5);
        QVERIFY(!child<GradientButton>("uninstallButton")->isEnabled());
    }

    void aFailedDeletionIsReported()
    {
        FakeDefaults stuck;
        stuck.setDomainRemovalFails(true);
        stuck.setValue("lastCleanupDate", 2.0);
        m_view.reset();
        build(&stuck);
        QTest::mouseClick(openConfirmation()->findChild<QPushButton*>("confirmUninstall"), Qt::LeftButton);
        QTRY_VERIFY(!m_view->uninstallMessage().isEmpty());
        QCOMPARE(m_view->uninstallMessage(), SettingsView::partlyRemovedMessage);
        QCOMPARE(stuck.domainRemovals(), 1);
    }
};

QM_TEST_MAIN(TestSettingsView)
#include "tst_SettingsView.moc"

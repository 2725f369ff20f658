#include "FakeDefaults.h"
#include "FakePlatform.h"
#include "FileSizeLimit.h"
#include "TestMain.h"
#include "screens/settings/SettingsView.h"
#include "storage/CleanUninstall.h"
#include "storage/CleanupSchedule.h"
#include "storage/ColorBlindMode.h"
#include "storage/LaunchAgent.h"
#include "storage/SettingsStore.h"
#include "style/Color.h"
#include "style/GlassToggleStyle.h"
#include "style/SegmentedPicker.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"

#include <QComboBox>
#include <QLabel>
#include <sys/stat.h>

namespace {

// The screen with the services it borrows, as the root view lends them.
struct Rig {
    Rig(FakePlatform& p, Defaults& defaults)
        : agent(p.autostartDirectory(), "/opt/quillmarsh"), store(p.secureStore, p.defaults, agent),
          uninstall(*p.gameOverlay, defaults, p.homeDirectory(), p.appSupportDirectory(),
                    QFileInfo(p.defaultsFile()).path(), agent.entryPath()),
          view(store, uninstall)
    {
        view.show();
    }
    ~Rig() { agent.waitForDone(); }

    LaunchAgent agent;
    SettingsStore store;
    CleanUninstall uninstall;
    SettingsView view;
};

} // namespace

class TestSettingsView : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Rig> m_rig;

    template <typename T>
    T* child(const QString& name) const { return m_rig->view.findChild<T*>(name); }

    QMessageBox* openConfirmation()
    {
        QTest::ignoreMessage(QtWarningMsg, "This plugin does not support propagateSizeHints()");
        QTest::mouseClick(child<QWidget>("uninstallButton"), Qt::LeftButton);
        return child<QMessageBox>("uninstallConfirm");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        m_rig = std::make_unique<Rig>(*m_platform, m_platform->defaults);
    }
    void cleanup()
    {
        m_rig.reset();
        m_platform.reset();
        ColorBlindMode::setEnabled(false);
    }

    void togglesPersistThroughTheStore_data()
    {
        QTest::addColumn<QString>("toggle");
        QTest::addColumn<QString>("property");
        QTest::addColumn<bool>("flipsPalette");
        QTest::newRow("Launch at Login") << "launchAtLoginToggle" << "launchOnStartup" << false;
        QTest::newRow("Auto-Optimize") << "autoOptimizeToggle" << "autoOptimize" << false;
        QTest::newRow("Color Blind Mode") << "colorBlindToggle" << "colorBlindMode" << true;
    }
    void togglesPersistThroughTheStore()
    {
        QFETCH(QString, toggle);
        QFETCH(QString, property);
        QFETCH(bool, flipsPalette);
        auto* row = child<GlassToggleStyle>(toggle);
        LaunchAgent agent(m_platform->autostartDirectory(), "/opt/quillmarsh");
        for (const bool on : {true, false}) {
            QTest::mouseClick(row->button(), Qt::LeftButton);
            QCOMPARE(row->isOn(), on);
            QCOMPARE(row->button()->symbol(), QString(on ? "checkmark.circle.fill" : "circle"));
            QCOMPARE(m_rig->store.property(qPrintable(property)), QVariant(on));
            QCOMPARE(SettingsStore(m_platform->secureStore, m_platform->defaults, agent).property(qPrintable(property)),
                     QVariant(on));
            QCOMPARE(ColorBlindMode::enabled(), flipsPalette && on);
        }
    }

    void scheduleControlsWriteTheStore()
    {
        QVERIFY(!child<QWidget>("frequencyRow")->isVisible());
        QVERIFY(!child<QWidget>("timeRow")->isVisible());
        QCOMPARE(child<SymbolView>("scheduleSymbol")->symbol(), QString("clock"));
        QTest::mouseClick(child<QWidget>("scheduleSwitch"), Qt::LeftButton);
        QVERIFY(m_rig->store.scheduledCleanupEnabled());
        QVERIFY(child<QWidget>("frequencyRow")->isVisible());
        QVERIFY(child<QWidget>("timeRow")->isVisible());
        QCOMPARE(child<SymbolView>("scheduleSymbol")->symbol(), QString("clock.badge.checkmark"));

        auto* frequency = child<SegmentedPicker>("frequencyPicker");
        QTest::mouseClick(frequency->segment("Weekly (Sunday)"), Qt::LeftButton);
        QCOMPARE(m_rig->store.scheduledCleanupFrequency(), QString("weekly"));
        QTest::mouseClick(frequency->segment("Daily"), Qt::LeftButton);
        QCOMPARE(m_rig->store.scheduledCleanupFrequency(), QString("daily"));

        auto* hour = child<QComboBox>("hourPicker");
        auto* minute = child<QComboBox>("minutePicker");
        QCOMPARE(hour->count(), 24);
        QCOMPARE(minute->count(), 60);
        QCOMPARE(hour->currentText(), QString("03"));
        for (auto [picker, text] : {std::pair{hour, "07"}, std::pair{minute, "05"}}) {
            const int index = picker->findText(text);
            picker->setCurrentIndex(index);
            emit picker->activated(index);
        }
        QCOMPARE(m_rig->store.scheduledCleanupHour(), 7);
        QCOMPARE(m_rig->store.scheduledCleanupMinute(), 5);
    }

    void lastCleanupRow_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("shown"); // the pattern of the text shown; empty: the row is hidden
        QTest::newRow("zero") << QVariant(0.0) << "";
        QTest::newRow("not a number") << QVariant(QString("yesterday")) << "";
        QTest::newRow("negative") << QVariant(-5.0) << "";
        QTest::newRow("beyond any calendar") << QVariant(1e300) << "";
        // The C locale's abbreviated date; hours and minutes only, although its short time has seconds.
        QTest::newRow("a moment") << QVariant(1'780'000'000.5) << "^2[89] May 2026, \\d\\d:\\d\\d$";
    }
    void lastCleanupRow()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, shown);
        m_platform->defaults.setValue(CleanupSchedule::lastCleanupDateKey, stored);
        // Read afresh each time the screen is drawn, with scheduling off as it is here.
        m_rig->view.hide();
        m_rig->view.show();
        QCOMPARE(child<QWidget>("lastCleanupRow")->isVisible(), !shown.isEmpty());
        if (!shown.isEmpty())
            QVERIFY(child<QLabel>("lastCleanupValue")->text().contains(QRegularExpression(shown)));
    }

    void failedSaveIsShownUntilASaveSucceeds()
    {
        auto* message = child<QLabel>("saveFailedMessage");
        auto* toggle = child<GlassToggleStyle>("autoOptimizeToggle");
        QTest::mouseClick(toggle->button(), Qt::LeftButton);
        QVERIFY(!message->isVisible());
        {
            FileSizeLimit noRoom(0);
            QTest::mouseClick(toggle->button(), Qt::LeftButton);
        }
        QVERIFY(message->isVisible());
        QCOMPARE(message->text(), QString("Settings could not be saved."));
        QCOMPARE(message->palette().color(QPalette::WindowText), Color::onCard(Color::statusCritical()));
        // Nothing stored was lost: a new launch still finds the last record that could be saved.
        QVERIFY(SettingsStore(m_platform->secureStore, m_platform->defaults, m_rig->agent).autoOptimize());

        QTest::mouseClick(toggle->button(), Qt::LeftButton);
        QVERIFY(!message->isVisible());
        QVERIFY(SettingsStore(m_platform->secureStore, m_platform->defaults, m_rig->agent).autoOptimize());
    }

    void abbreviatedDate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("date");
        QTest::newRow("United States") << "en_US" << "Dec 6, 2026";
        QTest::newRow("Germany") << "de_DE" << "6. Dez. 2026";
        QTest::newRow("France") << "fr_FR" << "6 d\u00e9c. 2026";
        QTest::newRow("Japan, weekday at the end") << "ja_JP" << "2026\u5e7412\u67086\u65e5";
        QTest::newRow("Spain, quoted words") << "es_ES" << "6 de dic de 2026";
    }
    void abbreviatedDate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, date);
        const QLocale chosen(locale);
        QCOMPARE(chosen.toString(QDate(2026, 12, 6), SettingsView::abbreviatedDateFormat(chosen)), date);
    }

    void uninstallRemovesTheApplicationsData()
    {
        const QString home = m_platform->homeDirectory();
        const QString agent = m_rig->agent.entryPath();
        const QString setAside = m_platform->defaultsFile() + ".unreadable-20261206-030000-000";
        for (const QString& path : {agent, setAside, m_platform->appSupportDirectory() + "/game_profiles.json",
                                    home + "/Library/Caches/brindlecove.QuillMarsh/cache.db",
                                    home + "/Library/Preferences/brindlecove.Quillmarsh.plist", home + "/Documents/keep.txt"}) {
            QDir().mkpath(QFileInfo(path).absolutePath());
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("x") == 1);
        }
        m_platform->completeSetup();
        m_platform->defaults.setValue("QuillmarshSettings", QString("old"));
        QVERIFY(QFileInfo::exists(m_platform->defaultsFile()));

        QTest::mouseClick(openConfirmation()->findChild<QWidget*>("confirmUninstall"), Qt::LeftButton);
        QVERIFY(!m_rig->view.isUninstallConfirmShown());
        QVERIFY(!child<QWidget>("uninstallButton")->isEnabled());
        QTRY_COMPARE(m_rig->view.uninstallMessage(), QString("All data removed. Quitting..."));
        QCOMPARE(child<QLabel>("uninstallMessage")->text(), m_rig->view.uninstallMessage());
        QVERIFY(child<QLabel>("uninstallMessage")->isVisible());

        QCOMPARE(m_platform->runner->commandLines(),
                 (QStringList{"/usr/bin/defaults delete -g MetalFPSLimit",
                              "/usr/bin/defaults delete -g MetalForceHudEnabled",
                              "/usr/bin/defaults delete com.apple.Metal MetalFPSLimit",
                              "/usr/bin/defaults delete com.apple.Metal MetalForceHudEnabled"}));
        QVERIFY(!QFileInfo::exists(agent));
        QVERIFY(!QFileInfo::exists(m_platform->appSupportDirectory()));
        QVERIFY(!QFileInfo::exists(m_platform->defaultsFile()));
        QVERIFY(!QFileInfo::exists(setAside));
        QVERIFY(!QFileInfo::exists(QFileInfo(m_platform->defaultsFile()).path()));
        QVERIFY(QFileInfo::exists(m_platform->autostartDirectory())); // shared with other programs
        QVERIFY(!m_platform->defaults.contains("QuillmarshSettings"));
        QVERIFY(!QFileInfo::exists(home + "/Library/Caches/brindlecove.QuillMarsh"));
        QVERIFY(!QFileInfo::exists(home + "/Library/Preferences/brindlecove.Quillmarsh.plist"));
        QVERIFY(QFileInfo::exists(home + "/Documents/keep.txt"));
    }

    void uninstallKeepsTheUsersFiles_data()
    {
        QTest::addColumn<bool>("linked");
        QTest::newRow("a data folder linked into a folder of the user's") << true;
        QTest::newRow("a real data folder") << false;
    }
    // The user's files in the data folder, real or a link into a folder of the user's, stay with the
    // folder, the link and the folder's mode, and the line says which folder was kept and why.
    void uninstallKeepsTheUsersFiles()
    {
        QFETCH(bool, linked);
        const QString data = m_platform->appSupportDirectory();
        const QString sync = linked ? m_platform->homeDirectory() + "/Sync" : data;
        QDir(data).removeRecursively();
        QVERIFY(QDir().mkpath(sync + "/photos") && ::chmod(QFile::encodeName(sync).constData(), 0775) == 0);
        if (linked)
            QVERIFY(QDir().mkpath(QFileInfo(data).path()) && QFile::link(sync, data));
        for (const char* name : {"notes.txt", "photos/holiday.jpg", "game_profiles.json.BackUp"}) {
            QFile file(sync + "/" + name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("the user's") == 10);
        }
        m_platform->completeSetup();
        QVERIFY(QFileInfo::exists(sync + "/.secure"));

        // The view no taller than the window's least, with the line below the button.
        m_rig->view.resize(480, 300);
        QTest::mouseClick(openConfirmation()->findChild<QWidget*>("confirmUninstall"), Qt::LeftButton);
        const QString expected = "Quillmarsh's data removed. Kept " + QFileInfo(sync).canonicalFilePath()
                                 + ": it holds files that are not Quillmarsh's. Quitting...";
        QTRY_COMPARE(m_rig->view.uninstallMessage(), expected);
        QLabel* line = child<QLabel>("uninstallMessage");
        QCOMPARE(line->text(), expected);
        QTRY_COMPARE(line->visibleRegion().boundingRect(), line->rect());
        QCOMPARE(QFileInfo(data).isSymLink(), linked);
        // A real folder of ours was made private at the start; a linked one keeps the user's mode.
        if (linked)
            QCOMPARE(QFileInfo(sync).permissions() & QFileDevice::WriteGroup, QFileDevice::WriteGroup);
        QCOMPARE(QDir(sync).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({"game_profiles.json.BackUp", "notes.txt", "photos"}));
        // Several kept folders are named together, beside what could not be removed.
        QCOMPARE(SettingsView::uninstallResult(false, {"/home/alice/Sync", "/home/alice/dotfiles/quillmarsh"}),
                 "Some data could not be removed. Kept /home/alice/Sync and /home/alice/dotfiles/quillmarsh: "
                 "they hold files that are not Quillmarsh's. Quitting...");
    }

    void enterOnTheConfirmationKeepsTheData_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }
    // Enter on the confirmation is the safe choice: nothing is deleted.
    void enterOnTheConfirmationKeepsTheData()
    {
        QFETCH(int, key);
        QMessageBox* confirm = openConfirmation();
        QVERIFY(QTest::qWaitForWindowExposed(confirm));
        QWidget* focus = confirm->focusWidget() ? confirm->focusWidget() : confirm;
        QTest::keyClick(focus, Qt::Key(key));
        QTRY_VERIFY(!m_rig->view.isUninstallConfirmShown());
        QVERIFY(!m_rig->uninstall.hasStarted());
        QVERIFY(m_platform->runner->calls().isEmpty());
    }

    void onlyAConfirmedWipeRunsAndOnlyOnce()
    {
        QMessageBox* confirm = openConfirmation();
        QVERIFY(m_rig->view.isUninstallConfirmShown());
        QCOMPARE(confirm->text(), QString("Uninstall Quillmarsh Data?"));
        QTest::mouseClick(confirm->findChild<QWidget*>("cancelUninstall"), Qt::LeftButton);
        QVERIFY(!m_rig->view.isUninstallConfirmShown());
        QVERIFY(!m_rig->uninstall.hasStarted());
        QVERIFY(m_platform->runner->calls().isEmpty());
        QVERIFY(!child<QLabel>("uninstallMessage")->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QTest::mouseClick(openConfirmation()->findChild<QWidget*>("confirmUninstall"), Qt::LeftButton);
        QTest::mouseClick(child<QWidget>("uninstallButton"), Qt::LeftButton);
        QVERIFY(!m_rig->view.isUninstallConfirmShown());
        m_rig->uninstall.start();
        QTRY_VERIFY(m_rig->uninstall.isFinished());
        QCOMPARE(m_platform->runner->calls().size(), 4);
        QVERIFY(!child<QWidget>("uninstallButton")->isEnabled());
    }

    void aFailedDeletionIsReported()
    {
        FakeDefaults stuck;
        stuck.setDomainRemovalFails(true);
        m_rig.reset();
        m_rig = std::make_unique<Rig>(*m_platform, stuck);
        QTest::mouseClick(openConfirmation()->findChild<QWidget*>("confirmUninstall"), Qt::LeftButton);
        QTRY_COMPARE(m_rig->view.uninstallMessage(), SettingsView::partlyRemovedMessage);
        QCOMPARE(stuck.domainRemovals(), 1);
    }
};

QM_TEST_MAIN(TestSettingsView)
#include "tst_SettingsView.moc"

#include "FakePlatform.h"
#include "TestMain.h"
#include "screens/monitoring/SessionCard.h"
#include "style/PlainButton.h"
#include "style/TextLabel.h"
#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

class TestSessionCard : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<SessionLogger> m_logger;
    std::unique_ptr<SystemMonitor> m_monitor;

    std::unique_ptr<SessionCard> card()
    {
        return std::make_unique<SessionCard>(*m_logger, *m_monitor, m_platform->fileRevealer);
    }
    static PlainButton* button(SessionCard& card) { return card.findChild<PlainButton*>("sessionButton"); }
    static QString desktop() { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); }

    // Start, one sample, Stop, and the report's outcome.
    void recordOneSession(SessionCard& card)
    {
        QTest::mouseClick(button(card), Qt::LeftButton);
        m_logger->recordSample();
        QTest::mouseClick(button(card), Qt::LeftButton);
        QCOMPARE(card.statusMessage(), "Generating PDF report...");
        QTRY_VERIFY(card.statusMessage() != "Generating PDF report...");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_platform = std::make_unique<FakePlatform>(m_dir->path());
        m_logger = std::make_unique<SessionLogger>(m_platform->host);
        m_monitor = std::make_unique<SystemMonitor>(m_platform->host, m_platform->graphics,
                                                    m_platform->powerSupplies, m_platform->runner);
        QVERIFY(QDir().mkpath(desktop()));
    }
    void cleanup()
    {
        m_logger->stopLogging();
        QDir(desktop()).removeRecursively();
        m_monitor.reset();
        m_logger.reset();
        m_platform.reset();
        m_dir.reset();
    }

    // The card takes the logger's state when it is built, so a Dashboard shown again during a
    // recording can stop it; Stop waits for the first sample.
    void buttonFollowsTheLogger_data()
    {
        QTest::addColumn<bool>("activeBefore");
        QTest::addColumn<int>("samples");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("idle logger") << false << 0 << "Start" << true;
        QTest::newRow("recording, before the first sample") << true << 0 << "Stop" << false;
        QTest::newRow("recording with samples") << true << 2 << "Stop" << true;
    }
    void buttonFollowsTheLogger()
    {
        QFETCH(bool, activeBefore);
        QFETCH(int, samples);
        QFETCH(QString, label);
        QFETCH(bool, enabled);
        if (activeBefore)
            m_logger->startLogging();
        for (int i = 0; i < samples; ++i)
            m_logger->recordSample();
        const auto session = card();
        session->show();
        QCOMPARE(session->isLogging(), activeBefore);
        QCOMPARE(button(*session)->text(), label);
        QCOMPARE(button(*session)->isEnabled(), enabled);
        QCOMPARE(session->findChild<QWidget*>("recordingRow")->isVisible(), activeBefore);
        QCOMPARE(session->findChild<QWidget*>("idleText")->isVisible(), !activeBefore);
    }

    void stopEnabledByTheFirstSample()
    {
        const auto session = card();
        QTest::mouseClick(button(*session), Qt::LeftButton);
        QVERIFY(m_logger->isActive());
        QVERIFY(!button(*session)->isEnabled());
        m_logger->recordSample();
        QVERIFY(button(*session)->isEnabled());
    }

    // A Stop that finds no samples stops the logger and makes no report.
    void stopWithoutSamples()
    {
        m_logger->startLogging();
        const auto session = card();
        session->toggleRecording();
        QCOMPARE(session->statusMessage(), "No data recorded");
        QVERIFY(!m_logger->isActive());
        QVERIFY(!session->isLogging());
        QCoreApplication::processEvents();
        QVERIFY(!session->showPDFAlert());
        QVERIFY(QDir(desktop()).isEmpty());
    }

    void savedPlaceNamesTheFolder_data()
    {
        // HOME stands for the home folder.
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("shown");
        QTest::newRow("desktop") << "HOME/Desktop/r.pdf" << "~/Desktop/r.pdf";
        QTest::newRow("home itself") << "HOME/r.pdf" << "~/r.pdf";
        QTest::newRow("outside home") << "/srv/reports/r.pdf" << "/srv/reports/r.pdf";
        QTest::newRow("a sibling named like home") << "HOME-other/r.pdf" << "HOME-other/r.pdf";
    }
    void savedPlaceNamesTheFolder()
    {
        QFETCH(QString, path);
        QFETCH(QString, shown);
        const QString home = QDir::homePath();
        QCOMPARE(SessionCard::savedPlace(path.replace("HOME", home)), shown.replace("HOME", home));
    }

    void savedReportThenFailure()
    {
        const auto session = card();
        session->show();
        recordOneSession(*session);
        QCOMPARE(session->statusMessage(), "Report saved to Desktop");
        const QString saved = session->pdfURL().value_or(QString());
        QCOMPARE(QFileInfo(saved).absolutePath(), QFileInfo(desktop()).absoluteFilePath());
        QVERIFY(QFileInfo(saved).fileName().startsWith("Quillmarsh_Report_"));
        QVERIFY(QFileInfo::exists(saved));

        QVERIFY(session->showPDFAlert());
        auto* alert = session->findChild<QMessageBox*>("pdfAlert");
        // The message names the folder as well as the file.
        QCOMPARE(alert->informativeText(), "Report saved to:\n~/Desktop/" + QFileInfo(saved).fileName());
        alert->findChild<QPushButton*>("alertOpenInFinder")->click();
        QCOMPARE(m_platform->fileRevealer->revealed, QStringList{saved});
        QVERIFY(!session->showPDFAlert());

        QVERIFY(QDir(desktop()).removeRecursively());
        recordOneSession(*session);
        QCOMPARE(session->statusMessage(), "Report saved to the home folder");
        QCOMPARE(QFileInfo(session->pdfURL().value_or(QString())).absolutePath(),
                 QFileInfo(QDir::homePath()).absoluteFilePath());
        QVERIFY(QFileInfo::exists(session->pdfURL().value_or(QString())));
        QVERIFY(session->showPDFAlert());
        QCOMPARE(session->findChild<QMessageBox*>("pdfAlert")->informativeText(),
                 "Report saved to:\n~/" + QFileInfo(*session->pdfURL()).fileName());
        session->findChild<QMessageBox*>("pdfAlert")->findChild<QPushButton*>("alertOK")->click();

        // No Desktop and no home: the failure says so, in red, and the last report stays known.
        const QByteArray home = qgetenv("HOME");
        const QString lastSaved = *session->pdfURL();
        qputenv("HOME", QDir::homePath().toUtf8() + "/gone");
        recordOneSession(*session);
        qputenv("HOME", home);
        QCOMPARE(session->statusMessage(), "Failed to generate report: the folder " + QString::fromUtf8(home) +
                                               "/gone does not exist");
        auto* status = session->findChild<TextLabel*>("sessionStatus");
        QVERIFY(status->color().red() > 200 && status->color().green() < 150);
        QCOMPARE(session->pdfURL(), lastSaved);
        QVERIFY(!session->showPDFAlert());
        QVERIFY(!session->isLogging());
    }
};

QM_TEST_MAIN(TestSessionCard)
#include "tst_SessionCard.moc"

#include "SessionCard.h"

#include "CardHeader.h"
#include "FileRevealer.h"
#include "PDFReportGenerator.h"
#include "Paths.h"
#include "style/AppMessageBox.h"
#include "style/Color.h"
#include "style/ColorDot.h"
#include "style/Fonts.h"
#include "style/PlainButton.h"
#include "style/TextLabel.h"
#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>

SessionCard::SessionCard(SessionLogger& sessionLogger, SystemMonitor& monitor,
                         std::shared_ptr<FileRevealer> revealer, QWidget* parent)
    : GlassModifier(16, 16, parent), m_sessionLogger(sessionLogger), m_monitor(monitor),
      m_revealer(std::move(revealer)),
      // A card built while the shared logger records (the Dashboard was left and shown again)
      // continues that recording rather than offering to start one.
      m_isLogging(sessionLogger.isActive())
{
    body()->setSpacing(12);
    auto* header = new CardHeader("chart.bar.xaxis", Color::neonCyan(), "Session Recording", this);
    m_button = new PlainButton("Start", Fonts::ui(12, QFont::Medium), Color::neonCyan(), Color::white10b(),
                               QSize(12, 6), 6, header);
    m_button->setObjectName("sessionButton");
    connect(m_button, &QAbstractButton::clicked, this, &SessionCard::toggleRecording);
    header->addTrailing(m_button);
    body()->addWidget(header);

    m_recordingRow = new QWidget(this);
    m_recordingRow->setObjectName("recordingRow");
    auto* row = new QHBoxLayout(m_recordingRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new ColorDot(Color::neonGreen(), 8, m_recordingRow), 0, Qt::AlignVCenter);
    row->addWidget(
        new TextLabel("Recording performance data...", 12, QFont::Normal, Color::neonGreen(), m_recordingRow),
        0, Qt::AlignVCenter);
    row->addStretch(1);
    body()->addWidget(m_recordingRow);

    m_idleText = new TextLabel("Start recording to track FPS and performance", 12, QFont::Normal,
                               Color::white50(), this);
    m_idleText->setObjectName("idleText");
    body()->addWidget(m_idleText);

    m_status = new TextLabel({}, 11, QFont::Normal, Color::neonGreen(), this);
    m_status->setObjectName("sessionStatus");
    m_status->setWordWrap(true);
    m_status->setMaximumHeight(2 * QFontMetrics(m_status->font()).lineSpacing());
    body()->addWidget(m_status);

    connect(&m_sessionLogger, &SessionLogger::changed, this, &SessionCard::refresh);
    refresh();
}

void SessionCard::toggleRecording()
{
    if (!m_isLogging) {
        m_sessionLogger.startLogging();
        setStatusMessage({});
    } else {
        const QDateTime startTime = m_sessionLogger.startTime().value_or(QDateTime::currentDateTime());
        const QDateTime endTime = QDateTime::currentDateTime();
        const SystemMonitor::RAMStats ramStats = m_monitor.ramStats();
        const QList<SessionLogger::SessionRecord> records = m_sessionLogger.records();
        m_sessionLogger.stopLogging();
        if (records.isEmpty()) {
            setStatusMessage("No data recorded");
        } else {
            setStatusMessage("Generating PDF report...");
            PDFReportGenerator::generateReport(
                records, startTime, endTime, ramStats,
                [this, life = m_life.watch()](bool success, std::optional<QString> file, QString problem) {
                    if (life.lock())
                        reportFinished(success, file, problem);
                });
        }
    }
    m_isLogging = !m_isLogging;
    refresh();
}

void SessionCard::reportFinished(bool success, const std::optional<QString>& filePath, const QString& problem)
{
    if (!success || !filePath) {
        setStatusMessage("Failed to generate report: " + problem, Color::onCard(Color::systemRed()));
        return;
    }
    m_pdfURL = filePath;
    const bool onDesktop = QFileInfo(*filePath).absolutePath() == QFileInfo(Paths::desktop()).absoluteFilePath();
    setStatusMessage(onDesktop ? "Report saved to Desktop" : "Report saved to the home folder");
    presentAlert();
}

QString SessionCard::savedPlace(const QString& filePath)
{
    const QString path = QFileInfo(filePath).absoluteFilePath();
    const QString home = QDir::homePath();
    if (path.startsWith(home + '/'))
        return QDir::toNativeSeparators(QStringLiteral("~") + path.mid(home.size()));
    return QDir::toNativeSeparators(path);
}

void SessionCard::openInFinder()
{
    if (m_pdfURL && m_revealer)
        m_revealer->reveal(*m_pdfURL);
}

void SessionCard::presentAlert()
{
    delete m_alert;
    m_alert = new AppMessageBox(AppMessageBox::Kind::done, "PDF Report Generated", this);
    m_alert->setObjectName("pdfAlert");
    m_alert->addButton("OK", QMessageBox::RejectRole)->setObjectName("alertOK");
    QPushButton* reveal = nullptr;
    if (m_pdfURL) {
        m_alert->setInformativeText("Report saved to:\n" + savedPlace(*m_pdfURL));
        reveal = m_alert->addButton("Show in File Manager", QMessageBox::AcceptRole);
        reveal->setObjectName("alertOpenInFinder");
    }
    connect(m_alert, &QMessageBox::finished, this, [this, reveal] {
        const bool revealChosen = reveal && m_alert->clickedButton() == reveal;
        m_alert->deleteLater();
        m_alert = nullptr;
        if (revealChosen)
            openInFinder();
    });
    m_alert->open();
}

void SessionCard::setStatusMessage(const QString& message, const QColor& color)
{
    m_statusMessage = message;
    m_status->setText(message);
    m_status->setColor(color.isValid() ? color : Color::neonGreen());
    m_status->setVisible(!message.isEmpty());
}

void SessionCard::refresh()
{
    m_button->setLabel(m_isLogging ? "Stop" : "Start", m_isLogging ? Color::onCard(Color::systemRed(), Color::white10b()) : Color::neonCyan());
    // The first sample comes a second after the start; a recording cannot stop before it.
    m_button->setEnabled(!(m_isLogging && m_sessionLogger.records().isEmpty()));
    m_recordingRow->setVisible(m_isLogging);
    m_idleText->setVisible(!m_isLogging);
    m_status->setVisible(!m_statusMessage.isEmpty());
}

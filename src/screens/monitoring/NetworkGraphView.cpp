#include "NetworkGraphView.h"

#include "CardHeader.h"
#include "GraphCanvas.h"
#include "Readout.h"
#include "SymbolTextRow.h"
#include "style/ActivityIndicator.h"
#include "style/AfterPaint.h"
#include "style/Color.h"
#include "style/LinearProgressBar.h"
#include "style/RoundedPanel.h"
#include "style/SymbolButton.h"
#include "style/SymbolView.h"
#include "style/TextLabel.h"
#include "telemetry/NetworkMonitor.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QShowEvent>
#include <algorithm>

namespace {

constexpr double kMegabyte = 1'048'576;
constexpr double kKilobyte = 1024;
constexpr int kRecentSamples = 10;
constexpr int kConnectionNameWidth = 260;

double largest(const QList<double>& series, qsizetype fromIndex)
{
    if (fromIndex >= series.size())
        return 0;
    return *std::max_element(series.cbegin() + fromIndex, series.cend());
}

double recentMax(const QList<double>& series)
{
    return largest(series, std::max<qsizetype>(0, series.size() - kRecentSamples));
}

QColor faint(const QColor& color, float opacity)
{
    QColor c = color;
    c.setAlphaF(opacity);
    return c;
}

// A small caption above a bold value, 2 pixels apart.
QVBoxLayout* captionedValue(QWidget* caption, TextLabel* value)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(2);
    column->addWidget(caption);
    column->addWidget(value);
    return column;
}

QWidget* legendEntry(const QColor& color, const QString& text, QWidget* parent)
{
    auto* entry = new QWidget(parent);
    auto* row = new QHBoxLayout(entry);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    auto* dot = new RoundedPanel(2.5, color, entry);
    dot->setFixedSize(5, 5);
    row->addWidget(dot, 0, Qt::AlignVCenter);
    row->addWidget(new TextLabel(text, 10, QFont::Normal, Color::white50(), entry), 0, Qt::AlignVCenter);
    return entry;
}

} // namespace

NetworkGraphView::NetworkGraphView(NetworkMonitor& monitor, int smoothingWindow, QWidget* parent)
    : GlassModifier(16, 16, parent), m_monitor(monitor), m_smoothingWindow(std::max(1, smoothingWindow))
{
    body()->setSpacing(12);
    m_start = new AfterPaint(this, [this] { startIfNeeded(); });

    m_header = new CardHeader(connectionIcon(m_monitor.connectionType()), Color::neonCyan(), "Network", this);
    m_header->symbol()->setObjectName("connectionIcon");
    m_connectionName = new TextLabel(QString(), 12, QFont::Normal, Color::white50(), m_header);
    m_connectionName->setObjectName("connectionName");
    m_header->addBesideTitle(m_connectionName);
    m_activity = new ActivityIndicator(13, Color::white70(), m_header);
    m_activity->setObjectName("speedTestActivity");
    m_header->addTrailing(m_activity);
    m_speedTestButton = new SymbolButton("speedometer", 14, Color::neonCyan(), m_header);
    m_speedTestButton->setToolTip(QStringLiteral("Run a speed test"));
    m_speedTestButton->setObjectName("speedTestButton");
    connect(m_speedTestButton, &QAbstractButton::clicked, this, &NetworkGraphView::runSpeedTest);
    m_header->addTrailing(m_speedTestButton);
    body()->addWidget(m_header);

    body()->addWidget(buildWiFiRow());
    body()->addWidget(buildProgress());
    body()->addWidget(buildResult());
    m_error = new TextLabel(QString(), 10, QFont::Normal, Color::onCard(Color::systemRed()), this);
    m_error->setObjectName("speedTestError");
    m_error->setWordWrap(true);
    body()->addWidget(m_error);
    body()->addWidget(buildThroughput());
    body()->addWidget(buildGraph());
    body()->addWidget(buildLegend());

    connect(&m_monitor, &NetworkMonitor::changed, this, &NetworkGraphView::refresh);
    refresh();
}

QWidget* NetworkGraphView::buildWiFiRow()
{
    m_wifiRow = new SymbolTextRow("antenna.radiowaves.left.and.right", 10, QString(), 10, Color::white50(), 4, this);
    m_wifiRow->setObjectName("wifiStandardRow");
    m_wifiStandard = m_wifiRow->findChild<TextLabel*>();
    m_wifiStandard->setObjectName("wifiStandard");
    return m_wifiRow;
}

QWidget* NetworkGraphView::buildProgress()
{
    m_progress = new QWidget(this);
    m_progress->setObjectName("speedTestProgress");
    auto* column = new QVBoxLayout(m_progress);
    column->setContentsMargins(0, 8, 0, 8);
    column->setSpacing(4);
    auto* line = new QHBoxLayout;
    line->addWidget(new TextLabel("Speed Test", 12, QFont::Medium, Color::white95(), m_progress));
    line->addStretch(1);
    m_progressPercent = new TextLabel(QString(), 11, QFont::Normal, Color::white50(), m_progress);
    m_progressPercent->setObjectName("speedTestPercent");
    line->addWidget(m_progressPercent);
    column->addLayout(line);
    m_progressBar = new LinearProgressBar(Color::neonCyan(), m_progress);
    column->addWidget(m_progressBar);
    return m_progress;
}

QWidget* NetworkGraphView::buildResult()
{
    m_result = new RoundedPanel(8, faint(Color::neonGreen(), 0.1f), this);
    m_result->setObjectName("speedTestResult");
    auto* row = new QHBoxLayout(m_result);
    row->setContentsMargins(0, 4, 0, 4);
    row->setSpacing(16);
    m_resultDownload = new TextLabel(QString(), 14, QFont::Bold, Color::neonGreen(), m_result);
    m_resultDownload->setObjectName("speedTestDownload");
    m_resultUpload = new TextLabel(QString(), 14, QFont::Bold, Color::onCard(Color::neonPurple()), m_result);
    m_resultUpload->setObjectName("speedTestUpload");
    row->addLayout(captionedValue(new TextLabel("Test Download", 10, QFont::Normal, Color::white50(), m_result),
                                  m_resultDownload));
    row->addLayout(
        captionedValue(new TextLabel("Test Upload", 10, QFont::Normal, Color::white50(), m_result), m_resultUpload));
    row->addStretch(1);
    return m_result;
}

QWidget* NetworkGraphView::buildThroughput()
{
    auto* throughput = new QWidget(this);
    auto* row = new QHBoxLayout(throughput);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(20);
    m_downloadSpeed = new TextLabel(QString(), 14, QFont::Bold, Color::neonCyan(), throughput);
    m_downloadSpeed->setObjectName("downloadSpeed");
    Readout::holdSize(*m_downloadSpeed, "8888.8 MB/s", Qt::AlignLeft);
    m_uploadSpeed = new TextLabel(QString(), 14, QFont::Bold, Color::onCard(Color::neonPurple()), throughput);
    m_uploadSpeed->setObjectName("uploadSpeed");
    Readout::holdSize(*m_uploadSpeed, "8888.8 MB/s", Qt::AlignLeft);
    row->addLayout(captionedValue(new SymbolTextRow("arrow.down", 9, "Download", 10, Color::white50(), 4, throughput), m_downloadSpeed));
    row->addLayout(captionedValue(new SymbolTextRow("arrow.up", 9, "Upload", 10, Color::white50(), 4, throughput), m_uploadSpeed));
    row->addStretch(1);
    return throughput;
}

QWidget* NetworkGraphView::buildGraph()
{
    m_graph = new GraphCanvas(graphHeight, this);
    m_graph->setObjectName("networkGraph");
    auto* overlay = new QVBoxLayout(m_graph);
    overlay->setContentsMargins(0, 0, 0, 0);
    m_collecting = new TextLabel("Collecting data...", 11, QFont::Normal, Color::white50(), m_graph);
    m_collecting->setObjectName("collectingData");
    overlay->addWidget(m_collecting, 0, Qt::AlignCenter);
    return m_graph;
}

QWidget* NetworkGraphView::buildLegend()
{
    auto* legend = new QWidget(this);
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(16);
    row->addWidget(legendEntry(Color::neonCyan(), "Download", legend));
    row->addWidget(legendEntry(Color::neonPurple(), "Upload", legend));
    row->addStretch(1);
    return legend;
}

QString NetworkGraphView::connectionIcon(const QString& connectionType)
{
    if (connectionType == QLatin1String("WiFi"))
        return QStringLiteral("wifi");
    if (connectionType == QLatin1String("Ethernet"))
        return QStringLiteral("cable.connector");
    if (connectionType == QLatin1String("Cellular"))
        return QStringLiteral("antenna.radiowaves.left.and.right");
    return QStringLiteral("wifi.slash");
}

QList<double> NetworkGraphView::smoothed(const QList<double>& series, int window)
{
    if (series.size() < 2)
        return series;
    const qsizetype w = std::max(1, window);
    QList<double> result;
    result.reserve(series.size());
    for (qsizetype i = 0; i < series.size(); ++i) {
        const qsizetype first = std::max<qsizetype>(0, i - w + 1);
        double sum = 0;
        for (qsizetype j = first; j <= i; ++j)
            sum += series[j];
        result.append(sum / double(i - first + 1));
    }
    return result;
}

double NetworkGraphView::graphScaleMax(const QList<double>& downloadHistory, const QList<double>& uploadHistory)
{
    const double recentDown = recentMax(downloadHistory);
    const double recentUp = recentMax(uploadHistory);
    const double overall = std::max(largest(downloadHistory, 0), largest(uploadHistory, 0));
    if (recentDown > kMegabyte || recentUp > kMegabyte)
        return std::max({overall * 1.3, recentDown * 1.5, recentUp * 1.5});
    if (recentDown > kKilobyte || recentUp > kKilobyte)
        return std::max({overall * 1.4, recentDown * 1.6, recentUp * 1.6});
    return std::max(overall * 1.5, kMegabyte);
}

QString NetworkGraphView::progressText(double progress)
{
    const QString whole = Readout::wholeText(progress * 100);
    return whole.isEmpty() ? whole : whole + QLatin1Char('%');
}

void NetworkGraphView::runSpeedTest()
{
    m_monitor.runSpeedTest();
}

void NetworkGraphView::startIfNeeded()
{
    // Starting is idempotent, so a monitor stopped by an earlier visit samples again as soon as
    // the card is back, whatever its history holds.
    m_monitor.startMonitoring();
}

void NetworkGraphView::stop()
{
    m_monitor.stopMonitoring();
}

void NetworkGraphView::showEvent(QShowEvent* event)
{
    GlassModifier::showEvent(event);
    if (!event->spontaneous())
        m_start->arm();
}

void NetworkGraphView::hideEvent(QHideEvent* event)
{
    GlassModifier::hideEvent(event);
    // A minimised window keeps its screens; only leaving the screen stops the sampling.
    if (!event->spontaneous()) {
        m_start->disarm();
        stop();
    }
}

void NetworkGraphView::refresh()
{
    const NetworkMonitor& m = m_monitor;
    m_header->symbol()->setSymbol(connectionIcon(m.connectionType()), Color::neonCyan());
    m_connectionName->setVisible(m.isConnected());
    // Shaping the name to elide it is the dearest part of a refresh; the name seldom changes.
    if (m.connectionName() != m_elidedConnectionName) {
        m_elidedConnectionName = m.connectionName();
        m_connectionName->setText(QFontMetrics(m_connectionName->font())
                                      .elidedText(m_elidedConnectionName, Qt::ElideRight, kConnectionNameWidth));
    }

    const bool running = m.isRunningSpeedTest();
    // Hiding a control that has focus hands focus on to the next one, and the page scrolls to show
    // it: focus moves between the button and the spinner that takes its place, so nothing else moves.
    QWidget* leaving = running ? static_cast<QWidget*>(m_speedTestButton) : m_activity;
    QWidget* coming = running ? static_cast<QWidget*>(m_activity) : m_speedTestButton;
    coming->setVisible(true);
    if (leaving->hasFocus())
        coming->setFocus(Qt::OtherFocusReason);
    leaving->setVisible(false);

    m_wifiRow->setVisible(!m.wifiStandard().isEmpty());
    m_wifiStandard->setText(m.wifiStandard());

    m_progress->setVisible(running);
    m_progressPercent->setText(progressText(m.speedTestProgress()));
    m_progressBar->setValue(m.speedTestProgress());

    m_result->setVisible(!running && (m.speedTestDownloadMbps() > 0 || m.speedTestUploadMbps() > 0));
    m_resultDownload->setText(NetworkMonitor::formatMbps(m.speedTestDownloadMbps()));
    m_resultUpload->setText(NetworkMonitor::formatMbps(m.speedTestUploadMbps()));

    m_error->setVisible(!running && !m.speedTestError().isEmpty());
    m_error->setText(m.speedTestError());

    m_downloadSpeed->setText(NetworkMonitor::formatBytesPerSecond(m.downloadSpeed()));
    m_uploadSpeed->setText(NetworkMonitor::formatBytesPerSecond(m.uploadSpeed()));

    const QList<double>& down = m.downloadHistory();
    const QList<double>& up = m.uploadHistory();
    const bool collecting = down.size() < 2;
    m_collecting->setVisible(collecting);
    if (collecting) {
        m_graph->setGraph({}, 1);
        return;
    }
    const double scale = graphScaleMax(down, up);
    m_graph->setGraph({{smoothed(down, m_smoothingWindow), Color::neonCyan(), 0.25, 3},
                       {smoothed(up, m_smoothingWindow), Color::neonPurple(), 0.25, 3}},
                      scale);
}

#include "DashboardView.h"

#include "FanSpeedView.h"
#include "LiveGraphView.h"
#include "NetworkGraphView.h"
#include "PerformanceWarningToast.h"
#include "PerformanceWarnings.h"
#include "PeripheralCard.h"
#include "QuickStatCard.h"
#include "Readout.h"
#include "SessionCard.h"
#include "screens/ScreenPlatform.h"
#include "storage/ColorBlindMode.h"
#include "style/AfterPaint.h"
#include "style/Color.h"
#include "style/PageKeys.h"
#include "telemetry/SystemMonitor.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

DashboardView::DashboardView(SystemMonitor& monitor, SessionLogger& sessionLogger, NetworkMonitor& networkMonitor,
                             bool colorBlindMode, const ScreenPlatform& platform, QWidget* parent)
    : QScrollArea(parent),
      m_monitor(monitor),
      m_sessionLogger(sessionLogger),
      m_networkMonitor(networkMonitor),
      m_colorBlindMode(colorBlindMode),
      m_fanMonitor(platform.sensors),
      m_powerHealthMonitor(platform.powerSupplies)
{
    setFrameShape(QFrame::NoFrame);
    // Tab goes to the cards' controls, which are scrolled into view; the page is no stop of its own.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    PageKeys::attach(this);
    if (platform.monitorIntervalMs > 0) {
        m_fanMonitor.setRefreshInterval(platform.monitorIntervalMs);
        m_powerHealthMonitor.setRefreshInterval(platform.monitorIntervalMs);
    }

    auto* content = new QWidget;
    content->setObjectName("dashboardColumn");
    m_startMonitors = new AfterPaint(content, [this] {
        m_fanMonitor.start();
        m_powerHealthMonitor.start();
    });
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(16);

    m_warnings = new PerformanceWarningToast(content);
    m_warnings->setObjectName("performanceWarnings");
    column->addWidget(m_warnings);

    auto* memory = new LiveGraphView(m_monitor, content);
    memory->setObjectName("liveGraph");
    column->addWidget(memory);

    auto* network = new NetworkGraphView(m_networkMonitor, networkSmoothingWindow, content);
    network->setObjectName("networkCard");
    column->addWidget(network);

    column->addWidget(buildMemoryRow(content));

    auto* peripherals = new PeripheralCard(m_monitor, m_colorBlindMode, content);
    peripherals->setObjectName("peripheralCard");
    column->addWidget(peripherals);

    auto* cooling = new FanSpeedView(m_fanMonitor, m_colorBlindMode, content);
    cooling->setObjectName("coolingCard");
    column->addWidget(cooling);

    auto* session = new SessionCard(m_sessionLogger, m_monitor, platform.fileRevealer, content);
    session->setObjectName("sessionCard");
    column->addWidget(session);

    column->addStretch(1);
    setWidget(content);
    // Set after setWidget(), which turns it on: the backdrop shows through.
    content->setAutoFillBackground(false);

    connect(&m_fanMonitor, &FanMonitor::changed, this, &DashboardView::refreshWarnings);
    connect(&m_powerHealthMonitor, &PowerHealthMonitor::changed, this, &DashboardView::refreshWarnings);
    connect(&m_monitor, &SystemMonitor::changed, this, &DashboardView::refreshMemoryRow);
    refreshWarnings();
    refreshMemoryRow();
}

QWidget* DashboardView::buildMemoryRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    row->setObjectName("memoryRow");
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    m_active = new QuickStatCard("Active", "cpu", Color::neonPurple(), row);
    m_active->setObjectName("activeMemory");
    m_wired = new QuickStatCard("Wired", "lock.fill", Color::systemOrange(), row);
    m_wired->setObjectName("wiredMemory");
    m_compressed = new QuickStatCard("Compressed", "archivebox", Color::neonGreen(), row);
    m_compressed->setObjectName("compressedMemory");
    for (QuickStatCard* card : {m_active, m_wired, m_compressed})
        layout->addWidget(card, 1);
    return row;
}

QList<PerformanceWarningItem> DashboardView::performanceWarnings() const
{
    return PerformanceWarnings::evaluate(m_powerHealthMonitor.battery(), m_fanMonitor.cpuTemp(),
                                         m_fanMonitor.gpuTemp(), m_fanMonitor.temps(), ColorBlindMode::enabled());
}

void DashboardView::refreshWarnings()
{
    const QList<PerformanceWarningItem> warnings = performanceWarnings();
    m_warnings->setWarnings(warnings);
    m_warnings->setVisible(!warnings.isEmpty());
}

void DashboardView::refreshMemoryRow()
{
    const SystemMonitor::RAMStats& ram = m_monitor.ramStats();
    m_active->setValue(Readout::format("%.1f GB", ram.active));
    m_wired->setValue(Readout::format("%.1f GB", ram.wired));
    m_compressed->setValue(Readout::format("%.1f GB", ram.compressed));
}

void DashboardView::showEvent(QShowEvent* event)
{
    QScrollArea::showEvent(event);
    if (event->spontaneous())
        return;
    m_startMonitors->arm();
}

void DashboardView::hideEvent(QHideEvent* event)
{
    QScrollArea::hideEvent(event);
    // A minimised window keeps its screen; only leaving the screen stops the owned monitors.
    if (event->spontaneous())
        return;
    m_startMonitors->disarm();
    m_fanMonitor.stop();
    m_powerHealthMonitor.stop();
}

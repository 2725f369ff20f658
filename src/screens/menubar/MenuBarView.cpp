#include "MenuBarView.h"

#include "MenuBarCompanion.h"
#include "PreviewCell.h"
#include "screens/ScreenPlatform.h"
#include "screens/monitoring/CardHeader.h"
#include "screens/monitoring/Readout.h"
#include "style/Color.h"
#include "style/GlassModifier.h"
#include "style/SwitchToggle.h"
#include "style/TextLabel.h"
#include "telemetry/SystemMonitor.h"
#include "tuning/SystemOptimizer.h"

#include <QHBoxLayout>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr double kBusyLoad = 80;
constexpr int kBusyGPU = 81;
constexpr double kSlowLatencyMs = 100;

GlassModifier* card(const QString& objectName, int spacing, QWidget* parent)
{
    auto* glass = new GlassModifier(16, 16, parent);
    glass->setObjectName(objectName);
    glass->body()->setSpacing(spacing);
    return glass;
}

TextLabel* wrapped(const QString& text, int pixelSize, const QColor& color, QWidget* parent)
{
    auto* label = new TextLabel(text, pixelSize, QFont::Normal, color, parent);
    label->setWordWrap(true);
    return label;
}

// Green (blue) while calm, red (magenta) while busy, in the palette chosen now.
QColor loadColor(bool busy)
{
    return busy ? Color::statusCritical() : Color::statusGood();
}

QHBoxLayout* cellRow(std::initializer_list<PreviewCell*> cells)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(16);
    for (PreviewCell* cell : cells)
        row->addWidget(cell, 1);
    return row;
}

} // namespace

MenuBarView::MenuBarView(MenuBarCompanion& companion, SystemMonitor& monitor, SystemOptimizer& optimizer,
                         const ScreenPlatform& platform, QWidget* parent)
    : ScreenColumn(parent),
      m_companion(companion),
      m_monitor(monitor),
      m_optimizer(optimizer),
      m_fanMonitor(platform.processRunner, platform.sensors)
{
    addCards({companionCard(), previewCard(), aboutCard()});

    connect(&m_companion, &MenuBarCompanion::changed, this, &MenuBarView::refreshSwitch);
    connect(&m_monitor, &SystemMonitor::changed, this, &MenuBarView::refreshPreview);
    connect(&m_optimizer, &SystemOptimizer::changed, this, &MenuBarView::refreshPreview);
    connect(&m_fanMonitor, &FanMonitor::changed, this, &MenuBarView::refreshPreview);
    refreshSwitch();
    refreshPreview();
}

QWidget* MenuBarView::companionCard()
{
    auto* glass = card("companionCard", 12, this);
    auto* header = new CardHeader("menubar.rectangle", Color::neonCyan(), "Menu Bar Companion", glass, 16);
    m_switch = new SwitchToggle(1.0, header);
    m_switch->setObjectName("companionSwitch");
    connect(m_switch, &QAbstractButton::clicked, this, &MenuBarView::toggleCompanion);
    header->addTrailing(m_switch);
    glass->body()->addWidget(header);
    glass->body()->addWidget(wrapped(
        "Show real-time CPU, GPU, and RAM usage in the system tray. Click to view frame limit status.", 12,
        Color::white70(), glass));
    m_unavailable = wrapped(QString(), 11, Color::systemOrange(), glass);
    m_unavailable->setObjectName("companionUnavailable");
    glass->body()->addWidget(m_unavailable);
    return glass;
}

QWidget* MenuBarView::previewCard()
{
    auto* glass = card("previewCard", 12, this);
    glass->body()->addWidget(new CardHeader("eye", Color::neonPurple(), "Live Preview", glass, 16));
    m_cpu = new PreviewCell("cpu", "CPU", glass);
    m_gpu = new PreviewCell("gpu", "GPU", glass);
    m_ram = new PreviewCell("memorychip", "RAM", glass);
    m_frameLimit = new PreviewCell("thermometer", "FPS Limit", glass);
    m_fan = new PreviewCell("fan", "Fan", glass);
    m_latency = new PreviewCell("antenna.radiowaves.left.and.right", "Ping", glass);
    for (auto [cell, name] : {std::pair{m_cpu, "cpuCell"}, {m_gpu, "gpuCell"}, {m_ram, "ramCell"},
                              {m_frameLimit, "frameLimitCell"}, {m_fan, "fanCell"}, {m_latency, "latencyCell"}})
        cell->setObjectName(name);
    glass->body()->addLayout(cellRow({m_cpu, m_gpu, m_ram}));
    glass->body()->addLayout(cellRow({m_frameLimit, m_fan, m_latency}));
    return glass;
}

QWidget* MenuBarView::aboutCard()
{
    auto* glass = card("aboutCard", 10, this);
    glass->body()->addWidget(new CardHeader("info.circle", Color::neonCyan(), "About Menu Bar Companion", glass));
    auto* items = new QVBoxLayout;
    items->setSpacing(8);
    for (const char* line :
         {"CPU/GPU/RAM usage updates every 2 seconds", "Click the tray icon to view frame limit status",
          "Minimal resource usage — only runs when enabled", "Auto-disables when app quits",
          "Works with any desktop panel that has a system tray"}) {
        auto* row = new QHBoxLayout;
        row->setSpacing(8);
        row->addWidget(new TextLabel("•", 12, QFont::Normal, Color::neonCyan(), glass), 0, Qt::AlignTop);
        auto* text = wrapped(QString::fromUtf8(line), 11, Color::white70(), glass);
        text->setMaximumHeight(3 * text->fontMetrics().lineSpacing());
        row->addWidget(text, 1, Qt::AlignTop);
        items->addLayout(row);
    }
    glass->body()->addLayout(items);
    return glass;
}

void MenuBarView::toggleCompanion(bool on)
{
    if (on)
        m_companion.enable();
    else
        m_companion.disable();
    // The switch shows what the companion did, not what was asked.
    refreshSwitch();
}

void MenuBarView::refreshSwitch()
{
    m_switch->setChecked(m_companion.isEnabled());
    const QString reason = m_companion.unavailableReason();
    m_unavailable->setText(reason);
    m_unavailable->setVisible(!reason.isEmpty());
}

void MenuBarView::refreshPreview()
{
    const QList<double>& history = m_monitor.cpuHistory();
    const double cpu = history.isEmpty() ? 0.0 : history.last();
    m_cpu->setReading(Readout::format("%.0f%%", cpu), loadColor(cpu > kBusyLoad));

    const int gpu = m_monitor.gpuStats().utilization;
    m_gpu->setReading(Readout::format("%.0f%%", double(gpu)), loadColor(gpu >= kBusyGPU));

    const double ram = m_monitor.ramStats().percent;
    m_ram->setReading(Readout::format("%.0f%%", ram), loadColor(ram > kBusyLoad));

    const qint64 limit = m_optimizer.frameLimitValue();
    m_frameLimit->setReading(limit >= 1 ? QString::number(limit) : QStringLiteral("Off"),
                             m_optimizer.frameLimitActive() ? Color::neonCyan() : Color::white50());

    const QList<FanSpeed>& fans = m_fanMonitor.fanSpeeds();
    m_fan->setReading(Readout::format("%.0f RPM", fans.isEmpty() ? 0.0 : fans.first().current), Color::neonCyan());

    const std::optional<double> latency = m_monitor.pingLatency();
    const qint64 milliseconds = MenuBarCompanion::wholeMilliseconds(latency).value_or(0);
    m_latency->setReading(QString::number(milliseconds) + "ms", loadColor(latency && *latency > kSlowLatencyMs));
}

void MenuBarView::showEvent(QShowEvent* event)
{
    ScreenColumn::showEvent(event);
    if (event->spontaneous())
        return;
    m_monitor.startMonitoring();
    m_fanMonitor.start();
    m_monitor.refreshPeripheralBatteries();
    refreshSwitch();
}

void MenuBarView::hideEvent(QHideEvent* event)
{
    ScreenColumn::hideEvent(event);
    // A minimised window keeps its screen; only leaving the screen stops the fan sampling.
    if (!event->spontaneous())
        m_fanMonitor.stop();
}

#include "MenuBarCompanion.h"

#include "StatusBar.h"

#include <algorithm>
#include <cmath>

namespace {

QString percent(double load)
{
    return QString::asprintf("%.0f", load) + u'%';
}

QList<StatusItem::MenuEntry> menuEntries()
{
    using Kind = StatusItem::MenuEntry::Kind;
    QList<StatusItem::MenuEntry> entries = {{Kind::Text, QStringLiteral("Quillmarsh")}, {Kind::Separator, {}}};
    for (int reading = 0; reading < 5; ++reading)
        entries.append({Kind::Text, {}});
    entries.append({Kind::Separator, {}});
    entries.append({Kind::Quit, QStringLiteral("Quit")});
    return entries;
}

} // namespace

MenuBarCompanion::MenuBarCompanion(StatusBar& statusBar, QObject* parent) : QObject(parent), m_statusBar(statusBar)
{
    m_timer.setInterval(defaultUpdateIntervalMs);
    // The screen shows why the companion cannot be switched on, or why the item it shows is not
    // seen, and follows the status area. The item itself stays, and shows again with the tray.
    connect(&m_statusBar, &StatusBar::availabilityChanged, this, &MenuBarCompanion::changed);
    // Each tick reaches the update through one more turn of the event loop.
    connect(&m_timer, &QTimer::timeout, this,
            [this] { QMetaObject::invokeMethod(this, &MenuBarCompanion::updateStatus, Qt::QueuedConnection); });
}

MenuBarCompanion::~MenuBarCompanion()
{
    disable();
}

void MenuBarCompanion::enable()
{
    if (m_isEnabled)
        return;
    std::unique_ptr<StatusItem> item = m_statusBar.isAvailable() ? m_statusBar.addItem() : nullptr;
    if (!item) {
        emit changed();
        return;
    }
    m_isEnabled = true;
    if (m_monitor)
        m_monitor->startMonitoring();
    m_statusItem = std::move(item);
    connect(m_statusItem.get(), &StatusItem::quitChosen, this, &MenuBarCompanion::quitRequested);
    // The menu comes after the first update, so its readings stay blank until the first tick.
    updateStatus();
    m_statusItem->setMenu(menuEntries());
    m_timer.start();
    emit changed();
}

void MenuBarCompanion::disable()
{
    if (!m_isEnabled)
        return;
    m_isEnabled = false;
    m_timer.stop();
    if (m_statusItem) {
        m_statusItem->remove();
        m_statusItem.reset();
    }
    emit changed();
}

QString MenuBarCompanion::unavailableReason() const
{
    if (m_statusBar.isAvailable())
        return {};
    if (!m_statusBar.isReachable())
        return m_isEnabled ? unreachableWhileOnText : unreachableText;
    return m_isEnabled ? trayGoneText : unavailableText;
}

void MenuBarCompanion::updateStatus()
{
    if (m_statusItem)
        show(*m_statusItem, readings());
}

MenuBarCompanion::Readings MenuBarCompanion::readings() const
{
    Readings now;
    if (const SystemMonitor* monitor = m_monitor) {
        now.cpu = monitor->cpuHistory().isEmpty() ? 0.0 : monitor->cpuHistory().last();
        now.ram = monitor->ramStats().percent;
        now.gpu = double(monitor->gpuStats().utilization);
        now.latency = monitor->pingLatency();
    }
    if (const SystemOptimizer* optimizer = m_optimizer)
        now.frameLimit = optimizer->frameLimitValue();
    return now;
}

void MenuBarCompanion::show(StatusItem& item, const Readings& readings)
{
    const QString cpu = percent(readings.cpu);
    const QString ram = percent(readings.ram);
    const std::optional<QString> gpu = readings.gpu > 0 ? std::optional(percent(readings.gpu)) : std::nullopt;

    item.setTitle("CPU " + cpu + " GPU" + (gpu ? " " + *gpu : QString()) + " RAM " + ram);
    if (item.menuSize() < menuEntryCount)
        return;
    item.setMenuTitle(frameLimitEntry, "Frame Limit: " + (readings.frameLimit >= 1
                                                             ? QString::number(readings.frameLimit) + " FPS"
                                                             : QStringLiteral("Off")));
    item.setMenuTitle(cpuEntry, "CPU: " + cpu);
    item.setMenuTitle(gpuEntry, "GPU: " + gpu.value_or(QStringLiteral("Unavailable")));
    item.setMenuTitle(ramEntry, "RAM: " + ram);
    const auto latency = wholeMilliseconds(readings.latency);
    item.setMenuTitle(latencyEntry,
                      "Ping: " + (latency ? QString::number(*latency) + "ms" : QStringLiteral("Checking")));
}

std::optional<qint64> MenuBarCompanion::wholeMilliseconds(std::optional<double> latency)
{
    if (!latency || !std::isfinite(*latency))
        return std::nullopt;
    // Every qint64 up to 2^63 - 1024 is a double; clamping there keeps the conversion defined.
    constexpr double highest = 9223372036854774784.0;
    return qint64(std::trunc(std::clamp(*latency, -highest, highest)));
}

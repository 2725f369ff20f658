#include "LiveGraphView.h"

#include "telemetry/SystemMonitor.h"

LiveGraphView::LiveGraphView(SystemMonitor& monitor, QWidget* parent) : RAMGraphView(parent), m_monitor(monitor)
{
    connect(&m_monitor, &SystemMonitor::changed, this, &LiveGraphView::refresh);
    refresh();
}

void LiveGraphView::refresh()
{
    const SystemMonitor::RAMStats& ram = m_monitor.ramStats();
    setValues(m_monitor.ramHistory(), ram.used, ram.total, 100);
}

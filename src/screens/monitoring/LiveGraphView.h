#pragma once

#include "RAMGraphView.h"

class SystemMonitor;

// The memory card of the Dashboard: redraws the RAM graph from the borrowed monitor's memory
// figures and load history whenever the monitor publishes, on a scale of 0 to 100 %.
class LiveGraphView : public RAMGraphView {
    Q_OBJECT
public:
    explicit LiveGraphView(SystemMonitor& monitor, QWidget* parent = nullptr);

private:
    void refresh();

    SystemMonitor& m_monitor;
};

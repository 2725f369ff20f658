#pragma once

#include "FakeGraphicsDevice.h"
#include "FakeHostStatistics.h"
#include "FakeProcessRunner.h"

#include <QString>

class SystemMonitor;

// Brings a SystemMonitor over fakes to chosen readings through its ordinary sampling calls, each
// waited for until published. The GPU load needs a graphics device named before the monitor was made.
class MonitorReadings {
public:
    MonitorReadings(SystemMonitor& monitor, FakeHostStatistics& host, FakeGraphicsDevice& graphics,
                    FakeProcessRunner& runner)
        : m_monitor(monitor), m_host(host), m_graphics(graphics), m_runner(runner)
    {
    }

    // CPU and memory load in percent, to a tenth; the memory is made 1000 pages large.
    void setLoads(double cpu, double ram);
    void setGPU(qint64 percent);
    // The latency as ping prints it ("23.9").
    void setLatency(const QString& milliseconds);

private:
    template <typename Start>
    void sample(Start start);

    SystemMonitor& m_monitor;
    FakeHostStatistics& m_host;
    FakeGraphicsDevice& m_graphics;
    FakeProcessRunner& m_runner;
};

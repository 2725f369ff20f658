#pragma once

#include "NetworkPathMonitor.h"

// A path monitor that reports what the test tells it to, only while started.
class FakeNetworkPathMonitor final : public NetworkPathMonitor {
    Q_OBJECT
public:
    void start() override
    {
        m_running = true;
        ++m_starts;
    }
    void cancel() override { m_running = false; }

    // Returns whether the path was reported (a cancelled monitor reports nothing).
    bool report(const NetworkPath& path)
    {
        if (!m_running)
            return false;
        emit pathChanged(path);
        return true;
    }

    bool isRunning() const { return m_running; }
    int starts() const { return m_starts; }

private:
    bool m_running = false;
    int m_starts = 0;
};

#pragma once

#include "GraphicsDevice.h"
#include "Locked.h"

// No graphics device until a test names one; a named device reports the load that was set.
class FakeGraphicsDevice final : public GraphicsDevice {
public:
    std::optional<QString> defaultDeviceName() override { return m_name.get(); }
    AcceleratorStatistics acceleratorStatistics() override { return {std::nullopt, std::nullopt, m_utilization.get()}; }

    // The monitor looks for the device once, when it is made.
    void setDevice(const QString& name) { m_name.set(name); }
    void setUtilization(std::optional<qint64> percent) { m_utilization.set(percent); }

private:
    Locked<std::optional<QString>> m_name;
    Locked<std::optional<qint64>> m_utilization;
};

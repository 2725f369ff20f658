#pragma once

#include "GraphicsDevice.h"

#include <QMutex>

// A graphics device that tests describe; by default there is none.
class FakeGraphicsDevice final : public GraphicsDevice {
public:
    std::optional<QString> defaultDeviceName() override
    {
        QMutexLocker lock(&m_mutex);
        return m_name;
    }
    AcceleratorStatistics acceleratorStatistics() override
    {
        QMutexLocker lock(&m_mutex);
        return m_statistics;
    }

    void setDeviceName(std::optional<QString> name)
    {
        QMutexLocker lock(&m_mutex);
        m_name = std::move(name);
    }
    void setStatistics(const AcceleratorStatistics& statistics)
    {
        QMutexLocker lock(&m_mutex);
        m_statistics = statistics;
    }

private:
    QMutex m_mutex;
    std::optional<QString> m_name;
    AcceleratorStatistics m_statistics;
};

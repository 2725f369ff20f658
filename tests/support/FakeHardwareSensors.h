#pragma once

#include "HardwareSensors.h"

#include <QMutex>

// Sensors that tests set; by default none.
class FakeHardwareSensors final : public HardwareSensors {
public:
    SensorReadings read() override
    {
        QMutexLocker lock(&m_mutex);
        ++m_reads;
        return m_readings;
    }

    void setReadings(SensorReadings readings)
    {
        QMutexLocker lock(&m_mutex);
        m_readings = std::move(readings);
    }
    int reads() const
    {
        QMutexLocker lock(&m_mutex);
        return m_reads;
    }

private:
    mutable QMutex m_mutex;
    SensorReadings m_readings;
    int m_reads = 0;
};

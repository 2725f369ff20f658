#pragma once

#include "HardwareSensors.h"
#include "Locked.h"

// Sensors that tests set; by default none.
class FakeHardwareSensors final : public HardwareSensors {
public:
    SensorReadings read() override
    {
        ++m_reads;
        return m_readings.get();
    }

    void setReadings(SensorReadings readings) { m_readings.set(std::move(readings)); }
    int reads() const { return m_reads; }

private:
    Locked<SensorReadings> m_readings;
    std::atomic<int> m_reads = 0;
};

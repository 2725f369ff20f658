#pragma once

#include "HardwareSensors.h"

#include <QString>

// Fans and temperatures from the hwmon chips under <sys>/class/hwmon, chips and inputs in
// numeric order. A fan is listed when its fanN_input reads; a temperature is named after its
// chip and its label ("nvme Composite"), with "CPU" or "GPU" in place of the chip's name for
// the processor and graphics drivers' chips ("CPU Package id 0", "GPU edge").
class LinuxHardwareSensors final : public HardwareSensors {
public:
    explicit LinuxHardwareSensors(const QString& sysRoot = QStringLiteral("/sys"));

    SensorReadings read() override;

private:
    QString m_folder;
};

#pragma once

#include <memory>

class FileRevealer;
class HardwareSensors;
class PowerSupplies;
class ProcessRunner;

// The platform objects from which a screen makes the monitors it owns while shown, and those its
// cards act through.
struct ScreenPlatform {
    std::shared_ptr<ProcessRunner> processRunner;
    std::shared_ptr<HardwareSensors> sensors;
    std::shared_ptr<PowerSupplies> powerSupplies;
    std::shared_ptr<FileRevealer> fileRevealer;
    // When above 0, the refresh interval of the monitors the screen owns; tests stretch it so that
    // only the reads they start happen.
    int monitorIntervalMs = 0;
};

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// What the graphics drivers report about their load and memory, summed over all accelerators.
struct AcceleratorStatistics {
    // The accelerators' own memory in bytes; nothing when they share the system's memory or do not say.
    std::optional<quint64> memoryTotal;
    // Bytes allocated on the accelerators; nothing when no driver reports it.
    std::optional<quint64> memoryUsed;
    // Busy percentage of the first accelerator that reports one, as reported (not clamped).
    std::optional<qint64> utilization;
};

// The machine's graphics device. Every call may come from any thread.
class GraphicsDevice {
public:
    virtual ~GraphicsDevice() = default;

    // The system's default graphics device by its own name; nothing when there is none.
    virtual std::optional<QString> defaultDeviceName() = 0;
    virtual AcceleratorStatistics acceleratorStatistics() = 0;
};

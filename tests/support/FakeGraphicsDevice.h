#pragma once

#include "GraphicsDevice.h"

// No graphics device.
class FakeGraphicsDevice final : public GraphicsDevice {
public:
    std::optional<QString> defaultDeviceName() override { return std::nullopt; }
    AcceleratorStatistics acceleratorStatistics() override { return {}; }
};

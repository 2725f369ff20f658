#pragma once

#include "StatusBar.h"

// The status area of a Linux desktop: the system tray, when a tray host runs.
class TrayStatusBar final : public StatusBar {
public:
    bool isAvailable() const override;
    std::unique_ptr<StatusItem> addItem() override;
};

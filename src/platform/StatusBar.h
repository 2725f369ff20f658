#pragma once

#include "StatusItem.h"

#include <memory>

// The system's status area, where applications show small items. A desktop without one (no tray
// host running) makes no items. Main thread only.
class StatusBar {
public:
    virtual ~StatusBar() = default;

    virtual bool isAvailable() const = 0;
    // A new, empty item, already shown; nothing when the status area is not available.
    virtual std::unique_ptr<StatusItem> addItem() = 0;
};

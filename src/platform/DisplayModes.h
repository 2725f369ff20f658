#pragma once

#include "DisplayMode.h"

#include <QList>
#include <optional>

// The modes of the main display and the switch between them. An implementation is bound to one
// display when it is made. Every call may come from any thread; the switch is the slow one.
class DisplayModes {
public:
    virtual ~DisplayModes() = default;

    // Every mode the display offers, in the display system's order; with `includeDuplicateLowResolution`
    // also the low-resolution copies of high-density modes where the system keeps such copies apart.
    // Nothing when there is no display or it cannot be asked.
    virtual std::optional<QList<DisplayMode>> allModes(bool includeDuplicateLowResolution) = 0;
    // The mode in use; nothing when there is no display or it is switched off.
    virtual std::optional<DisplayMode> currentMode() = 0;
    // Switches the display to `mode`: 0 on success, another value on failure.
    virtual int setMode(const DisplayMode& mode) = 0;
};

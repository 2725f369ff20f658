#pragma once

#include "SleepHold.h"

#include <memory>

// Keeps the display awake and the machine from sleeping while a hold lives. Used on the main thread.
class SleepInhibitor {
public:
    virtual ~SleepInhibitor() = default;

    // A new hold; nullptr when the system gave none.
    virtual std::unique_ptr<SleepHold> hold() = 0;
};

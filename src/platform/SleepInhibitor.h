#pragma once

#include "SleepHold.h"

#include <functional>
#include <memory>

class QObject;

// Keeps the display awake and the machine from sleeping while a hold lives. Used on the main thread.
class SleepInhibitor {
public:
    using Taken = std::function<void(std::unique_ptr<SleepHold>)>;

    virtual ~SleepInhibitor() = default;

    // Asks for a new hold. `taken` gets it, or nullptr when the system gave none, once on the main
    // thread (possibly before this returns), and not at all once `context` is gone.
    virtual void hold(QObject* context, Taken taken) = 0;
};

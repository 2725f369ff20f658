#pragma once

#include "SleepHold.h"

#include <functional>
#include <memory>

class QObject;
class QString;

// Keeps the display awake and the machine from sleeping while a hold lives. Used on the main thread.
class SleepInhibitor {
public:
    // `problem` says why the system gave no hold, in a few words ("no answer from the system bus").
    using Taken = std::function<void(std::unique_ptr<SleepHold> hold, const QString& problem)>;

    virtual ~SleepInhibitor() = default;

    // Asks for a new hold. `taken` gets it, or nullptr and the problem when the system gave none,
    // once on the main thread (possibly before this returns), and not at all once `context` is gone.
    virtual void hold(QObject* context, Taken taken) = 0;
};

#pragma once

#include "HeldProcess.h"
#include "ProcessResult.h"

#include <QStringList>
#include <functional>
#include <memory>

// Starts programs by absolute path with an argument list; there is never a shell in between.
// run() blocks until the child exits or its time is up, so callers use it from worker threads
// except where a short run on the main thread is intended. Implementations are thread-safe.
class ProcessRunner {
public:
    static constexpr int kDefaultTimeoutMs = 30'000;

    virtual ~ProcessRunner() = default;

    virtual ProcessResult run(const QString& program, const QStringList& arguments,
                              int timeoutMs = kDefaultTimeoutMs) = 0;
    // Like run(), but the child is also ended, as at a timeout, once `abandoned` returns true: work
    // whose caller has gone away stops early. `abandoned` is asked from the calling thread every
    // few hundred milliseconds. Runners that cannot end a child early run it to its end.
    virtual ProcessResult runUnlessAbandoned(const QString& program, const QStringList& arguments, int timeoutMs,
                                             const std::function<bool()>& abandoned)
    {
        Q_UNUSED(abandoned);
        return run(program, arguments, timeoutMs);
    }

    // Starts a child that is kept until stop(); nullptr when it could not be started.
    virtual std::unique_ptr<HeldProcess> startHeld(const QString& program, const QStringList& arguments) = 0;

    // At quit: ends every child still running, waiting a bounded time, and starts no new one. Runs
    // under way return as soon as their child is gone. Called on the main thread.
    virtual void endChildren() {}
};

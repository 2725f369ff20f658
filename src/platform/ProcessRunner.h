#pragma once

#include "HeldProcess.h"
#include "ProcessResult.h"

#include <QStringList>
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

    // Starts a child that is kept until stop(); nullptr when it could not be started.
    virtual std::unique_ptr<HeldProcess> startHeld(const QString& program, const QStringList& arguments) = 0;

    // At quit: ends every child still running, waiting a bounded time, and starts no new one. Runs
    // under way return as soon as their child is gone. Called on the main thread.
    virtual void endChildren() {}
};

#pragma once

#include "FakeAppleScriptRunner.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "FakeWorkspace.h"
#include "FreeMemorySequence.h"
#include "WorkQueues.h"
#include "tuning/SystemOptimizer.h"

#include <memory>

// Gives tests the frame-limit and HUD state that the later operations keep.
class TestableOptimizer final : public SystemOptimizer {
public:
    using SystemOptimizer::SystemOptimizer;
    void forceMetalHUD(bool enabled) { m_metalHUDEnabled = enabled; }
    void forceFrameLimitActive(bool active) { m_frameLimitActive = active; }
    void recordHUDBundle(const QString& bundle) { m_metalHUDBundleIDs.insert(bundle); }
};

// An optimizer over fakes: nothing it does reaches the real system. Timers are short.
class OptimizerFixture {
public:
    static constexpr std::chrono::milliseconds kAutoHealInterval{20};
    static constexpr std::chrono::milliseconds kMinute{5};

    FakeWorkspace workspace;
    FakeProcessControl processes;
    FakeProcessRunner runner;
    FakeAppleScriptRunner scripts;
    FreeMemorySequence memory;

    explicit OptimizerFixture(HostStatistics* host = nullptr)
        : m_optimizer(std::make_unique<TestableOptimizer>(
            SystemOptimizer::Services{workspace, processes, runner, scripts, host ? *host : memory},
            SystemOptimizer::Timing{kAutoHealInterval, kMinute}))
    {
    }
    ~OptimizerFixture()
    {
        // Background work uses the fakes; it must be over before they go.
        WorkQueues::drain();
        m_optimizer.reset();
    }

    TestableOptimizer& optimizer() { return *m_optimizer; }
    // Drops the optimizer as the root view does when it goes; background work may still be queued.
    void release() { m_optimizer.reset(); }

    // Runs the application in the workspace, as a process of this user.
    void run(const RunningApplication& app, int nice = 0)
    {
        workspace.add(app);
        processes.add(app.processIdentifier, app.startTime, nice);
    }
    void run(const QList<RunningApplication>& apps)
    {
        for (const RunningApplication& app : apps)
            run(app);
    }

private:
    std::unique_ptr<TestableOptimizer> m_optimizer;
};

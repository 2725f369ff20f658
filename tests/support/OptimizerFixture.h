#pragma once

#include "FakeAppleScriptRunner.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "FakeWorkspace.h"
#include "FreeMemorySequence.h"
#include "WorkQueues.h"
#include "tuning/SystemOptimizer.h"

#include <QCoreApplication>

// An optimizer over fakes: nothing it does reaches the real system. Timers are short.
struct OptimizerFixture {
    static constexpr std::chrono::milliseconds kMinute{5};

    FakeWorkspace workspace;
    FakeProcessControl processes;
    FakeProcessRunner runner;
    FakeAppleScriptRunner scripts;
    FreeMemorySequence memory;
    SystemOptimizer optimizer{{workspace, processes, runner, scripts, memory}, {std::chrono::milliseconds(20), kMinute}};

    // Background work uses the fakes; it must be over before they go.
    ~OptimizerFixture() { WorkQueues::drain(); }

    // Lets background work finish and hand its results to the main thread.
    static void settle()
    {
        WorkQueues::drain();
        QCoreApplication::processEvents();
    }
    // Runs the applications in the workspace, as processes of this user.
    void run(const QList<RunningApplication>& apps, int nice = 0)
    {
        for (const RunningApplication& app : apps) {
            workspace.add(app);
            processes.add(app.processIdentifier, app.startTime, nice);
        }
    }
};

inline RunningApplication app(qint32 pid, const QString& name, const QString& bundle = {},
                              RunningApplication::ActivationPolicy policy = RunningApplication::ActivationPolicy::Regular)
{
    return FakeWorkspace::application(pid, name, bundle, policy);
}

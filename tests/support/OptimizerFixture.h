#pragma once

#include "FakeAppleScriptRunner.h"
#include "FakeHostStatistics.h"
#include "FakeProcessControl.h"
#include "FakeProcessRunner.h"
#include "FakeWorkspace.h"
#include "WorkQueues.h"
#include "macos/MacToolBackends.h"
#include "macos/MetalDefaults.h"
#include "tuning/SystemOptimizer.h"

#include <QCoreApplication>
#include <cmath>

// An optimizer over fakes: nothing it does reaches the real system. Timers are short.
struct OptimizerFixture {
    static constexpr std::chrono::milliseconds kMinute{5};

    FakeWorkspace workspace;
    FakeProcessControl processes;
    FakeProcessRunner runner;
    FakeAppleScriptRunner scripts;
    FakeHostStatistics host;
    // The Mac's defaults tool over the fake runner: what it was asked shows in the runner.
    MetalDefaults overlay{runner};
    // The tuning actions run their tools through the fake runner.
    TuningBackends backends = macToolBackends(runner, scripts);
    SystemOptimizer optimizer{{workspace, processes, runner, scripts, host, overlay, backends},
                              {std::chrono::milliseconds(20), kMinute}};

    // Background work uses the fakes; it must be over before they go.
    ~OptimizerFixture() { WorkQueues::drain(); }

    // Lets background work finish and hand its results to the main thread.
    static void settle()
    {
        WorkQueues::drain();
        QCoreApplication::processEvents();
    }
    // What the host reports as free memory; nothing makes the reading fail.
    void setFreeMemory(std::optional<double> gigabytes)
    {
        host.setVirtualMemory(gigabytes ? std::optional(VirtualMemoryStatistics{
                                              .freeCount = quint64(std::ldexp(*gigabytes, 30)) / host.pageSize()})
                                        : std::nullopt);
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

// A regular application unless told otherwise.
inline RunningApplication app(qint32 pid, const QString& name, const QString& bundle = {},
                              RunningApplication::ActivationPolicy policy = {},
                              std::optional<QString> executable = std::nullopt)
{
    RunningApplication application = FakeWorkspace::application(pid, name, bundle, policy);
    application.executableLocation = executable.value_or(application.executableLocation);
    return application;
}

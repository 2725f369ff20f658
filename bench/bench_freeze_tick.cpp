// CPU time of the Background Freeze work done on the main thread once a second while it is on:
// rebuilding the candidates from the user's running applications (a scan of /proc, the rules and
// the sort) against the scan alone. Nothing is paused: the manager stays switched off.
// Run by hand: build/bench/bench_freeze_tick [ticks]

#include "LoopbackOnlyNetwork.h"
#include "CpuTime.h"
#include "linux/JsonFileDefaults.h"
#include "linux/LinuxProcessControl.h"
#include "linux/LinuxWorkspace.h"
#include "tuning/FocusFreezeManager.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char* argv[])
{
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    QCoreApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    QTemporaryDir scratch;
    JsonFileDefaults defaults(scratch.filePath("defaults.json"));
    LinuxProcessControl control;
    LinuxWorkspace workspace(control, {});
    FocusFreezeManager manager({workspace, control, defaults});

    workspace.runningApplications();
    const double scan = CpuTime::medianThreadTime(ticks, [&workspace] { workspace.runningApplications(); });
    const double refresh = CpuTime::medianThreadTime(ticks, [&manager] { manager.refreshCandidates(); });
    std::printf("applications: %d, candidates: %d\n", int(workspace.runningApplications().size()),
                int(manager.candidates().size()));
    std::printf("scan of the running applications: %8.0f us\n", scan);
    std::printf("candidate rebuild (scan + rules): %8.0f us  (%.2fx the scan)\n", refresh, refresh / scan);
    return 0;
}

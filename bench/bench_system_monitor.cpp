// CPU time of one SystemMonitor tick on the live Linux readers, against the floor of reading
// /proc/stat and /proc/meminfo once the way cat does, both on the process clock (the tick's
// measuring runs on a worker thread). Run by hand: build/bench/bench_system_monitor [ticks]

#include "LoopbackOnlyNetwork.h"
#include "CpuTime.h"
#include "RawRead.h"
#include "MainThread.h"
#include "WorkQueues.h"
#include "linux/LinuxGraphicsDevice.h"
#include "linux/LinuxHostStatistics.h"
#include "linux/LinuxPowerSupplies.h"
#include "linux/LinuxProcessRunner.h"
#include "telemetry/SystemMonitor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

int main(int argc, char* argv[])
{
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    QCoreApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;

    SystemMonitor monitor(std::make_shared<LinuxHostStatistics>(), std::make_shared<LinuxGraphicsDevice>(),
                          std::make_shared<LinuxPowerSupplies>(), std::make_shared<LinuxProcessRunner>());
    int published = 0;
    QObject::connect(&monitor, &SystemMonitor::changed, [&] { ++published; });
    const auto readFloor = [] {
        const double start = CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID);
        RawRead::file("/proc/stat");
        RawRead::file("/proc/meminfo");
        return CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID) - start;
    };
    const auto tick = [&] {
        const double start = CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID);
        const int before = published;
        monitor.updateMemoryAndCPU();
        monitor.updatePing();
        monitor.updateGPU();
        while (published == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID) - start;
    };
    // The hand-off the tick must make, alone: an empty work item to the utility queue and an empty
    // result back to the main thread.
    const auto hop = [] {
        const double start = CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID);
        bool back = false;
        WorkQueues::utility().start([&back] { MainThread::post([&back] { back = true; }); });
        while (!back)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return CpuTime::microseconds(CLOCK_PROCESS_CPUTIME_ID) - start;
    };
    for (int i = 0; i < 50; ++i)
        tick();
    // Interleaved, so that a change in the machine's load weighs on both alike.
    std::vector<double> floor;
    std::vector<double> sampled;
    std::vector<double> hops;
    for (int i = 0; i < ticks; ++i) {
        floor.push_back(readFloor());
        sampled.push_back(tick());
        hops.push_back(hop());
    }

    const double floorMedian = CpuTime::median(floor);
    const double tickMedian = CpuTime::median(sampled);
    std::printf("reading /proc/stat + /proc/meminfo once (cat): median %.1f us CPU over %d reads\n", floorMedian, ticks);
    std::printf("one SystemMonitor tick:                        median %.1f us CPU over %d ticks\n", tickMedian, ticks);
    std::printf("hand-off to the utility queue and back alone:  median %.1f us CPU\n", CpuTime::median(hops));
    std::printf("ratio %.2f (limit 3.00): %s\n", tickMedian / floorMedian, tickMedian <= 3 * floorMedian ? "ok" : "OVER");
    return tickMedian <= 3 * floorMedian ? 0 : 1;
}

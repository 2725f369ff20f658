// CPU time of one scan of the user's applications from /proc, the work the workspace does once a
// second, against the floor of listing /proc and reading every process's stat file once.
// Run by hand: build/bench/bench_application_scan [scans]

#include "LoopbackOnlyNetwork.h"
#include "CpuTime.h"
#include "RawRead.h"
#include "linux/DesktopEntryIndex.h"
#include "linux/LinuxApplicationScanner.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <vector>

namespace {

void readEveryStat()
{
    for (const QString& name : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.front().isDigit())
            RawRead::file(("/proc/" + name.toLatin1() + "/stat").constData());
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Live services, and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    QCoreApplication app(argc, argv);
    const int scans = argc > 1 ? std::max(10, atoi(argv[1])) : 200;
    const QStringList folders = DesktopEntryIndex::standardFolders();

    const double floor = CpuTime::medianThreadTime(scans, readEveryStat);
    const double index = CpuTime::medianThreadTime(10, [&folders] { DesktopEntryIndex(folders).forExecutable({}); });
    int applications = 0;
    const double cold = CpuTime::medianThreadTime(10, [&] {
        LinuxApplicationScanner scanner("/proc", {});
        applications = int(scanner.scan().applications.size());
    });
    LinuxApplicationScanner scanner("/proc", folders);
    scanner.scan();
    const double warm = CpuTime::medianThreadTime(scans, [&scanner] { scanner.scan(); });

    std::printf("processes: %d, applications: %d\n", int(QDir("/proc").entryList({"[0-9]*"}, QDir::Dirs).size()),
                applications);
    std::printf("floor (list /proc, read every stat): %8.0f us\n", floor);
    std::printf("desktop entry index, built once:     %8.0f us\n", index);
    std::printf("first scan (describes every process): %7.0f us  (%.1fx floor)\n", cold, cold / floor);
    std::printf("later scans (known processes):       %8.0f us  (%.1fx floor)\n", warm, warm / floor);
    return 0;
}

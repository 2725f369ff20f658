// Runs the network monitor on the real machine for a while and prints every sample it publishes,
// for comparison with the interface's own counters (see network_monitor_live.sh).
//
//   network_monitor_live [--seconds N] [--probe-host HOST]

#include "linux/LazyBusConnection.h"
#include "linux/LinuxInterfaceCounters.h"
#include "linux/LinuxLatencyProbe.h"
#include "linux/LinuxNetworkPathMonitor.h"
#include "linux/LinuxProcessRunner.h"
#include "linux/LinuxWiFiNetwork.h"
#include "telemetry/NetworkMonitor.h"
#include "telemetry/PingProbe.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"seconds", "How long to sample.", "seconds", "20"});
    parser.addOption({"probe-host", "Host the latency probe pings.", "host", "1.1.1.1"});
    parser.process(app);

    NetworkMonitor::Options options;
    options.latencyHost = parser.value("probe-host");
    auto runner = std::make_shared<LinuxProcessRunner>();
    const LazyBusConnection systemBus = LazyBusConnection::system();
    NetworkMonitor monitor({std::make_shared<LinuxInterfaceCounters>(),
                            std::make_shared<LinuxNetworkPathMonitor>(
                                LinuxNetworkPathMonitor::Options{.networkManagerBus = systemBus}),
                            runner, std::make_shared<LinuxLatencyProbe>(std::make_shared<PingProbe>(runner)),
                            std::make_shared<LinuxWiFiNetwork>(systemBus, runner)},
                           options);

    QElapsedTimer clock;
    double rawDownSum = 0;
    double rawUpSum = 0;
    double downSum = 0;
    double upSum = 0;
    int samples = 0;
    qsizetype seen = 0;
    QObject::connect(&monitor, &NetworkMonitor::changed, &monitor, [&] {
        if (monitor.downloadHistory().size() == seen)
            return;
        seen = monitor.downloadHistory().size();
        ++samples;
        rawDownSum += monitor.downloadHistory().last();
        rawUpSum += monitor.uploadHistory().last();
        downSum += monitor.downloadSpeed();
        upSum += monitor.uploadSpeed();
        std::printf("t=%.3f interface=%s rawDown=%.0f rawUp=%.0f down=%.0f up=%.0f shown=%s/%s latency=%s "
                    "type=%s connected=%d\n",
                    double(clock.elapsed()) / 1000, qUtf8Printable(monitor.primaryInterface()),
                    monitor.downloadHistory().last(), monitor.uploadHistory().last(), monitor.downloadSpeed(),
                    monitor.uploadSpeed(), qUtf8Printable(NetworkMonitor::formatBytesPerSecond(monitor.downloadSpeed())),
                    qUtf8Printable(NetworkMonitor::formatBytesPerSecond(monitor.uploadSpeed())),
                    monitor.latency() ? qUtf8Printable(QString::number(*monitor.latency())) : "none",
                    qUtf8Printable(monitor.connectionType()), monitor.isConnected());
        std::fflush(stdout);
    });

    clock.start();
    monitor.startMonitoring();
    QTimer::singleShot(parser.value("seconds").toInt() * 1000 + 500, &app, [&] {
        monitor.stopMonitoring();
        const double n = samples > 0 ? samples : 1;
        std::printf("summary samples=%d meanRawDown=%.0f meanRawUp=%.0f meanDown=%.0f meanUp=%.0f\n", samples,
                    rawDownSum / n, rawUpSum / n, downSum / n, upSum / n);
        app.quit();
    });
    return app.exec();
}

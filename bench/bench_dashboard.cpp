// What the window costs while it shows the Dashboard with this machine's live services: the
// process's CPU time per second of wall time and its peak resident memory (VmHWM), beside a bare
// Qt window with a one-second timer, measured in the same run. Each mode runs in a child process
// of its own, one after the other, in a scratch home so no file of the user is touched.
//
// Run by hand: build/bench/bench_dashboard [seconds]           (offscreen unless a display is set)
//              xvfb-run -a -s "-screen 0 1440x900x24" build/bench/bench_dashboard [seconds]

#include "LoopbackOnlyNetwork.h"
#include "CpuTime.h"
#include "TestMain.h"
#include "app/LinuxPlatform.h"
#include "app/MainWindow.h"
#include "storage/SecureLocalStore.h"
#include "style/AppStyle.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <memory>
#include <sys/resource.h>

namespace {

constexpr int kWarmUpMs = 5000;
constexpr double kCpuTarget = 2.0;    // percent of one core
constexpr double kMemoryTarget = 60.0; // MB resident

double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The GUI thread alone: drawing, layout and the services' main-thread work.
double mainThreadSeconds()
{
    return CpuTime::microseconds(CLOCK_THREAD_CPUTIME_ID) / 1e6;
}

qint64 peakResidentKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line("^VmHWM:\\s+(\\d+) kB", QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// Runs the event loop for the warm-up, then measures for `seconds`.
int measure(QApplication& app, int seconds)
{
    double selfStart = 0;
    double childrenStart = 0;
    double mainStart = 0;
    QElapsedTimer wall;
    QTimer::singleShot(kWarmUpMs, &app, [&] {
        selfStart = cpuSeconds(RUSAGE_SELF);
        childrenStart = cpuSeconds(RUSAGE_CHILDREN);
        mainStart = mainThreadSeconds();
        wall.start();
        QTimer::singleShot(seconds * 1000, &app, [&] {
            const double elapsed = double(wall.elapsed()) / 1000.0;
            std::printf("cpu=%.3f main=%.3f children=%.3f hwm=%lld\n",
                        (cpuSeconds(RUSAGE_SELF) - selfStart) / elapsed * 100.0,
                        (mainThreadSeconds() - mainStart) / elapsed * 100.0,
                        (cpuSeconds(RUSAGE_CHILDREN) - childrenStart) / elapsed * 100.0,
                        static_cast<long long>(peakResidentKilobytes()));
            std::fflush(stdout);
            app.quit();
        });
    });
    return app.exec();
}

int runDashboard(int argc, char* argv[], int seconds)
{
    TestEnvironment scratch;
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillmarsh");
    AppStyle::install();
    LinuxPlatform platform;
    const PlatformServices services = platform.services();
    services.secureStore->writeSecure(SecureLocalStore::setupCompleteKey, QByteArrayLiteral("true"));
    MainWindow window(services);
    window.resize(1000, 650);
    window.show();
    return measure(app, seconds);
}

int runBare(int argc, char* argv[], int seconds)
{
    TestEnvironment scratch;
    QApplication app(argc, argv);
    QWidget window;
    auto* label = new QLabel("0", &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(label);
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, label, [&] { label->setNum(++ticks); });
    tick.start(1000);
    window.resize(1000, 650);
    window.show();
    return measure(app, seconds);
}

struct Result {
    double cpu = -1;
    double main = -1;
    double children = -1;
    double megabytes = -1;
};

Result runChild(const QString& program, const QString& mode, int seconds)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {"--child", mode, QString::number(seconds)});
    child.waitForFinished(-1);
    const auto match =
        QRegularExpression("cpu=([\\d.]+) main=([\\d.]+) children=([\\d.]+) hwm=(\\d+)")
            .match(QString::fromLatin1(child.readAll()));
    if (!match.hasMatch())
        return {};
    return {match.captured(1).toDouble(), match.captured(2).toDouble(), match.captured(3).toDouble(),
            match.captured(4).toDouble() / 1024.0};
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child") {
        const QByteArray mode = argv[2];
        const int seconds = atoi(argv[3]);
        return mode == "dashboard" ? runDashboard(argc, argv, seconds) : runBare(argc, argv, seconds);
    }

    // Live services (in the children, which inherit the namespace), and the pings they send, stay on this machine.
    if (const QString failure = LoopbackOnlyNetwork::enter(); !failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        return 1;
    }
    const int seconds = argc > 1 ? std::max(5, atoi(argv[1])) : 60;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    const QString program = QCoreApplication::applicationFilePath();
    const QByteArray platform = qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? QByteArray("xcb")
                                                                                 : qgetenv("QT_QPA_PLATFORM");
    std::printf("platform %s, %d s measured after %d s of warm-up\n", platform.constData(), seconds, kWarmUpMs / 1000);

    const Result dashboard = runChild(program, "dashboard", seconds);
    const Result bare = runChild(program, "bare", seconds);
    if (dashboard.cpu < 0 || bare.cpu < 0) {
        std::fputs("a child run failed\n", stderr);
        return 2;
    }
    std::printf("%-28s %16s %14s %16s %10s\n", "", "CPU % of a core", "GUI thread %", "child processes %",
                "VmHWM MB");
    for (const auto& [name, r] : {std::pair{"Dashboard, live services", dashboard}, std::pair{"bare window, 1 s timer", bare}})
        std::printf("%-28s %16.2f %14.2f %16.2f %10.1f\n", name, r.cpu, r.main, r.children, r.megabytes);
    const bool ok = dashboard.cpu < kCpuTarget && dashboard.megabytes < kMemoryTarget;
    std::printf("targets: under %.0f %% CPU and under %.0f MB: %s\n", kCpuTarget, kMemoryTarget, ok ? "ok" : "OVER");
    return ok ? 0 : 1;
}

// Wall time of one full disk scan of a synthetic home folder beside `du -skx` and `gdu` of the same
// tree in the same run: warm (median of five each) and cold (median of three, the kernel's page,
// dentry and inode caches dropped before each run, where this process may drop them). The peak
// resident memory of du and gdu is their own, as /usr/bin/time reads it from their exit; the
// scanner's is that of this process, which does nothing else but build the tree and scan it.
// bench/disk_scan_side_by_side installs du's and gdu's packages and runs this in a network namespace
// of its own; by hand: build/bench/bench_disk_scan [FOLDER]
// FOLDER (default ./disk-scan-bench) gets home/ and tmp/; a tree left by an earlier run is reused.
// It must not lie under a folder the scanner protects (/tmp, /var, /root and the like).

#include "CpuTime.h"
#include "cleanup/DiskScanner.h"
#include "linux/LinuxProcessRunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kTopFolders = 10;
constexpr int kMiddleFolders = 40;
constexpr int kLeafFolders = 49;
constexpr int kFilesPerFolder = 10;
constexpr int kLargeFiles = 300;
constexpr int kRounds = 5;
constexpr int kColdRounds = 3;

const char* const kTopNames[kTopFolders] = {"Documents", "Downloads", "Desktop",  "Music",  "Pictures",
                                            "Movies",    "Projects",  "Archive", ".cache", ".hidden"};
const char* const kExtensions[] = {".txt", ".json", ".png", ".log", ".c", ".tmp", ".mp4", ".zip", ".bin", ""};

void age(const std::string& path, double days)
{
    const time_t when = time(nullptr) - time_t(days * 86400);
    const timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

// 20,010 folders and 200,000 files of 0 to 3000 bytes, about half of them empty, aged up to 120
// days; 300 sparse files between 11 MiB and 3 GiB among them.
bool buildTree(const std::string& home)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> bytes(0, 3000);
    std::uniform_real_distribution<double> days(0, 120);
    const std::string content(3000, 'q');
    std::vector<std::string> leaves;
    int files = 0;
    const auto makeFiles = [&](const std::string& folder) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const std::string path = folder + "/f" + std::to_string(i) + kExtensions[random() % 10];
            const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                return false;
            const int size = random() % 2 ? bytes(random) : 0;
            const bool written = write(fd, content.data(), size_t(size)) == size;
            close(fd);
            if (!written)
                return false;
            age(path, days(random));
            ++files;
        }
        return true;
    };
    if (mkdir(home.c_str(), 0755) != 0)
        return false;
    for (const char* top : kTopNames) {
        const std::string topPath = home + "/" + top;
        mkdir(topPath.c_str(), 0755);
        for (int m = 0; m < kMiddleFolders; ++m) {
            const std::string middle = topPath + "/m" + std::to_string(m);
            if (mkdir(middle.c_str(), 0755) != 0 || !makeFiles(middle))
                return false;
            for (int l = 0; l < kLeafFolders; ++l) {
                const std::string leaf = middle + "/l" + std::to_string(l);
                if (mkdir(leaf.c_str(), 0755) != 0 || !makeFiles(leaf))
                    return false;
                leaves.push_back(leaf);
            }
        }
    }
    std::uniform_int_distribution<qint64> large(11LL << 20, 3LL << 30);
    for (int i = 0; i < kLargeFiles; ++i) {
        const std::string path = leaves[random() % leaves.size()] + "/large" + std::to_string(i) + kExtensions[i % 10];
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ftruncate(fd, large(random)) != 0)
            return false;
        close(fd);
        age(path, days(random));
    }
    std::printf("built %d files in %d folders\n", files + kLargeFiles, kTopFolders * (1 + kMiddleFolders * (1 + kLeafFolders)));
    return true;
}

double secondsOf(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

constexpr const char* kTime = "/usr/bin/time";
constexpr const char* kGdu = "/usr/bin/gdu";

struct Run {
    double seconds = 0;
    // KiB; -1 when it could not be read.
    long peak = -1;
};

// A program run through /usr/bin/time, whose own forked copy is a few hundred KiB: the peak is
// the program's, not that of a fork of this much larger process.
Run measured(const QString& program, const QStringList& arguments)
{
    LinuxProcessRunner runner;
    QElapsedTimer timer;
    timer.start();
    const ProcessResult result =
        runner.run(kTime, QStringList{"-f", "peak-kib %M", "--", program} + arguments, 600'000);
    Run run{secondsOf(timer), -1};
    if (!result.succeeded())
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), result.standardError.constData());
    for (const QByteArray& line : result.standardError.split('\n')) {
        if (line.startsWith("peak-kib "))
            run.peak = line.mid(9).toLong();
    }
    return run;
}

Run scanOnce(DiskScanner& scanner)
{
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QObject::connect(&scanner, &DiskScanner::changed, &loop, [&] {
        if (!scanner.isScanning())
            loop.quit();
    });
    scanner.startScan();
    loop.exec();
    return {secondsOf(timer), -1};
}

long peakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QByteArray loadAverage()
{
    QFile loadavg("/proc/loadavg");
    if (!loadavg.open(QIODevice::ReadOnly))
        return "?";
    return loadavg.readAll().split(' ').mid(0, 3).join(' ');
}

// Empty when the caches were dropped, else why not.
QString dropCaches()
{
    sync();
    QFile control("/proc/sys/vm/drop_caches");
    if (!control.open(QIODevice::WriteOnly))
        return control.errorString();
    if (control.write("3") != 1 || !control.flush())
        return control.errorString();
    return {};
}

struct Series {
    const char* name;
    std::function<Run()> once;
    std::vector<double> seconds;
    long peak = -1;
};

// Runs every series in turn, `rounds` times, dropping the caches before each run when `cold`.
// False when the caches could not be dropped.
bool measureRounds(std::vector<Series>& all, int rounds, bool cold)
{
    for (int round = 0; round < rounds; ++round) {
        for (Series& series : all) {
            if (cold) {
                const QString failure = dropCaches();
                if (!failure.isEmpty()) {
                    std::printf("  not measured: the caches cannot be dropped here (%s)\n", qPrintable(failure));
                    return false;
                }
            }
            const Run run = series.once();
            series.seconds.push_back(run.seconds);
            series.peak = std::max(series.peak, run.peak);
        }
    }
    return true;
}

void report(const std::vector<Series>& all)
{
    for (const Series& series : all) {
        std::printf("  %-8s median %7.3f s  (runs:", series.name, CpuTime::median(series.seconds));
        for (double s : series.seconds)
            std::printf(" %.3f", s);
        std::printf(")");
        if (series.peak >= 0)
            std::printf("  peak %.1f MB", double(series.peak) / 1024);
        std::printf("\n");
    }
    const double scan = CpuTime::median(all.front().seconds);
    for (std::size_t i = 1; i < all.size(); ++i)
        std::printf("  scan / %s: %.2f\n", all[i].name, scan / CpuTime::median(all[i].seconds));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString root = QDir(argc > 1 ? QString(argv[1]) : QDir::currentPath() + "/disk-scan-bench").absolutePath();
    const QString home = root + "/home";
    const QString temporary = root + "/tmp";
    QDir().mkpath(temporary);
    if (!QFileInfo::exists(home + "/.built")) {
        QDir(home).removeRecursively();
        QDir().mkpath(root);
        if (!buildTree(home.toStdString())) {
            std::fprintf(stderr, "could not build the tree under %s\n", qPrintable(home));
            return 1;
        }
        QFile marker(home + "/.built");
        marker.open(QIODevice::WriteOnly);
    }

    DiskScanner scanner(ScanEnvironment::linuxTable(home, temporary), std::make_shared<LinuxProcessRunner>(), nullptr,
                        nullptr);
    if (scanner.isProtected(home + "/Documents")) {
        std::fprintf(stderr, "%s lies in a protected folder; choose another\n", qPrintable(root));
        return 1;
    }
    std::printf("load average at the start: %s\n", loadAverage().constData());
    const long before = peakKilobytes();
    const auto series = [&] {
        std::vector<Series> all{{"scan", [&] { return scanOnce(scanner); }, {}, -1},
                                {"du -skx", [&] { return measured("/usr/bin/du", {"-skx", home}); }, {}, -1}};
        if (QFileInfo(kGdu).isExecutable())
            all.push_back({"gdu", [&] { return measured(kGdu, {"-npsx", home}); }, {}, -1});
        return all;
    };
    if (!QFileInfo(kTime).isExecutable()) {
        std::fprintf(stderr, "%s is missing: scripts/install-packages time\n", kTime);
        return 1;
    }
    if (!QFileInfo(kGdu).isExecutable())
        std::printf("gdu not installed (scripts/install-packages gdu)\n");

    std::printf("peaks as /usr/bin/time reads them; its floor, running true: %.1f MB\n",
                double(measured("/bin/true", {}).peak) / 1024);
    std::vector<Series> warm = series();
    for (Series& one : warm)
        one.once();
    measureRounds(warm, kRounds, false);
    std::printf("warm, median of %d:\n", kRounds);
    report(warm);

    std::vector<Series> cold = series();
    std::printf("cold, page cache, dentries and inodes dropped before each run, median of %d:\n", kColdRounds);
    if (measureRounds(cold, kColdRounds, true))
        report(cold);

    std::printf("found: %d large files, %d media, %d folders, %d recommendations\n", int(scanner.heavyFiles().size()),
                int(scanner.heavyMedia().size()), int(scanner.heavyFolders().size()),
                int(scanner.recommendations().size()));
    std::printf("load average at the end: %s\n", loadAverage().constData());
    std::printf("scan: peak resident memory of this process %.1f MB (%.1f MB before the first scan)\n",
                double(peakKilobytes()) / 1024, double(before) / 1024);
    return 0;
}

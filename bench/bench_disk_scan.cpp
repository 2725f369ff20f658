// Wall time of one full disk scan of a synthetic home folder beside `du -sk` of the same tree in
// the same run, both warm, median of five each; and the peak resident memory of this process,
// which does nothing else but build the tree and scan it.
// Run by hand, inside `unshare -n`: build/bench/bench_disk_scan [FOLDER]
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

double duOnce(const QString& home)
{
    LinuxProcessRunner runner;
    QElapsedTimer timer;
    timer.start();
    const ProcessResult result = runner.run("/usr/bin/du", {"-sk", home}, 600'000);
    const double seconds = secondsOf(timer);
    if (!result.succeeded())
        std::fprintf(stderr, "du failed: %s\n", result.standardError.constData());
    return seconds;
}

double scanOnce(DiskScanner& scanner)
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
    return secondsOf(timer);
}

long peakKilobytes(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss;
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
    const long before = peakKilobytes(RUSAGE_SELF);
    duOnce(home);
    scanOnce(scanner);
    std::vector<double> du, scan;
    for (int round = 0; round < kRounds; ++round) {
        du.push_back(duOnce(home));
        scan.push_back(scanOnce(scanner));
    }
    const double duMedian = CpuTime::median(du);
    const double scanMedian = CpuTime::median(scan);
    std::printf("du -sk:  median %.3f s  (runs:", duMedian);
    for (double s : du)
        std::printf(" %.3f", s);
    std::printf(")\nscan:    median %.3f s  (runs:", scanMedian);
    for (double s : scan)
        std::printf(" %.3f", s);
    std::printf(")\nscan / du: %.2f\n", scanMedian / duMedian);
    std::printf("found: %d large files, %d media, %d folders, %d recommendations\n", int(scanner.heavyFiles().size()),
                int(scanner.heavyMedia().size()), int(scanner.heavyFolders().size()),
                int(scanner.recommendations().size()));
    std::printf("peak resident memory: %.1f MB (%.1f MB before the first scan); du children: %.1f MB\n",
                double(peakKilobytes(RUSAGE_SELF)) / 1024, double(before) / 1024,
                double(peakKilobytes(RUSAGE_CHILDREN)) / 1024);
    return 0;
}

// One disk scan of a given home and temporary folder with the Linux table, for the hostile-home
// check (disk_scan_hostile.sh). Prints every proposed path, NUL-terminated, on standard output;
// with --move it then moves all of them to the Trash and reports the outcome on standard error.
// Usage: disk_scan_once HOME TEMPORARY [--move]

#include "cleanup/DiskScanner.h"
#include "linux/LinuxProcessRunner.h"
#include "linux/LinuxTrash.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: disk_scan_once HOME TEMPORARY [--move]\n");
        return 2;
    }
    DiskScanner scanner(ScanEnvironment::linuxTable(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])),
                        std::make_shared<LinuxProcessRunner>(),
                        std::make_shared<LinuxTrash>(LinuxTrash::Options{
                            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), ::geteuid()}),
                        nullptr);
    QEventLoop loop;
    QObject::connect(&scanner, &DiskScanner::changed, &loop, [&] {
        if (!scanner.isScanning())
            loop.quit();
    });
    scanner.startScan();
    loop.exec();

    QStringList proposed;
    for (const FileItem& item : scanner.recommendations())
        proposed << item.path;
    for (const QString& path : proposed) {
        const QByteArray bytes = QFile::encodeName(path);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()) + 1, stdout);
    }
    std::fflush(stdout);
    std::fprintf(stderr, "listed: %d large files, %d media, %d folders; %d proposed\n",
                 int(scanner.heavyFiles().size()), int(scanner.heavyMedia().size()),
                 int(scanner.heavyFolders().size()), int(proposed.size()));
    if (argc > 3 && QByteArray(argv[3]) == "--move") {
        scanner.moveToTrash(proposed, [&](const TrashOutcome& outcome) {
            std::fprintf(stderr, "moved %d, not moved %d, freed %lld bytes; %d recommendations left\n", outcome.moved,
                         outcome.notMoved, outcome.freedBytes, int(scanner.recommendations().size()));
            loop.quit();
        });
        loop.exec();
    }
    return 0;
}

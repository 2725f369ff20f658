// The start's read of a defaults file just under the size bound (about 16 MB of small members):
// a valid file against the same file with its first member broken, which the parser refuses as a
// whole so that the members are read one by one, the broken one set aside and the file rewritten.
// Both files have the same size. Reports wall and thread CPU time, medians of the runs.
// Run by hand: build/bench/bench_defaults_recovery [runs]

#include "CpuTime.h"
#include "linux/JsonFileDefaults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

namespace {

// Members "k<i>":{"integer":<i>} up to just under 15.9 MB; `broken` gives the first member a bare
// word of the same length in place of its value.
QByteArray defaultsFile(bool broken)
{
    constexpr qsizetype size = 15'900'000;
    QByteArray json = "{";
    json.reserve(size + 64);
    for (qint64 i = 0; json.size() < size; ++i) {
        const QByteArray value = "{\"integer\":" + QByteArray::number(i) + "}";
        json += (i > 0 ? "," : "") + ("\"k" + QByteArray::number(i) + "\":")
                + (broken && i == 0 ? QByteArray(value.size(), 'x') : value);
    }
    return json + "}";
}

struct Times {
    double wall = 0;
    double cpu = 0;
};

Times medianStart(const QString& path, const QByteArray& contents, int runs, qsizetype* kept)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int run = 0; run < runs; ++run) {
        // Each start finds the file as it was: a recovering start rewrites it.
        QDir folder = QFileInfo(path).dir();
        for (const QString& name : folder.entryList(QDir::Files))
            folder.remove(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
            return {};
        file.close();
        const double wallStart = CpuTime::microseconds(CLOCK_MONOTONIC);
        const double cpuStart = CpuTime::microseconds(CLOCK_THREAD_CPUTIME_ID);
        {
            JsonFileDefaults defaults(path);
            *kept = defaults.integer("k1").value_or(-1);
        }
        cpu.push_back(CpuTime::microseconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart);
        wall.push_back(CpuTime::microseconds(CLOCK_MONOTONIC) - wallStart);
    }
    return {CpuTime::median(wall) / 1e6, CpuTime::median(cpu) / 1e6};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir scratch;
    const QString path = scratch.filePath("defaults/defaults.json");
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray valid = defaultsFile(false);
    const QByteArray broken = defaultsFile(true);
    qsizetype validValue = 0;
    qsizetype brokenValue = 0;
    const Times reference = medianStart(path, valid, runs, &validValue);
    const Times recovery = medianStart(path, broken, runs, &brokenValue);
    std::printf("file: %lld bytes, %lld members, the value of k1 read as %lld / %lld\n", qint64(valid.size()),
                qint64(valid.count("\"k")), qint64(validValue), qint64(brokenValue));
    std::printf("valid file:               %7.3f s wall  %7.3f s CPU\n", reference.wall, reference.cpu);
    std::printf("first member broken:      %7.3f s wall  %7.3f s CPU  (%.2fx / %.2fx the valid file)\n",
                recovery.wall, recovery.cpu, recovery.wall / reference.wall, recovery.cpu / reference.cpu);
    return 0;
}

// The start's read of a defaults file just under the size bound (about 16 MB of small members):
// a valid file against the same file with its first member broken, which the parser refuses as a
// whole so that the members are read one by one, the broken one set aside and the file rewritten.
// Both files have the same size. Reports wall and thread CPU time, medians of the runs, which take
// turns.
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

enum class Broken { None, First, Last };

// Members "k<i>":{"integer":<i>} up to just under 15.9 MB; the broken member has a bare word of the
// same length in place of its value.
QByteArray defaultsFile(Broken broken)
{
    constexpr qsizetype size = 15'900'000;
    QByteArray json = "{";
    json.reserve(size + 64);
    for (qint64 i = 0; json.size() < size; ++i) {
        const QByteArray value = "{\"integer\":" + QByteArray::number(i) + "}";
        json += (i > 0 ? "," : "") + ("\"k" + QByteArray::number(i) + "\":")
                + (broken == Broken::First && i == 0 ? QByteArray(value.size(), 'x') : value);
    }
    if (broken == Broken::Last) {
        const qsizetype value = json.lastIndexOf('{');
        json.replace(value, json.size() - value, QByteArray(json.size() - value, 'x'));
    }
    return json + "}";
}

struct Times {
    std::vector<double> wall;
    std::vector<double> cpu;
};

// One start over a fresh copy of `contents`: a recovering start rewrites the file.
qint64 start(const QString& path, const QByteArray& contents, Times& times)
{
    QDir folder = QFileInfo(path).dir();
    for (const QString& name : folder.entryList(QDir::Files))
        folder.remove(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        return -1;
    file.close();
    const double wallStart = CpuTime::microseconds(CLOCK_MONOTONIC);
    const double cpuStart = CpuTime::microseconds(CLOCK_THREAD_CPUTIME_ID);
    qint64 value = -1;
    {
        JsonFileDefaults defaults(path);
        value = defaults.integer("k1").value_or(-1);
    }
    times.cpu.push_back((CpuTime::microseconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart) / 1e6);
    times.wall.push_back((CpuTime::microseconds(CLOCK_MONOTONIC) - wallStart) / 1e6);
    return value;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir scratch;
    const QString path = scratch.filePath("defaults/defaults.json");
    QDir().mkpath(QFileInfo(path).path());
    const QByteArray valid = defaultsFile(Broken::None);
    const QByteArray broken = defaultsFile(Broken::First);
    const QByteArray brokenLast = defaultsFile(Broken::Last);
    Times reference;
    Times recovery;
    Times lastRecovery;
    qint64 validValue = -1;
    qint64 brokenValue = -1;
    // Taken in turns, so that a busy machine weighs on both alike.
    for (int run = 0; run < runs; ++run) {
        validValue = start(path, valid, reference);
        brokenValue = start(path, broken, recovery);
        start(path, brokenLast, lastRecovery);
    }
    const double wall = CpuTime::median(reference.wall);
    const double cpu = CpuTime::median(reference.cpu);
    const double recoveryWall = CpuTime::median(recovery.wall);
    const double recoveryCpu = CpuTime::median(recovery.cpu);
    std::printf("file: %lld bytes, %lld members, the value of k1 read as %lld / %lld\n", qint64(valid.size()),
                qint64(valid.count("\"k")), validValue, brokenValue);
    std::printf("valid file:               %7.3f s wall  %7.3f s CPU\n", wall, cpu);
    std::printf("first member broken:      %7.3f s wall  %7.3f s CPU  (%.2fx / %.2fx the valid file)\n", recoveryWall,
                recoveryCpu, recoveryWall / wall, recoveryCpu / cpu);
    const double lastWall = CpuTime::median(lastRecovery.wall);
    const double lastCpu = CpuTime::median(lastRecovery.cpu);
    std::printf("last member broken:       %7.3f s wall  %7.3f s CPU  (%.2fx / %.2fx the valid file)\n", lastWall,
                lastCpu, lastWall / wall, lastCpu / cpu);
    return 0;
}

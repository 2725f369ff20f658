#include "SessionFixture.h"

#include <QUuid>
#include <cmath>

QDateTime SessionFixture::startTime()
{
    return QDateTime(QDate(2025, 3, 14), QTime(21, 5, 7));
}

QDateTime SessionFixture::endTime()
{
    return startTime().addSecs(12 * 60 + 34);
}

QList<SessionLogger::SessionRecord> SessionFixture::records()
{
    QList<SessionLogger::SessionRecord> records;
    const int seconds = int(startTime().secsTo(endTime()));
    for (int i = 1; i <= seconds; ++i) {
        const double game = i > 60 ? 1.0 - std::exp(-(i - 60) / 40.0) : 0.0;
        const double cpu = 12 + 58 * game + 9 * std::sin(i / 7.0) + 4 * std::sin(i / 1.7);
        const double memory = 48 + 21 * game + 2 * std::sin(i / 23.0);
        records.append({QUuid::createUuid(), startTime().addSecs(i), 0, std::clamp(cpu, 0.0, 100.0), 0,
                        std::clamp(memory, 0.0, 100.0)});
    }
    return records;
}

SystemMonitor::RAMStats SessionFixture::ramStats()
{
    SystemMonitor::RAMStats ram;
    ram.total = 16.0;
    ram.used = 11.07;
    ram.available = ram.total - ram.used;
    ram.percent = ram.used / ram.total * 100;
    ram.active = 6.4;
    ram.wired = 2.9;
    ram.compressed = 1.77;
    return ram;
}

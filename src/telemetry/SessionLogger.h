#pragma once

#include "CpuLoadMeter.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUuid>
#include <memory>
#include <optional>

class HostStatistics;

// Records a session: while active, one record per second with the CPU load and the memory load of
// that moment. Records stay in memory, from one start to the next, for the session report.
// Everything runs on the main thread; changed() follows every change.
class SessionLogger : public QObject {
    Q_OBJECT

public:
    struct SessionRecord {
        QUuid id;
        QDateTime time;
        double fps = 0;
        double cpu = 0;
        double gpu = 0;
        double ramPercent = 0;
    };

    static constexpr int defaultSampleIntervalMs = 1000;

    explicit SessionLogger(std::shared_ptr<HostStatistics> host, QObject* parent = nullptr);

    const QList<SessionRecord>& records() const { return m_records; }
    bool isActive() const { return m_isActive; }
    // When the current or last recording started; nothing before the first.
    std::optional<QDateTime> startTime() const { return m_startTime; }

    void setSampleInterval(int ms) { m_loggingTimer.setInterval(ms); }

    void startLogging();
    void stopLogging();
    void recordSample();
    // The logger's own CPU load since its previous call, 0 to 100.
    double cpuUsage();

    // Active, wired and compressor pages over all page kinds, 0 to 100; 0 when unreadable.
    static double ramUsagePercent(HostStatistics& host);

signals:
    void changed();

private:
    std::shared_ptr<HostStatistics> m_host;
    QList<SessionRecord> m_records;
    bool m_isActive = false;
    std::optional<QDateTime> m_startTime;
    QTimer m_loggingTimer;
    CpuLoadMeter m_cpu;
};

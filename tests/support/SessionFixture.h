#pragma once

#include "telemetry/SessionLogger.h"
#include "telemetry/SystemMonitor.h"

#include <QDateTime>
#include <QList>

// A twelve-minute gaming session: a quiet start, a game that loads the processor and holds on to
// more memory, and the memory figures at its end.
class SessionFixture {
public:
    static QDateTime startTime();
    static QDateTime endTime();
    static QList<SessionLogger::SessionRecord> records();
    static SystemMonitor::RAMStats ramStats();
};

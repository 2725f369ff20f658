#include "CleanupSchedule.h"

#include "AppSettings.h"

bool CleanupSchedule::isCleanupDue(const AppSettings& settings, const QDateTime& now, double lastCleanupDate)
{
    if (!settings.scheduledCleanupEnabled)
        return false;
    const QDateTime local = now.toLocalTime();
    if (local.time().hour() != settings.scheduledCleanupHour ||
        local.time().minute() != settings.scheduledCleanupMinute)
        return false;
    if (settings.scheduledCleanupFrequency == QLatin1String("weekly") && local.date().dayOfWeek() != Qt::Sunday)
        return false;
    if (!(lastCleanupDate > 0))
        return true;
    const QDateTime last = QDateTime::fromMSecsSinceEpoch(qint64(lastCleanupDate * 1000.0)).toLocalTime();
    return last.date() != local.date();
}

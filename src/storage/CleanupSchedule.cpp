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
    const auto last = lastCleanupMoment(lastCleanupDate);
    return !last || last->toLocalTime().date() != local.date();
}

std::optional<QDateTime> CleanupSchedule::lastCleanupMoment(double seconds)
{
    // 9999-12-31 23:59:59 UTC; checked before the conversion to an integer, which would overflow.
    constexpr double latest = 253'402'300'799.0;
    if (!(seconds > 0) || !(seconds <= latest))
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(seconds * 1000.0), Qt::UTC);
}

#pragma once

#include <QDateTime>
#include <optional>

struct AppSettings;

namespace CleanupSchedule {

// The user default holding when the last scheduled scan started, in seconds since 1970 (UTC).
inline const QString lastCleanupDateKey = QStringLiteral("lastCleanupDate");

// Whether a scheduled scan is due in the minute of `now` (local time), given when the last one
// started (0 or less: never). Daily unless the frequency is exactly "weekly", which also asks for
// a Sunday; at most one scan a calendar day.
bool isCleanupDue(const AppSettings& settings, const QDateTime& now, double lastCleanupDate);

// The moment a stored "lastCleanupDate" denotes; nothing ("never") for 0 or less, and for a value
// that is no number or lies beyond the year 9999.
std::optional<QDateTime> lastCleanupMoment(double seconds);

} // namespace CleanupSchedule

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The seven user settings and their JSON form.
struct AppSettings {
    bool launchOnStartup = false;
    bool autoOptimize = false;
    bool colorBlindMode = false;
    bool scheduledCleanupEnabled = false;
    QString scheduledCleanupFrequency = QStringLiteral("daily");
    // Kept as stored, 64 bits wide: a value outside 0-23 or 0-59 is never due.
    qint64 scheduledCleanupHour = 3;
    qint64 scheduledCleanupMinute = 0;

    QByteArray toJson() const;
    // Every one of the seven keys must be present with a value of its kind; otherwise nothing.
    static std::optional<AppSettings> fromJson(const QByteArray& json);

    bool operator==(const AppSettings&) const = default;
};

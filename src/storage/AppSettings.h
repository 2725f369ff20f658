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
    int scheduledCleanupHour = 3;
    int scheduledCleanupMinute = 0;

    QByteArray toJson() const;
    // Every one of the seven keys must be present with a value of its kind; otherwise nothing.
    static std::optional<AppSettings> fromJson(const QByteArray& json);

    bool operator==(const AppSettings&) const = default;
};

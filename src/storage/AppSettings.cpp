#include "AppSettings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

namespace {

// Integral JSON numbers that fit a signed 64-bit integer, as the settings' integers are kept.
std::optional<int> strictInteger(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::trunc(d) != d || std::abs(d) > double(std::numeric_limits<int>::max()))
        return std::nullopt;
    return int(d);
}

} // namespace

QByteArray AppSettings::toJson() const
{
    const QJsonObject object{
        {"launchOnStartup", launchOnStartup},
        {"autoOptimize", autoOptimize},
        {"colorBlindMode", colorBlindMode},
        {"scheduledCleanupEnabled", scheduledCleanupEnabled},
        {"scheduledCleanupFrequency", scheduledCleanupFrequency},
        {"scheduledCleanupHour", scheduledCleanupHour},
        {"scheduledCleanupMinute", scheduledCleanupMinute},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<AppSettings> AppSettings::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject o = document.object();

    for (const char* key : {"launchOnStartup", "autoOptimize", "colorBlindMode", "scheduledCleanupEnabled"}) {
        if (!o.value(key).isBool())
            return std::nullopt;
    }
    if (!o.value("scheduledCleanupFrequency").isString())
        return std::nullopt;
    const auto hour = strictInteger(o.value("scheduledCleanupHour"));
    const auto minute = strictInteger(o.value("scheduledCleanupMinute"));
    if (!hour || !minute)
        return std::nullopt;

    AppSettings s;
    s.launchOnStartup = o.value("launchOnStartup").toBool();
    s.autoOptimize = o.value("autoOptimize").toBool();
    s.colorBlindMode = o.value("colorBlindMode").toBool();
    s.scheduledCleanupEnabled = o.value("scheduledCleanupEnabled").toBool();
    s.scheduledCleanupFrequency = o.value("scheduledCleanupFrequency").toString();
    s.scheduledCleanupHour = *hour;
    s.scheduledCleanupMinute = *minute;
    return s;
}

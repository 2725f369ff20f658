#include "AppSettings.h"

#include "JsonInteger.h"

#include <QJsonDocument>
#include <QJsonObject>

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
    const auto hour = JsonInteger::wholeNumber(o.value("scheduledCleanupHour"));
    const auto minute = JsonInteger::wholeNumber(o.value("scheduledCleanupMinute"));
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

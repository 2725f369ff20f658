#include "SettingsStore.h"

#include "CleanupSchedule.h"
#include "ColorBlindMode.h"
#include "Defaults.h"
#include "LaunchAgent.h"
#include "SecureLocalStore.h"

SettingsStore::SettingsStore(SecureLocalStore& secureStore, Defaults& defaults, LaunchAgent& launchAgent,
                             QObject* parent)
    : QObject(parent), m_secureStore(secureStore), m_defaults(defaults), m_launchAgent(launchAgent)
{
    // A record that does not decode is kept aside rather than saved over at the next change; the
    // mirror's copy, when it decodes, takes its place.
    std::optional<AppSettings> stored;
    m_secureStore.readSecure(settingsKey, [&stored](const QByteArray& bytes) {
        stored = AppSettings::fromJson(bytes);
        return stored.has_value();
    });
    if (stored)
        m_settings = *stored;
    ColorBlindMode::setEnabled(m_settings.colorBlindMode);
}

void SettingsStore::setLaunchOnStartup(bool on)
{
    m_settings.launchOnStartup = on;
    emit changed();
    setLaunchAtLogin();
    saveSettings();
}

void SettingsStore::setAutoOptimize(bool on)
{
    m_settings.autoOptimize = on;
    emit changed();
    emit autoOptimizeChanged(on);
    saveSettings();
}

void SettingsStore::setColorBlindMode(bool on)
{
    m_settings.colorBlindMode = on;
    emit changed();
    ColorBlindMode::setEnabled(on);
    saveSettings();
}

void SettingsStore::setScheduledCleanupEnabled(bool on)
{
    m_settings.scheduledCleanupEnabled = on;
    emit changed();
    saveSettings();
}

void SettingsStore::setScheduledCleanupFrequency(const QString& frequency)
{
    m_settings.scheduledCleanupFrequency = frequency;
    emit changed();
    saveSettings();
}

void SettingsStore::setScheduledCleanupHour(qint64 hour)
{
    m_settings.scheduledCleanupHour = hour;
    emit changed();
    saveSettings();
}

void SettingsStore::setScheduledCleanupMinute(qint64 minute)
{
    m_settings.scheduledCleanupMinute = minute;
    emit changed();
    saveSettings();
}

bool SettingsStore::isCleanupDue(const QDateTime& now) const
{
    return CleanupSchedule::isCleanupDue(m_settings, now,
                                         m_defaults.number(CleanupSchedule::lastCleanupDateKey).value_or(0));
}

QDateTime SettingsStore::lastCleanupDate() const
{
    return CleanupSchedule::lastCleanupMoment(m_defaults.number(CleanupSchedule::lastCleanupDateKey).value_or(0))
        .value_or(QDateTime());
}

void SettingsStore::setLaunchAtLogin()
{
    if (m_writesSuspended)
        return;
    m_launchAgent.apply(m_settings.launchOnStartup);
}

void SettingsStore::saveSettings()
{
    if (m_writesSuspended)
        return;
    const bool failed = !m_secureStore.writeSecure(settingsKey, m_settings.toJson());
    if (failed == m_saveFailed)
        return;
    m_saveFailed = failed;
    emit changed();
}

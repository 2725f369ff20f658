#pragma once

#include "AppSettings.h"

#include <QDateTime>
#include <QObject>

class Defaults;
class LaunchAgent;
class SecureLocalStore;

// The live app settings. Loaded once when created; every store into a setting announces it, then
// saves the whole record (and, for the two that need it, updates the launch agent or the
// colour-blind flag first), even when the value did not change.
class SettingsStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool launchOnStartup READ launchOnStartup WRITE setLaunchOnStartup NOTIFY changed)
    Q_PROPERTY(bool autoOptimize READ autoOptimize WRITE setAutoOptimize NOTIFY changed)
    Q_PROPERTY(bool colorBlindMode READ colorBlindMode WRITE setColorBlindMode NOTIFY changed)
    Q_PROPERTY(bool scheduledCleanupEnabled READ scheduledCleanupEnabled WRITE setScheduledCleanupEnabled NOTIFY changed)
    Q_PROPERTY(QString scheduledCleanupFrequency READ scheduledCleanupFrequency WRITE setScheduledCleanupFrequency NOTIFY changed)
    Q_PROPERTY(qint64 scheduledCleanupHour READ scheduledCleanupHour WRITE setScheduledCleanupHour NOTIFY changed)
    Q_PROPERTY(qint64 scheduledCleanupMinute READ scheduledCleanupMinute WRITE setScheduledCleanupMinute NOTIFY changed)

public:
    static inline const QString settingsKey = QStringLiteral("app_settings");

    SettingsStore(SecureLocalStore& secureStore, Defaults& defaults, LaunchAgent& launchAgent,
                  QObject* parent = nullptr);

    const AppSettings& settings() const { return m_settings; }
    bool launchOnStartup() const { return m_settings.launchOnStartup; }
    bool autoOptimize() const { return m_settings.autoOptimize; }
    bool colorBlindMode() const { return m_settings.colorBlindMode; }
    bool scheduledCleanupEnabled() const { return m_settings.scheduledCleanupEnabled; }
    QString scheduledCleanupFrequency() const { return m_settings.scheduledCleanupFrequency; }
    qint64 scheduledCleanupHour() const { return m_settings.scheduledCleanupHour; }
    qint64 scheduledCleanupMinute() const { return m_settings.scheduledCleanupMinute; }

    void setLaunchOnStartup(bool on);
    void setAutoOptimize(bool on);
    void setColorBlindMode(bool on);
    void setScheduledCleanupEnabled(bool on);
    void setScheduledCleanupFrequency(const QString& frequency);
    void setScheduledCleanupHour(qint64 hour);
    void setScheduledCleanupMinute(qint64 minute);

    bool isCleanupDue() const { return isCleanupDue(QDateTime::currentDateTime()); }
    bool isCleanupDue(const QDateTime& now) const;
    // When the last scheduled scan started, or an invalid date when never.
    QDateTime lastCleanupDate() const;

    void setLaunchAtLogin();
    void saveSettings();
    // The last save could not store the record; cleared by the next save that can.
    bool saveFailed() const { return m_saveFailed; }

    // From now on nothing is written: the store is about to be wiped and the application to quit.
    void suspendWrites() { m_writesSuspended = true; }
    bool writesSuspended() const { return m_writesSuspended; }

signals:
    void changed();
    void autoOptimizeChanged(bool on);

private:
    SecureLocalStore& m_secureStore;
    Defaults& m_defaults;
    LaunchAgent& m_launchAgent;
    AppSettings m_settings;
    bool m_writesSuspended = false;
    bool m_saveFailed = false;
};

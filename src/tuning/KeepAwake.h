#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class SleepHold;
class SleepInhibitor;

// Keeps the display awake by holding the system's sleep inhibitor, optionally only for a number of
// minutes.
class KeepAwake : public QObject {
    Q_OBJECT
public:
    // `minute` is the length of one minute of the expiry; tests shorten it.
    KeepAwake(SleepInhibitor& inhibitor, std::chrono::milliseconds minute, QObject* parent = nullptr);
    ~KeepAwake() override;

    bool isRunning() const;
    // Takes a hold unless one is held; true when one was taken now. A count of minutes of 1 or more
    // (re)schedules the expiry; otherwise an expiry already scheduled stays.
    bool start(std::optional<int> minutes);
    // Releases the hold and drops the expiry.
    void stop();
    // The scheduled expiry's full length, when one is scheduled.
    std::optional<std::chrono::milliseconds> expiry() const;

signals:
    // Keep-awake ended without stop(): the hold was lost, or the expiry came.
    void ended();

private:
    void holdLost();

    SleepInhibitor& m_inhibitor;
    std::chrono::milliseconds m_minute;
    std::unique_ptr<SleepHold> m_hold;
    QTimer m_expiry;
};

#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SleepHold;
class SleepInhibitor;

// Keeps the display awake by holding the system's sleep inhibitor, optionally only for a number of
// minutes. The system answers a request for a hold asynchronously.
class KeepAwake : public QObject {
    Q_OBJECT
public:
    // `minute` is the length of one minute of the expiry; tests shorten it.
    KeepAwake(SleepInhibitor& inhibitor, std::chrono::milliseconds minute, QObject* parent = nullptr);
    ~KeepAwake() override;

    // `problem` says why the system gave no hold; empty when one is held or it was stopped.
    using Answer = std::function<void(bool running, const QString& problem)>;

    bool isRunning() const;
    // Asks for a hold unless one is held or asked for. `answer`, when given, learns whether a hold
    // is held once the system has answered (at once when one is held already). A count of minutes
    // of 1 or more (re)schedules the expiry; otherwise an expiry already scheduled stays.
    void start(std::optional<int> minutes, Answer answer = {});
    // Releases the hold, forgets a request still unanswered (its waiters learn that nothing is
    // held) and drops the expiry.
    void stop();
    // The scheduled expiry's full length, when one is scheduled.
    std::optional<std::chrono::milliseconds> expiry() const;

signals:
    // Keep-awake ended without stop(): the hold was lost, or the expiry came.
    void ended();

private:
    void holdLost();
    void tell(bool running, const QString& problem = {});

    SleepInhibitor& m_inhibitor;
    std::chrono::milliseconds m_minute;
    std::unique_ptr<SleepHold> m_hold;
    bool m_asking = false;
    // Raised by stop(), so that the answer to an earlier request is dropped.
    quint64 m_request = 0;
    std::vector<Answer> m_waiting;
    QTimer m_expiry;
};

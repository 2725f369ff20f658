#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class HeldProcess;
class ProcessRunner;

// Keeps the display awake by holding the system's caffeinate tool running, optionally only for a
// number of minutes.
class KeepAwake : public QObject {
    Q_OBJECT
public:
    // `minute` is the length of one minute of the expiry; tests shorten it.
    KeepAwake(ProcessRunner& runner, std::chrono::milliseconds minute, QObject* parent = nullptr);
    ~KeepAwake() override;

    bool isRunning() const;
    // Starts the child unless it already runs; true when one was started now. A count of minutes of
    // 1 or more (re)schedules the expiry; otherwise an expiry already scheduled stays.
    bool start(std::optional<int> minutes);
    // Ends the child and drops the expiry.
    void stop();
    // The scheduled expiry's full length, when one is scheduled.
    std::optional<std::chrono::milliseconds> expiry() const;

signals:
    // Keep-awake ended without stop(): the child exited by itself, or the expiry came.
    void ended();

private:
    void childFinished();

    ProcessRunner& m_runner;
    std::chrono::milliseconds m_minute;
    std::unique_ptr<HeldProcess> m_process;
    QTimer m_expiry;
};

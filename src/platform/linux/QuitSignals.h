#pragma once

#include <QObject>
#include <csignal>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into one quitRequested() on the thread that created it. The
// handler only writes the signal's number into a pipe; the event loop reads it there, so the
// shut-down never runs inside a signal handler. Later signals are read and dropped: a quit that has
// begun is not started again. One instance at a time; the previous handlers come back when it goes.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    static constexpr int handled[] = {SIGTERM, SIGINT, SIGHUP};

    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

signals:
    void quitRequested(int signal);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
    bool m_requested = false;
    struct sigaction m_previous[std::size(handled)] = {};
};

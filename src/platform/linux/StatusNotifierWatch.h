#pragma once

#include "LazyBusConnection.h"
#include "StatusAreaWatcher.h"

#include <QList>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <utility>

// The tray of a freedesktop desktop: a StatusNotifierWatcher that owns its well-known name on the
// session bus and has a host registered with it. Learnt by asynchronous calls on the bus's own
// thread: once at the start, then only when the watcher's owner or its hosts change or when
// something waits for an answer, so that nothing wakes while nothing changes. A session bus that is
// missing answers at once that there is no watcher; one that does not answer in time is asked
// again, now and then, until it does; one not connected yet is asked once its connection is made.
class StatusNotifierWatch final : public StatusAreaWatcher {
    Q_OBJECT
public:
    struct Options {
        // A round trip not answered within this counts as a bus that does not answer. Shorter than
        // the wait for a new connection's greeting, so that a daemon that never greets counts as
        // one that does not answer, not as a missing one.
        std::chrono::milliseconds answerLimit{1000};
        // How long after a round trip that went unanswered on a connected bus it is asked again: no
        // signal tells of a bus that answers again.
        std::chrono::milliseconds retryInterval{2000};
    };

    explicit StatusNotifierWatch(LazyBusConnection bus, QObject* parent = nullptr);
    StatusNotifierWatch(LazyBusConnection bus, Options options, QObject* parent = nullptr);
    ~StatusNotifierWatch() override;

    bool isHostPresent() const override { return m_hostPresent; }
    bool isAnswering() const override { return m_answering; }
    void afterNextAnswer(QObject* context, std::function<void()> then) override;

private:
    void followSignals();
    void ask();
    void ownerAnswered(const QDBusMessage& reply, bool serveWaiting);
    void readHost();
    void unanswered();
    void set(bool hostPresent, bool answering);

    LazyBusConnection m_bus;
    Options m_options;
    // Runs only while the bus does not answer.
    QTimer m_retry;
    // Lives on the bus's thread and holds the signal subscriptions.
    QObject* m_busSide = nullptr;
    bool m_asking = false;
    // Something asked while an answer was on its way, which may predate what it asks about.
    bool m_askAgain = false;
    bool m_hostPresent = false;
    bool m_answering = false;
    // Counts the readings of the host, so that an answer overtaken by a newer owner is dropped.
    quint64 m_hostReading = 0;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};

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
// thread, asked again at every poll and whenever the watcher's owner or its hosts change. Each
// poll is also the round trip that tells whether the bus answers.
class StatusNotifierWatch final : public StatusAreaWatcher {
    Q_OBJECT
public:
    struct Options {
        std::chrono::milliseconds pollInterval{2000};
        // A round trip not answered within this counts as a bus that does not answer.
        std::chrono::milliseconds answerLimit{1000};
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
    void ownerAnswered(const QDBusMessage& reply);
    void readHost();
    void set(bool hostPresent, bool answering);

    LazyBusConnection m_bus;
    Options m_options;
    QTimer m_poll;
    // Lives on the bus's thread and holds the signal subscriptions.
    QObject* m_busSide = nullptr;
    bool m_asking = false;
    bool m_hostPresent = false;
    bool m_answering = false;
    // Counts the readings of the host, so that an answer overtaken by a newer owner is dropped.
    quint64 m_hostReading = 0;
    QList<std::pair<QPointer<QObject>, std::function<void()>>> m_waiting;
};

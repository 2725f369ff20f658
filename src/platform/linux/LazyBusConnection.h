#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QObject;
class QThread;

// A connection to a message bus that is used only from a thread of its own. Connecting is a round
// trip that a bus which does not answer can hold up for the whole default time-out, and QtDBus
// serves calls and signal subscriptions through blocking hops; so the connection is made on the
// bus's thread the first time it is used (once its daemon is seen to answer), everything is asked
// from there, and the callers only wait as long as they chose to. Copies share the one connection
// and thread.
// A session bus, or one at a given address, that is not there or does not answer is tried again
// on its thread, at growing intervals, until it connects: no signal tells of a bus that comes up.
class LazyBusConnection {
public:
    using Reply = std::function<void(const QDBusMessage&)>;
    using Work = std::function<void(const QDBusConnection&)>;

    // The wait before the first try again, doubled after each try up to `longest`.
    struct Retry {
        std::chrono::milliseconds first{1000};
        std::chrono::milliseconds longest{8'000};
    };

    // Already made, as tests make their private buses; no caller waits longer than `callLimit`
    // for an answer, whatever time-out it gives.
    LazyBusConnection(QDBusConnection connection,
                      std::chrono::milliseconds callLimit = std::chrono::milliseconds::max());
    static LazyBusConnection system();
    static LazyBusConnection session();
    // The bus at `address`, connected on first use; no caller waits longer than `callLimit` for
    // an answer, whatever time-out it gives.
    static LazyBusConnection toAddress(const QString& address, std::chrono::milliseconds callLimit);
    static LazyBusConnection toAddress(const QString& address, std::chrono::milliseconds callLimit, Retry retry);

    // For worker threads: the reply, or an error reply when none came within `timeout`, the
    // connection included. Blocks the calling thread for at most that long.
    QDBusMessage call(const QDBusMessage& message, std::chrono::milliseconds timeout) const;
    // For the main thread: `done` gets the reply, or an error reply once `timeout` has passed, on
    // the main thread and only while `context` (an object of the main thread) lives. A reply that
    // comes after that goes to `late` instead, also on the main thread. A call with a `late`
    // handler grants something that must be given back, so its real answer is waited for up to
    // lateAnswerLimit, however short `timeout` is; `late` then gets that answer, or the error
    // when none came even then.
    static constexpr std::chrono::milliseconds lateAnswerLimit{10 * 60'000};
    void callAsync(const QDBusMessage& message, std::chrono::milliseconds timeout, QObject* context, Reply done,
                   Reply late = {}) const;
    // Sends without waiting for an answer.
    void send(const QDBusMessage& message) const;
    // Runs `work` on the bus's thread with the connection. Objects it makes live on that thread;
    // give them a parent that was moved to thread().
    void run(Work work) const;
    // Runs `work` once, on the bus's thread, with the connection as soon as one is made: at once
    // when it is, else when a use or a try again connects the bus; never where a failure to
    // connect is kept.
    void whenConnected(Work work) const;
    // Whether a connection to the bus is made.
    bool isConnected() const;
    QThread* thread() const;

    static bool isTimeout(const QDBusMessage& reply);
    // Whether the daemon of the standard bus greets a new client within a moment; true where that
    // cannot be asked, false where nothing listens at its address. Blocks for that moment at most.
    static bool answers(QDBusConnection::BusType type);

private:
    struct State;
    // `address`, when not empty, is asked whether its daemon answers before QtDBus connects to it.
    // Without `retry` a bus is tried again only by the next use, and only when its daemon did not
    // answer.
    LazyBusConnection(std::function<QDBusConnection()> connect, const QString& address,
                      std::chrono::milliseconds callLimit = std::chrono::milliseconds::max(),
                      std::optional<Retry> retry = std::nullopt);
    // `answer` runs on the bus's thread; the call itself is given the whole `timeout`.
    void ask(const QDBusMessage& message, std::chrono::milliseconds timeout, Reply answer) const;
    std::chrono::milliseconds limited(std::chrono::milliseconds timeout) const;

    std::shared_ptr<State> m_state;
};

#pragma once

#include <QDBusConnection>
#include <memory>
#include <mutex>
#include <optional>

// A connection to a message bus, made the first time it is used, from any thread. Connecting is a
// round trip through QtDBus's own thread (and, with no session bus announced, a helper program
// started to find one), which the start of the program need not wait for. Copies share the one
// connection.
class LazyBusConnection {
public:
    // Already made, as tests make their private buses.
    LazyBusConnection(QDBusConnection connection);
    static LazyBusConnection system();
    static LazyBusConnection session();

    const QDBusConnection& operator*() const;
    const QDBusConnection* operator->() const { return &**this; }

private:
    struct State {
        std::once_flag made;
        QDBusConnection::BusType type = QDBusConnection::SystemBus;
        std::optional<QDBusConnection> connection;
    };
    explicit LazyBusConnection(QDBusConnection::BusType type);

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

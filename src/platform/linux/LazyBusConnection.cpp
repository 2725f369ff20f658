#include "LazyBusConnection.h"

LazyBusConnection::LazyBusConnection(QDBusConnection connection)
{
    m_state->connection = std::move(connection);
}

LazyBusConnection::LazyBusConnection(QDBusConnection::BusType type)
{
    m_state->type = type;
}

LazyBusConnection LazyBusConnection::system()
{
    return LazyBusConnection(QDBusConnection::SystemBus);
}

LazyBusConnection LazyBusConnection::session()
{
    return LazyBusConnection(QDBusConnection::SessionBus);
}

const QDBusConnection& LazyBusConnection::operator*() const
{
    State& state = *m_state;
    std::call_once(state.made, [&state] {
        if (!state.connection)
            state.connection = state.type == QDBusConnection::SystemBus ? QDBusConnection::systemBus()
                                                                        : QDBusConnection::sessionBus();
    });
    return *state.connection;
}

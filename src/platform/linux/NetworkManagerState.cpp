#include "NetworkManagerState.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kPath = QStringLiteral("/org/freedesktop/NetworkManager");

// NMState
constexpr uint kDisconnected = 20;
constexpr uint kDisconnecting = 30;
constexpr uint kConnectedLocal = 50;
constexpr uint kConnectedSite = 60;
constexpr uint kConnectedGlobal = 70;

} // namespace

NetworkManagerState::NetworkManagerState(const QDBusConnection& bus, QObject* parent)
    : QObject(parent),
      m_bus(bus),
      m_watcher(new QDBusServiceWatcher(
          kService, bus,
          QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this))
{
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, &NetworkManagerState::read);
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] { set(std::nullopt); });
    m_bus.connect(kService, kPath, kService, QStringLiteral("StateChanged"), this, SLOT(stateChanged(uint)));
    read();
}

std::optional<bool> NetworkManagerState::connected(std::optional<uint> state)
{
    if (!state)
        return std::nullopt;
    switch (*state) {
    case kDisconnected:
    case kDisconnecting:
        return false;
    case kConnectedLocal:
    case kConnectedSite:
    case kConnectedGlobal:
        return true;
    default:
        return std::nullopt;
    }
}

void NetworkManagerState::stateChanged(uint state)
{
    set(state);
}

void NetworkManagerState::read()
{
    // The signal is subscribed to before the value is asked for, and both come from the same
    // sender in order: whichever arrives last is the newest.
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kService << QStringLiteral("State");
    auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *call;
        if (reply.isValid()) {
            bool ok = false;
            const uint state = reply.value().variant().toUInt(&ok);
            if (ok)
                set(state);
        }
        emit answered();
    });
}

void NetworkManagerState::set(std::optional<uint> state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit changed();
}

#pragma once

#include "LazyBusConnection.h"

#include <QString>
#include <QVariant>

// The two reads NetworkManager's clients share: one property of a bus object, and the device
// object behind a network interface. Both block their (worker) thread for at most the given time.
namespace NetworkManagerBus {

// One property of an object of the service, or an invalid value when the call fails.
QVariant property(const LazyBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& name, int timeoutMs);
// NetworkManager's device object for the interface; empty when it has none.
QString devicePath(const LazyBusConnection& bus, const QString& interface, int timeoutMs);

} // namespace NetworkManagerBus

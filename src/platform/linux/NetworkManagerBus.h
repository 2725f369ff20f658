#pragma once

#include "LazyBusConnection.h"

#include <QString>
#include <QVariant>

// What NetworkManager's clients share: one property of a bus object, the device object behind a
// network interface (both block their worker thread for at most the given time), and why a call
// failed.
namespace NetworkManagerBus {

// One property of an object of the service, or an invalid value when the call fails. `answered`,
// when given, is cleared when no answer came at all (the service or the bus silent), rather than
// a refusal or word that the service is not there.
QVariant property(const LazyBusConnection& bus, const QString& service, const QString& path, const QString& interface,
                  const QString& name, int timeoutMs, bool* answered = nullptr);
// NetworkManager's device object for the interface; empty when it has none. `answered` as above.
QString devicePath(const LazyBusConnection& bus, const QString& interface, int timeoutMs, bool* answered = nullptr);
// Why the call that got `reply` failed, in plain words that continue a sentence: "no answer from
// NetworkManager", "not permitted" or "refused by NetworkManager". The bus's own error texts are
// never shown: they speak of messages and recipients.
QString failureReason(const QDBusMessage& reply);

} // namespace NetworkManagerBus

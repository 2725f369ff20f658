#pragma once

#include "NetworkPath.h"

#include <optional>

// The network path as the routing tables show it: satisfied while an IPv4 or IPv6 default route
// leads through an interface that is up; that interface's kind is what the path uses.
namespace DefaultRoutePath {

// procRoot is normally "/proc", netRoot "/sys/class/net".
NetworkPath read(const QString& procRoot, const QString& netRoot);
NetworkPath::Kind interfaceKind(const QString& netRoot, const QString& name);
// The interface of the lowest-metric IPv4 or IPv6 default route; nothing without one.
std::optional<QString> defaultInterface(const QString& procRoot);

} // namespace DefaultRoutePath

#pragma once

#include <QList>
#include <QString>

// What the system routes through: whether a usable path exists, which kinds of interface it uses,
// and the interfaces available to it in the system's order of preference.
struct NetworkPath {
    enum class Kind { WiFi, WiredEthernet, Cellular, Loopback, Other };

    struct Interface {
        QString name;
        Kind kind = Kind::Other;
        bool operator==(const Interface&) const = default;
    };

    bool satisfied = false;
    QList<Kind> usedKinds;
    QList<Interface> availableInterfaces;

    bool uses(Kind kind) const { return usedKinds.contains(kind); }
    bool operator==(const NetworkPath&) const = default;
};

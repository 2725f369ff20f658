#pragma once

#include <QList>
#include <QString>
#include <optional>

// One reading of the system's interface address list: each interface's flags and, where the
// system attaches them, its link statistics (32-bit byte counters).
struct LinkAddresses {
    struct Link {
        QString name;
        unsigned flags = 0;
        std::optional<quint32> received;
        std::optional<quint32> sent;
    };

    // 0 when the list was read; otherwise the system's error number and no links.
    int errorNumber = 0;
    // One entry per address record, in the system's order; an interface may appear more than once.
    QList<Link> links;

    bool ok() const { return errorNumber == 0; }
    std::optional<unsigned> flagsOf(const QString& name) const;

    // Up and running, and not loopback.
    static bool qualifies(unsigned flags);
    static LinkAddresses read();
};

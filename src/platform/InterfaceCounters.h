#pragma once

#include <QList>
#include <QString>
#include <optional>

// The machine's cumulative per-interface byte counters. Only interfaces that are up, running and
// not loopback are ever reported, by the listing and by the fallback alike.
class InterfaceCounters {
public:
    struct Entry {
        QString name;
        quint64 received = 0;
        quint64 sent = 0;

        bool hasTraffic() const { return received != 0 || sent != 0; }
        bool operator==(const Entry&) const = default;
    };

    struct Listing {
        // Where the listing broke off, with the system's error number: the interface list itself
        // could not be read, or their flags could not.
        enum class Failure { None, InterfaceList, InterfaceFlags };

        Failure failure = Failure::None;
        int errorNumber = 0;
        // In the system's interface order (by index).
        QList<Entry> entries;
    };

    // Sums over every qualifying interface, from the system's narrower (32-bit) link statistics.
    struct Totals {
        quint64 received = 0;
        quint64 sent = 0;
        // Some counted interface had a non-zero count.
        bool hasValidData = false;
    };

    virtual ~InterfaceCounters() = default;

    // 64-bit counters of each qualifying interface.
    virtual Listing list() = 0;
    // Nothing when the system's interface addresses cannot be read either.
    virtual std::optional<Totals> fallbackTotals() = 0;
};

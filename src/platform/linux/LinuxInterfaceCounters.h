#pragma once

#include "InterfaceCounters.h"
#include "LinkAddresses.h"

#include <QMutex>
#include <QStringList>
#include <functional>
#include <optional>

// Counters from /sys/class/net/<name>/statistics (64-bit), with each interface's flags and the
// fallback sums from the system's interface address list.
class LinuxInterfaceCounters final : public InterfaceCounters {
public:
    using AddressReader = std::function<LinkAddresses()>;
    // Whether the interfaces or their flags may have changed since it was last asked.
    using ChangeCheck = std::function<bool()>;

    // The live system: the interfaces that are up, and their order, are read again only after the
    // kernel announced a change of the links; their counters are read at every listing.
    LinuxInterfaceCounters();
    // Without a change check, every listing reads everything.
    LinuxInterfaceCounters(QString netRoot, AddressReader readAddresses, ChangeCheck mayHaveChanged = {});

    Listing list() override;
    std::optional<Totals> fallbackTotals() override;

private:
    // The names of the interfaces that qualify, in index order; a failed listing when unreadable.
    std::optional<QStringList> readQualifying(Listing& failure) const;

    QString m_netRoot;
    AddressReader m_readAddresses;
    ChangeCheck m_mayHaveChanged;
    QMutex m_mutex;
    std::optional<QStringList> m_qualifying;
};

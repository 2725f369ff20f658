#pragma once

#include "InterfaceCounters.h"
#include "LinkAddresses.h"

#include <functional>

// Counters from /sys/class/net/<name>/statistics (64-bit), with each interface's flags and the
// fallback sums from the system's interface address list.
class LinuxInterfaceCounters final : public InterfaceCounters {
public:
    using AddressReader = std::function<LinkAddresses()>;

    explicit LinuxInterfaceCounters(QString netRoot = QStringLiteral("/sys/class/net"),
                                    AddressReader readAddresses = &LinkAddresses::read);

    Listing list() override;
    std::optional<Totals> fallbackTotals() override;

private:
    QString m_netRoot;
    AddressReader m_readAddresses;
};

#pragma once

#include "LatencyProbe.h"

#include <atomic>
#include <functional>
#include <memory>

// Sends the echo request itself, on an ICMP socket: an unprivileged one where the system lets the
// user's groups have it (net.ipv4.ping_group_range), else a raw one where the process may open it.
// Starting the ping tool every second costs far more than the request. Where the system allows
// neither socket, or the host is not an IPv4 address (names would need a lookup), the fallback
// answers: the ping tool, as before.
class LinuxLatencyProbe final : public LatencyProbe {
public:
    // `abandoned` is asked every few hundred milliseconds while an answer is awaited; once it
    // returns true the wait ends without one, as a quit ends a running ping.
    explicit LinuxLatencyProbe(std::shared_ptr<LatencyProbe> fallback, std::function<bool()> abandoned = {});

    std::optional<double> measure(const QString& host, int timeoutMs) override;

    // A round trip in milliseconds as ping prints it: rounded to three decimals under 1 ms, two
    // under 10 ms, one under 100 ms, and to whole milliseconds from there.
    static double asPingPrints(qint64 microseconds);

private:
    std::shared_ptr<LatencyProbe> m_fallback;
    std::function<bool()> m_abandoned;
    std::atomic<quint16> m_sequence = 0;
};

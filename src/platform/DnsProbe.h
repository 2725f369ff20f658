#pragma once

#include <QString>

// Asks one DNS server for a host's address record, once, waiting two seconds at most. Blocks: call
// it off the main thread. Thread-safe.
class DnsProbe {
public:
    static constexpr int kWaitMs = 2'000;

    virtual ~DnsProbe() = default;

    // True when `server` answered with at least one record for `hostName`.
    virtual bool answers(const QString& server, const QString& hostName) = 0;
};

#pragma once

#include "DnsProbe.h"

#include <QtGlobal>

// Sends one DNS query for the host's address record straight to the server over UDP and waits for
// its answer. (QDnsLookup cannot do this here: Qt 6.4 asks a chosen server only on port 53 and
// retries as the system's resolver configuration says.)
class UdpDnsProbe : public DnsProbe {
public:
    // `port` is 53 but for tests; so is `waitMs` DnsProbe::kWaitMs.
    explicit UdpDnsProbe(quint16 port = 53, int waitMs = kWaitMs) : m_port(port), m_waitMs(waitMs) {}

    bool answers(const QString& server, const QString& hostName) override;

    // The query for the host's address record (type A, class IN, recursion desired) under `id`;
    // empty when the name cannot be put in one.
    static QByteArray query(quint16 id, const QString& hostName);
    // True when `reply` answers the query `id` without error and with at least one record.
    static bool isAnswer(const QByteArray& reply, quint16 id);

private:
    quint16 m_port;
    int m_waitMs;
};

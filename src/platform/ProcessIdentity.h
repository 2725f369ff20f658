#pragma once

#include <QHashFunctions>
#include <QtGlobal>

// A process as the system knows it: its identifier together with its start time. Identifiers are
// reused once a process has ended; the pair is not, so a stored identity never reaches a newcomer.
struct ProcessIdentity {
    qint32 pid = 0;
    // Clock ticks after boot at which the process started.
    quint64 startTime = 0;

    friend bool operator==(const ProcessIdentity&, const ProcessIdentity&) = default;
};

inline size_t qHash(const ProcessIdentity& identity, size_t salt = 0)
{
    return qHashMulti(salt, identity.pid, identity.startTime);
}

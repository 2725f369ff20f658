#pragma once

#include "ProcessControl.h"

#include <QHash>
#include <QList>
#include <QMutex>

// Processes with nice values, answering as the kernel does: anyone may raise a nice value of their
// own process; lowering it needs the privilege or a high enough RLIMIT_NICE of that process.
// Processes not added, of another user, replaced by a newcomer or this process itself are refused.
class FakeProcessControl final : public ProcessControl {
public:
    struct PriorityCall {
        qint32 pid;
        int nice;
        bool accepted;
    };
    struct SignalCall {
        qint32 pid;
        int signal;
    };

    void add(qint32 pid, quint64 startTime, int nice = 0, bool own = true)
    {
        QMutexLocker lock(&m_mutex);
        m_processes.insert(pid, {startTime, nice, own, 0});
    }
    // Another process now has the identifier.
    void recycle(qint32 pid, quint64 startTime) { add(pid, startTime); }
    void setPrivileged(bool privileged) { m_privileged = privileged; }
    // RLIMIT_NICE of one process, in its rlimit form (20 - lowest nice value allowed).
    void setNiceLimit(qint32 pid, int limit)
    {
        QMutexLocker lock(&m_mutex);
        m_processes[pid].niceLimit = limit;
    }
    void setOwnProcessId(qint32 pid) { m_self = pid; }

    int niceOf(qint32 pid) const { return copy(m_processes).value(pid).nice; }
    QList<PriorityCall> priorityCalls() const { return copy(m_priorityCalls); }
    QList<SignalCall> signalCalls() const { return copy(m_signalCalls); }

    std::optional<int> priority(const ProcessIdentity& process) override
    {
        QMutexLocker lock(&m_mutex);
        if (!isOurs(process))
            return std::nullopt;
        return m_processes[process.pid].nice;
    }
    bool setPriority(const ProcessIdentity& process, int nice) override
    {
        QMutexLocker lock(&m_mutex);
        const bool accepted = isOurs(process)
                              && (nice >= m_processes[process.pid].nice || mayLowerTo(process.pid, nice));
        if (accepted)
            m_processes[process.pid].nice = nice;
        m_priorityCalls.append({process.pid, nice, accepted});
        return accepted;
    }
    bool mayRaisePriorityTo(const ProcessIdentity& process, int nice) override
    {
        QMutexLocker lock(&m_mutex);
        return isOurs(process) && mayLowerTo(process.pid, nice);
    }
    bool sendSignal(const ProcessIdentity& process, int signal) override
    {
        QMutexLocker lock(&m_mutex);
        if (!isOurs(process))
            return false;
        m_signalCalls.append({process.pid, signal});
        return true;
    }

private:
    struct Process {
        quint64 startTime = 0;
        int nice = 0;
        bool own = true;
        int niceLimit = 0;
    };

    template <typename T>
    T copy(const T& value) const
    {
        QMutexLocker lock(&m_mutex);
        return value;
    }
    bool isOurs(const ProcessIdentity& process) const
    {
        const auto it = m_processes.constFind(process.pid);
        return process.pid > 1 && process.pid != m_self && it != m_processes.constEnd()
               && it->startTime == process.startTime && it->own;
    }
    bool mayLowerTo(qint32 pid, int nice) const { return m_privileged || 20 - nice <= m_processes[pid].niceLimit; }

    mutable QMutex m_mutex;
    QHash<qint32, Process> m_processes;
    bool m_privileged = false;
    qint32 m_self = 1;
    QList<PriorityCall> m_priorityCalls;
    QList<SignalCall> m_signalCalls;
};

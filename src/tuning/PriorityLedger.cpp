#include "PriorityLedger.h"

#include "ProcessControl.h"

PriorityLedger::PriorityLedger(ProcessControl& control) : m_control(control) {}

QSet<ProcessIdentity>& PriorityLedger::recorded(Change change)
{
    return change == Change::Boosted ? m_boosted : m_throttled;
}

bool PriorityLedger::apply(const ProcessIdentity& process, int nice, Change change)
{
    std::optional<int> original;
    if (const auto known = m_original.constFind(process); known != m_original.constEnd())
        original = *known;
    else
        original = m_control.priority(process);
    // A process that already runs at the wanted priority is not changed, so nothing is reported.
    if (!original || *original == nice)
        return false;
    if (nice > *original && !m_control.mayRaisePriorityTo(process, *original))
        return false;
    if (!m_control.setPriority(process, nice))
        return false;
    m_original.insert(process, *original);
    recorded(change).insert(process);
    return true;
}

int PriorityLedger::restore(Change change)
{
    int accepted = 0;
    QSet<ProcessIdentity>& processes = recorded(change);
    for (const ProcessIdentity& process : std::as_const(processes)) {
        if (m_control.setPriority(process, m_original.value(process)))
            ++accepted;
    }
    processes.clear();
    for (auto it = m_original.begin(); it != m_original.end();) {
        if (!m_boosted.contains(it.key()) && !m_throttled.contains(it.key()))
            it = m_original.erase(it);
        else
            ++it;
    }
    return accepted;
}

QSet<qint32> PriorityLedger::processIds(Change change) const
{
    const QSet<ProcessIdentity>& processes = change == Change::Boosted ? m_boosted : m_throttled;
    QSet<qint32> ids;
    for (const ProcessIdentity& process : processes)
        ids.insert(process.pid);
    return ids;
}

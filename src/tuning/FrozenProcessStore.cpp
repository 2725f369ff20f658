#include "FrozenProcessStore.h"

#include "Defaults.h"
#include "ProcessControl.h"

#include <QVariantList>
#include <QVariantMap>
#include <algorithm>
#include <csignal>
#include <limits>

FrozenProcessStore::FrozenProcessStore(Defaults& defaults) : m_defaults(defaults) {}

void FrozenProcessStore::save(const QList<ProcessIdentity>& processes)
{
    QList<ProcessIdentity> sorted = processes;
    std::sort(sorted.begin(), sorted.end(), [](const ProcessIdentity& a, const ProcessIdentity& b) { return a.pid < b.pid; });
    QVariantList pids;
    QVariantMap startTimes;
    for (const ProcessIdentity& process : std::as_const(sorted)) {
        pids.append(qint64(process.pid));
        startTimes.insert(QString::number(process.pid), qint64(process.startTime));
    }
    if (m_defaults.array(pidsKey) == pids && m_defaults.dictionary(startTimesKey) == startTimes)
        return;
    m_defaults.setValue(startTimesKey, startTimes);
    m_defaults.setValue(pidsKey, pids);
}

int FrozenProcessStore::recover(Defaults& defaults, ProcessControl& control)
{
    const QVariantList pids = defaults.array(pidsKey).value_or(QVariantList());
    const QVariantMap startTimes = defaults.dictionary(startTimesKey).value_or(QVariantMap());
    int resumed = 0;
    if (std::all_of(pids.cbegin(), pids.cend(), Defaults::isInteger)) {
        for (const QVariant& stored : pids) {
            const qint64 pid = stored.toLongLong();
            const QVariant startTime = startTimes.value(QString::number(pid));
            if (pid < 1 || pid > std::numeric_limits<qint32>::max() || !Defaults::isInteger(startTime) || startTime.toLongLong() < 0)
                continue;
            if (control.sendSignal({qint32(pid), quint64(startTime.toLongLong())}, SIGCONT))
                ++resumed;
        }
    }
    defaults.remove(pidsKey);
    defaults.remove(startTimesKey);
    return resumed;
}

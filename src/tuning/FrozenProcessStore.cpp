#include "FrozenProcessStore.h"

#include "Defaults.h"
#include "ProcessControl.h"

#include <QMutex>
#include <QVariantList>
#include <QVariantMap>
#include <QtConcurrent/QtConcurrentRun>
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
    static QMutex oneAtATime;
    QMutexLocker lock(&oneAtATime);
    const QVariantList pids = defaults.array(pidsKey).value_or(QVariantList());
    const QVariantMap startTimes = defaults.dictionary(startTimesKey).value_or(QVariantMap());
    int resumed = 0;
    if (std::all_of(pids.cbegin(), pids.cend(), Defaults::isInteger)) {
        for (const QVariant& stored : pids.first(std::min(pids.size(), recoveryLimit))) {
            const qint64 pid = stored.toLongLong();
            const QVariant startTime = startTimes.value(QString::number(pid));
            if (pid < 1 || pid > std::numeric_limits<qint32>::max() || !Defaults::isInteger(startTime) || startTime.toLongLong() < 0)
                continue;
            if (control.sendSignal({qint32(pid), quint64(startTime.toLongLong())}, SIGCONT))
                ++resumed;
        }
    }
    // The start times go first: removing one key writes the defaults out with the other still in
    // them, and the plain list of identifiers is the cheaper of the two to write.
    defaults.remove(startTimesKey);
    defaults.remove(pidsKey);
    return resumed;
}

void FrozenProcessStore::recoverSoon(Defaults& defaults, std::shared_ptr<ProcessControl> control, QThreadPool& pool)
{
    if (defaults.array(pidsKey).value_or(QVariantList()).size() <= foregroundRecoveryLimit) {
        recover(defaults, *control);
        return;
    }
    (void)QtConcurrent::run(&pool, [&defaults, control = std::move(control)] { recover(defaults, *control); });
}

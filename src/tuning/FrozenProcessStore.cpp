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

namespace {

// Recoveries run one at a time, so one that starts while a background one runs waits for it.
QMutex recoveries;

struct StoredRecord {
    QVariantList pids;
    QVariantMap startTimes;
    // A key held a value of another kind, read as empty.
    bool otherKind = false;
};

StoredRecord read(Defaults& defaults)
{
    const auto pids = defaults.array(FrozenProcessStore::pidsKey);
    const auto startTimes = defaults.dictionary(FrozenProcessStore::startTimesKey);
    return {pids.value_or(QVariantList()), startTimes.value_or(QVariantMap()),
            (!pids && defaults.contains(FrozenProcessStore::pidsKey))
                || (!startTimes && defaults.contains(FrozenProcessStore::startTimesKey))};
}

void erase(Defaults& defaults)
{
    // The start times go first: removing one key writes the defaults out with the other still in
    // them, and the plain list of identifiers is the cheaper of the two to write.
    defaults.remove(FrozenProcessStore::startTimesKey);
    defaults.remove(FrozenProcessStore::pidsKey);
}

// A record this application could have written: a list and a dictionary, no more processes than
// recovery looks at, and identifiers that are all integers.
bool plausible(const StoredRecord& record)
{
    const QVariantList& pids = record.pids;
    return !record.otherKind && pids.size() <= FrozenProcessStore::recoveryLimit
           && record.startTimes.size() <= FrozenProcessStore::recoveryLimit
           && std::all_of(pids.cbegin(), pids.cend(), Defaults::isInteger);
}

// The defaults are rid of the record either way; one that is not plausible is kept aside rather
// than deleted, as it may not be ours to delete.
void takeOut(Defaults& defaults, const StoredRecord& record)
{
    if (plausible(record))
        erase(defaults);
    else
        defaults.setAside({FrozenProcessStore::startTimesKey, FrozenProcessStore::pidsKey});
}

int resume(const StoredRecord& record, ProcessControl& control)
{
    const QVariantList& pids = record.pids;
    if (!std::all_of(pids.cbegin(), pids.cend(), Defaults::isInteger))
        return 0;
    int resumed = 0;
    for (const QVariant& stored : pids.first(std::min(pids.size(), FrozenProcessStore::recoveryLimit))) {
        const qint64 pid = stored.toLongLong();
        const QVariant startTime = record.startTimes.value(QString::number(pid));
        if (pid < 1 || pid > std::numeric_limits<qint32>::max() || !Defaults::isInteger(startTime) ||
            startTime.toLongLong() < 0)
            continue;
        if (control.sendSignal({qint32(pid), quint64(startTime.toLongLong())}, SIGCONT))
            ++resumed;
    }
    return resumed;
}

} // namespace

int FrozenProcessStore::recover(Defaults& defaults, ProcessControl& control)
{
    QMutexLocker lock(&recoveries);
    const StoredRecord record = read(defaults);
    const int resumed = resume(record, control);
    takeOut(defaults, record);
    return resumed;
}

void FrozenProcessStore::recoverSoon(Defaults& defaults, std::shared_ptr<ProcessControl> control, QThreadPool& pool)
{
    if (defaults.array(pidsKey).value_or(QVariantList()).size() <= foregroundRecoveryLimit) {
        recover(defaults, *control);
        return;
    }
    // The record is taken here and now: processes a run pauses and stores after this call are its own,
    // and the background recovery must not resume them.
    StoredRecord record;
    {
        QMutexLocker lock(&recoveries);
        record = read(defaults);
        takeOut(defaults, record);
    }
    (void)QtConcurrent::run(&pool, [record = std::move(record), control = std::move(control)] {
        QMutexLocker lock(&recoveries);
        resume(record, *control);
    });
}

#pragma once

#include "ProcessIdentity.h"

#include <QList>
#include <QThreadPool>
#include <QString>
#include <memory>

class Defaults;
class ProcessControl;

// The processes Background Freeze has paused, kept in the user's defaults so that they are resumed
// even when the application ends without resuming them (a crash, a kill). The identifiers go under
// one key as a sorted array of integers; each one's start time goes under a second key, a
// dictionary from the identifier's decimal text to the start time, so that a later start resumes a
// process only while it is still the one that was paused.
class FrozenProcessStore {
public:
    static inline const QString pidsKey = QStringLiteral("com.quillmarsh.backgroundFreeze.frozenProcessPIDs");
    static inline const QString startTimesKey = QStringLiteral("com.quillmarsh.backgroundFreeze.frozenProcessStartTimes");

    // Only this many identifiers of a stored list are looked at: far more than are ever paused at
    // once, and few enough to check in moments.
    static constexpr qsizetype recoveryLimit = 4096;
    // A list longer than this is recovered on a pool thread, so that it does not hold up a start.
    static constexpr qsizetype foregroundRecoveryLimit = 64;

    explicit FrozenProcessStore(Defaults& defaults);

    // Replaces the stored list with these processes; writes nothing when it holds them already.
    void save(const QList<ProcessIdentity>& processes);

    // Sends SIGCONT to every stored process that is still the same process, then takes both keys
    // out of the defaults, whatever they held: a record with more than recoveryLimit identifiers or
    // start times, with an identifier that is not an integer, or with a key that holds a value of
    // another kind, is set aside rather than removed.
    // A list with an element that is not an integer counts as empty; identifiers below 1 or above
    // 2147483647, those without a stored start time, and those after the first recoveryLimit are
    // skipped. Returns how many processes were resumed. Recoveries run one at a
    // time, so one that starts while a background one is running waits for it.
    static int recover(Defaults& defaults, ProcessControl& control);
    // recover() at once for a list of up to foregroundRecoveryLimit identifiers. A longer list is
    // taken out of the defaults at once and its processes are resumed on `pool`.
    static void recoverSoon(Defaults& defaults, std::shared_ptr<ProcessControl> control, QThreadPool& pool);

private:
    Defaults& m_defaults;
};

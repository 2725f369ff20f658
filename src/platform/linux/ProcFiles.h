#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>

// Readers of the per-process files of a proc file system mounted at `root` ("/proc" on a live system).
namespace ProcFiles {

// The fields of <root>/<pid>/stat that we use.
struct Stat {
    QString command;   // the kernel's short name of the process
    char state = '?';  // R, S, D, Z, X, ...
    qint32 parent = 0;
    quint64 startTime = 0; // field 22: clock ticks after boot
};

std::optional<Stat> readStat(const QString& root, qint32 pid);
// The real user id, only when the effective one is the same: a process that changed its identity
// belongs to nobody in particular.
std::optional<uid_t> readOwner(const QString& root, qint32 pid);
// Where the process's executable lies, without the " (deleted)" mark; empty when it has none
// (kernel threads) or it cannot be read.
QString readExecutable(const QString& root, qint32 pid);
// The value of one variable of the process's initial environment; nothing when absent or unreadable.
std::optional<QByteArray> readEnvironment(const QString& root, qint32 pid, const QByteArray& name);
// The cgroup paths the process belongs to, one per hierarchy.
QList<QByteArray> readControlGroups(const QString& root, qint32 pid);
// The process identifiers listed under root, ascending.
QList<qint32> listProcesses(const QString& root);
// The thread identifiers of one process.
QList<qint32> listThreads(const QString& root, qint32 pid);

} // namespace ProcFiles

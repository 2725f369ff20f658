#include "LinuxApplicationScanner.h"

#include "ProcFiles.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace {

struct Process {
    qint32 parent = 0;
    quint64 startTime = 0;
    QString executable;
};

} // namespace

LinuxApplicationScanner::LinuxApplicationScanner(QString procRoot, QStringList applicationFolders)
    : m_procRoot(std::move(procRoot)), m_entries(std::move(applicationFolders)), m_uid(::getuid())
{
}

LinuxApplicationScanner::Snapshot LinuxApplicationScanner::scan()
{
    QMutexLocker lock(&m_mutex);
    QHash<qint32, Process> processes;
    QList<qint32> order;
    for (const qint32 pid : ProcFiles::listProcesses(m_procRoot)) {
        const auto stat = ProcFiles::readStat(m_procRoot, pid);
        if (!stat || stat->state == 'Z' || stat->state == 'X')
            continue;
        const QString executable = ProcFiles::readExecutable(m_procRoot, pid);
        if (executable.isEmpty())
            continue;
        // A process already known as ours is still ours; only newcomers are checked.
        if (!m_known.contains(Key{pid, stat->startTime, executable})) {
            const auto owner = ProcFiles::readOwner(m_procRoot, pid);
            if (!owner || *owner != m_uid)
                continue;
        }
        processes.insert(pid, {stat->parent, stat->startTime, executable});
        order.append(pid);
    }

    Snapshot snapshot;
    QHash<Key, RunningApplication> seen;
    for (const qint32 pid : std::as_const(order)) {
        const Process& process = processes[pid];
        qint32 root = pid;
        // Parent links cannot loop, but a bound keeps a corrupt tree from hanging the scan.
        for (int depth = 0; depth < processes.size(); ++depth) {
            const auto parent = processes.constFind(processes[root].parent);
            if (parent == processes.constEnd() || parent->executable != process.executable)
                break;
            root = processes[root].parent;
        }
        if (root != pid) {
            snapshot.helpers.insert(pid, root);
            continue;
        }
        const Key key{pid, process.startTime, process.executable};
        auto known = m_known.constFind(key);
        const RunningApplication application = known != m_known.constEnd() ? *known : describe(key);
        seen.insert(key, application);
        snapshot.applications.append(application);
    }
    m_known = std::move(seen);
    return snapshot;
}

RunningApplication LinuxApplicationScanner::describe(const Key& key)
{
    RunningApplication application;
    application.processIdentifier = key.pid;
    application.startTime = key.startTime;
    application.executableLocation = key.executable;
    application.activationPolicy = policyOf(key.pid);

    std::optional<DesktopEntryIndex::Entry> entry;
    // The launcher's record is inherited by the application's children; it names only the launched process.
    const auto launchedPid = ProcFiles::readEnvironment(m_procRoot, key.pid, "GIO_LAUNCHED_DESKTOP_FILE_PID");
    if (launchedPid && launchedPid->toInt() == key.pid) {
        if (const auto file = ProcFiles::readEnvironment(m_procRoot, key.pid, "GIO_LAUNCHED_DESKTOP_FILE"))
            entry = m_entries.forFile(QFile::decodeName(*file));
    }
    if (!entry)
        entry = m_entries.forExecutable(key.executable);
    if (entry) {
        application.localizedName = entry->name;
        application.bundleIdentifier = entry->id;
    } else {
        application.localizedName = QFileInfo(key.executable).fileName();
    }
    return application;
}

RunningApplication::ActivationPolicy LinuxApplicationScanner::policyOf(qint32 pid) const
{
    const QByteArray manager = "/user@" + QByteArray::number(m_uid) + ".service/";
    for (const QByteArray& path : ProcFiles::readControlGroups(m_procRoot, pid)) {
        const qsizetype below = path.indexOf(manager);
        if (below < 0)
            continue;
        const QByteArray unit = path.mid(path.lastIndexOf('/') + 1);
        if (unit.endsWith(".service") || unit == "init.scope")
            return RunningApplication::ActivationPolicy::Prohibited;
    }
    return RunningApplication::ActivationPolicy::Regular;
}

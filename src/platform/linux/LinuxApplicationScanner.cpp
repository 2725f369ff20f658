#include "LinuxApplicationScanner.h"

#include "KernelFile.h"
#include "ProcFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <unistd.h>

LinuxApplicationScanner::LinuxApplicationScanner(QString procRoot, QStringList applicationFolders)
    : m_procRoot(std::move(procRoot)), m_entries(std::move(applicationFolders)), m_uid(::getuid())
{
}

LinuxApplicationScanner::Snapshot LinuxApplicationScanner::scan(const WindowList::Reading& windows)
{
    QMutexLocker lock(&m_mutex);
    // Nothing started or ended, the windows are the same and what is read again reads the same:
    // the scan would find what it found last.
    const bool relisted = refreshListing();
    if (!relisted && m_settled && m_last && windows == m_lastWindows && rereadAsBefore(windows))
        return *m_last;
    QHash<qint32, Process> processes;
    QList<qint32> order;
    QHash<qint32, Tracked> tracked;
    tracked.reserve(m_listed.size());
    bool settled = true;
    for (const qint32 pid : std::as_const(m_listed)) {
        const auto before = m_tracked.constFind(pid);
        // A process read the same way twice in a row is taken as it was; only newcomers, the
        // applications and the owners of windows are read again. A process caught between its
        // fork and its exec still runs its parent's program, which the second reading corrects.
        const bool reread =
            m_applications.contains(pid) || windows.owners.contains(pid) || windows.activeOwner == pid;
        Tracked now = before != m_tracked.constEnd() && before->settled && !reread ? *before : read(pid);
        if (!now.settled)
            now.settled = before != m_tracked.constEnd() && before->counted == now.counted &&
                          before->process == now.process;
        tracked.insert(pid, now);
        settled = settled && now.settled;
        if (!now.counted)
            continue;
        processes.insert(pid, now.process);
        order.append(pid);
    }
    m_tracked = std::move(tracked);
    m_settled = settled;

    // Each process's application: itself, or the first ancestor of the chain that runs the same executable.
    QHash<qint32, qint32> roots;
    for (const qint32 pid : std::as_const(order)) {
        const QString& executable = processes[pid].executable;
        qint32 root = pid;
        // Parent links cannot loop, but a bound keeps a corrupt tree from hanging the scan.
        for (int depth = 0; depth < processes.size(); ++depth) {
            const auto parent = processes.constFind(processes[root].parent);
            if (parent == processes.constEnd() || parent->executable != executable)
                break;
            root = processes[root].parent;
        }
        roots.insert(pid, root);
    }
    QSet<qint32> windowed;
    for (const qint32 owner : windows.owners) {
        if (const auto root = roots.constFind(owner); root != roots.constEnd())
            windowed.insert(*root);
    }

    Snapshot snapshot;
    QSet<qint32> applications;
    QHash<Key, Described> seen;
    for (const qint32 pid : std::as_const(order)) {
        if (roots[pid] != pid)
            continue;
        const Process& process = processes[pid];
        const Key key{pid, process.startTime, process.executable};
        auto known = m_known.constFind(key);
        const Described described = known != m_known.constEnd() ? *known : describe(key);
        seen.insert(key, described);
        if (!described.fromEntry && !windowed.contains(pid))
            continue;
        applications.insert(pid);
        snapshot.applications.append(described.application);
    }
    for (auto it = roots.cbegin(); it != roots.cend(); ++it) {
        if (it.key() != it.value() && applications.contains(it.value()))
            snapshot.helpers.insert(it.key(), it.value());
    }
    m_known = std::move(seen);
    m_applications = std::move(applications);
    m_last = snapshot;
    m_lastWindows = windows;
    return snapshot;
}

bool LinuxApplicationScanner::rereadAsBefore(const WindowList::Reading& windows) const
{
    const auto same = [this](qint32 pid) {
        const auto before = m_tracked.constFind(pid);
        if (before == m_tracked.constEnd())
            return true;
        const Tracked now = read(pid);
        return now.counted == before->counted && now.process == before->process;
    };
    for (const qint32 pid : m_applications) {
        if (!same(pid))
            return false;
    }
    for (const qint32 pid : windows.owners) {
        if (!m_applications.contains(pid) && !same(pid))
            return false;
    }
    const auto active = windows.activeOwner;
    return !active || m_applications.contains(*active) || windows.owners.contains(*active) || same(*active);
}

bool LinuxApplicationScanner::refreshListing()
{
    // After the slash, the number of threads and the last process id handed out: while neither
    // moved, no process started or ended, and the last listing still holds. Read before the
    // listing, so a process started in between shows as a change at the next scan.
    const QByteArray loadAverage = KernelFile::read(m_procRoot + "/loadavg").value_or(QByteArray());
    const qsizetype slash = loadAverage.indexOf('/');
    const QByteArray census = slash < 0 ? QByteArray() : loadAverage.sliced(slash + 1);
    if (!census.isEmpty() && census == m_census)
        return false;
    m_census = census;
    m_listed = ProcFiles::listProcesses(m_procRoot);
    return true;
}

LinuxApplicationScanner::Tracked LinuxApplicationScanner::read(qint32 pid) const
{
    Tracked tracked;
    const auto stat = ProcFiles::readStat(m_procRoot, pid);
    if (!stat || stat->state == 'Z' || stat->state == 'X')
        return tracked;
    tracked.process = {stat->parent, stat->startTime, ProcFiles::readExecutable(m_procRoot, pid)};
    if (tracked.process.executable.isEmpty())
        return tracked;
    // A process already known as ours is still ours; only newcomers are checked.
    if (!m_known.contains(Key{pid, stat->startTime, tracked.process.executable})) {
        const auto owner = ProcFiles::readOwner(m_procRoot, pid);
        if (!owner || *owner != m_uid)
            return tracked;
    }
    tracked.counted = true;
    return tracked;
}

LinuxApplicationScanner::Described LinuxApplicationScanner::describe(const Key& key)
{
    Described described;
    RunningApplication& application = described.application;
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
    described.fromEntry = entry.has_value();
    if (entry) {
        application.localizedName = entry->name;
        application.bundleIdentifier = entry->id;
    } else {
        application.localizedName = QFileInfo(key.executable).fileName();
    }
    return described;
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

#include "LinuxProcessControl.h"

#include "KernelFile.h"
#include "ProcFiles.h"

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// Bit of CAP_SYS_NICE in the capability masks of /proc/<pid>/status.
constexpr int kCapSysNice = 23;

// The rlimit form of a nice value: 20 - nice, from 1 (nice 19) to 40 (nice -20).
rlim_t niceToLimit(int nice)
{
    return rlim_t(20 - nice);
}

// Whether the kernel lets this process take a thread from the lowest priority to the highest,
// tried on a thread of its own. CAP_SYS_NICE counts only in the first user namespace: a root mapped
// in another one (a rootless container) has it in its status, yet may not.
bool mayRaiseOwnThreadFully()
{
    bool raised = false;
    std::thread([&raised] {
        const auto self = id_t(::gettid());
        raised = ::setpriority(PRIO_PROCESS, self, 19) == 0 && ::setpriority(PRIO_PROCESS, self, -20) == 0;
    }).join();
    return raised;
}

} // namespace

LinuxProcessControl::LinuxProcessControl(QString procRoot) : m_procRoot(std::move(procRoot)) {}

bool LinuxProcessControl::isOurs(const ProcessIdentity& process) const
{
    if (process.pid <= 1 || process.pid == ::getpid())
        return false;
    // A process that does not exist costs one system call rather than a failed look-up in /proc.
    if (::kill(pid_t(process.pid), 0) != 0 && errno == ESRCH)
        return false;
    const auto stat = ProcFiles::readStat(m_procRoot, process.pid);
    if (!stat || stat->startTime != process.startTime || stat->state == 'Z' || stat->state == 'X')
        return false;
    const auto owner = ProcFiles::readOwner(m_procRoot, process.pid);
    return owner && *owner == ::getuid();
}

std::optional<int> LinuxProcessControl::priority(const ProcessIdentity& process)
{
    if (!isOurs(process))
        return std::nullopt;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, id_t(process.pid));
    if (nice == -1 && errno != 0)
        return std::nullopt;
    return nice;
}

bool LinuxProcessControl::setPriority(const ProcessIdentity& process, int nice)
{
    if (!isOurs(process))
        return false;
    const bool accepted = ::setpriority(PRIO_PROCESS, id_t(process.pid), nice) == 0;
    if (!accepted)
        return false;
    for (const qint32 thread : ProcFiles::listThreads(m_procRoot, process.pid)) {
        if (thread != process.pid)
            ::setpriority(PRIO_PROCESS, id_t(thread), nice);
    }
    return true;
}

bool LinuxProcessControl::mayRaisePriorityTo(const ProcessIdentity& process, int nice)
{
    if (!isOurs(process))
        return false;
    if (mayRaiseAnyPriority())
        return true;
    // The kernel lets a process's nice value drop only as far as that process's RLIMIT_NICE allows.
    rlimit limit{};
    if (::prlimit(pid_t(process.pid), RLIMIT_NICE, nullptr, &limit) != 0)
        return false;
    return limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= niceToLimit(nice);
}

bool LinuxProcessControl::mayRaiseAnyPriority() const
{
    const auto status = KernelFile::read(m_procRoot + QStringLiteral("/self/status"));
    bool capable = false;
    if (status) {
        KernelFile::forEachLine(*status, [&capable](QByteArrayView line) {
            if (!line.startsWith("CapEff:"))
                return true;
            bool ok = false;
            const quint64 mask = line.sliced(7).toByteArray().trimmed().toULongLong(&ok, 16);
            capable = ok && (mask >> kCapSysNice & 1);
            return false;
        });
    }
    return capable && mayRaiseOwnThreadFully();
}

bool LinuxProcessControl::sendSignal(const ProcessIdentity& process, int signal)
{
    if (!isOurs(process))
        return false;
    // A descriptor pins the process, so the identity checked after opening it is the one signalled.
    // Called through syscall(): the C library's wrappers are not declared for C++ in every version.
    const int descriptor = int(::syscall(SYS_pidfd_open, pid_t(process.pid), 0u));
    if (descriptor < 0)
        return errno == ENOSYS && ::kill(pid_t(process.pid), signal) == 0;
    const bool delivered = isOurs(process) && ::syscall(SYS_pidfd_send_signal, descriptor, signal, nullptr, 0u) == 0;
    ::close(descriptor);
    return delivered;
}

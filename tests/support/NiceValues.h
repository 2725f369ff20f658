#pragma once

#include <QProcess>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

// The nice values of a test's own children, read with the system call the engine does not use.
namespace NiceValues {

inline int of(const QProcess* child)
{
    errno = 0;
    return ::getpriority(PRIO_PROCESS, id_t(child->processId()));
}

// Whether this test may lower a nice value of its own children to `nice`: as root, or within
// its RLIMIT_NICE, which children inherit.
inline bool mayLowerTo(int nice)
{
    if (::geteuid() == 0)
        return true;
    rlimit limit{};
    return ::getrlimit(RLIMIT_NICE, &limit) == 0
           && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur >= rlim_t(20 - nice));
}

} // namespace NiceValues

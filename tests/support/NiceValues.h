#pragma once

#include <QProcess>
#include <cerrno>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

// The nice values of a test's own children, read with the system call the engine does not use.
namespace NiceValues {

inline int of(const QProcess* child)
{
    errno = 0;
    return ::getpriority(PRIO_PROCESS, id_t(child->processId()));
}

// Whether this test may lower a nice value of its own children to `nice`, asked of the kernel: a
// thread of the test's own, which has the RLIMIT_NICE the children inherit and the privilege this
// process really has (a root mapped in a user namespace has none over priorities), goes to the
// lowest priority and tries to come back to `nice`.
inline bool mayLowerTo(int nice)
{
    bool lowered = false;
    std::thread([nice, &lowered] {
        const auto self = id_t(::gettid());
        lowered = ::setpriority(PRIO_PROCESS, self, 19) == 0 && ::setpriority(PRIO_PROCESS, self, nice) == 0
                  && ::getpriority(PRIO_PROCESS, self) == nice;
    }).join();
    return lowered;
}

} // namespace NiceValues

#pragma once

#include "ProcessControl.h"

#include <QString>

// Priorities and signals through the POSIX calls. Before acting it reads <procRoot>/<pid> to make
// sure the process still has the identity it was given, belongs to this user (real and effective
// user id both ours) and is neither this process nor the system's first one.
//
// Linux keeps a nice value per thread, so a priority change is made to every thread of the process;
// the main thread's answer is the result.
class LinuxProcessControl final : public ProcessControl {
public:
    explicit LinuxProcessControl(QString procRoot = QStringLiteral("/proc"));

    std::optional<int> priority(const ProcessIdentity& process) override;
    bool setPriority(const ProcessIdentity& process, int nice) override;
    bool mayRaisePriorityTo(const ProcessIdentity& process, int nice) override;
    bool sendSignal(const ProcessIdentity& process, int signal) override;

private:
    bool isOurs(const ProcessIdentity& process) const;
    bool mayRaiseAnyPriority() const;

    QString m_procRoot;
};

#pragma once

#include "ProcessIdentity.h"

#include <optional>

// Scheduling priorities (nice values, -20 to 19) and signals of other processes. Every call acts
// only on a process that still has the given identity, belongs to the user and is not this process;
// any other process is refused. Every call may come from any thread.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;

    // Nothing when the process is refused or the value cannot be read.
    virtual std::optional<int> priority(const ProcessIdentity& process) = 0;
    // True when the system accepted the change.
    virtual bool setPriority(const ProcessIdentity& process, int nice) = 0;
    // Whether this user may set the process back to `nice`, however far it has been lowered meanwhile.
    virtual bool mayRaisePriorityTo(const ProcessIdentity& process, int nice) = 0;
    // True when the signal was delivered.
    virtual bool sendSignal(const ProcessIdentity& process, int signal) = 0;
};

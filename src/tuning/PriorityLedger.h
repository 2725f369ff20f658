#pragma once

#include "ProcessIdentity.h"

#include <QHash>
#include <QSet>

class ProcessControl;

// Which processes had their priority raised or lowered, and what each one's priority was before
// the first change, so that it can be put back exactly, and only to the same process.
class PriorityLedger {
public:
    enum class Change { Boosted, Throttled };

    explicit PriorityLedger(ProcessControl& control);

    // Sets the process's priority and records it under `change` when the system accepts. A process
    // is lowered only when this user may later raise it back to where it was.
    bool apply(const ProcessIdentity& process, int nice, Change change);
    // Puts every process recorded under `change` back to its earlier priority and forgets it there;
    // returns how many the system accepted. A process that has ended is not touched.
    int restore(Change change);

    QSet<qint32> processIds(Change change) const;

private:
    QSet<ProcessIdentity>& recorded(Change change);

    ProcessControl& m_control;
    QSet<ProcessIdentity> m_boosted;
    QSet<ProcessIdentity> m_throttled;
    // The priority before our first change, kept while the process is recorded anywhere.
    QHash<ProcessIdentity, int> m_original;
};

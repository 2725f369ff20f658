#pragma once

#include "StoredFiles.h"

#include <QString>

// The kernel's lock on "instance.lock" in the application's data folder, held through a descriptor
// kept open for as long as this object lives. The kernel lets it go when the process ends, however
// it ends, so nothing left by a dead process is ever judged, and the file's contents mean nothing.
//
// The file is owner-only. An entry at its name that cannot serve (a folder, a link, a file this user
// may not open, as a run with sudo leaves it) is moved aside, unless some process holds a lock on it.
class InstanceLock {
public:
    explicit InstanceLock(QString folder);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    enum class Outcome {
        // This process holds the lock.
        Held,
        // Another process holds it.
        Taken,
        // Whether another process holds it cannot be told; problem() says why.
        Unknown,
    };
    // Makes the folder, owner-only, when it is missing. Once held, the lock stays held.
    Outcome acquire();
    // Why the outcome is Unknown, or, when Taken, that the holder's file is not this user's to
    // open; a sentence for the user. Empty otherwise.
    QString problem() const { return m_problem; }
    // Where an entry that could not serve was moved; empty when none was.
    QString movedAside() const { return m_movedAside; }
    QString path() const { return m_folder + u'/' + StoredFiles::instanceLock; }

private:
    // After the lock file could not be opened: moves aside what stands at its name when nothing holds
    // it, and opens a new one. Held means `fd` is open (but not yet locked).
    Outcome openRepaired(const QByteArray& native, int openError, int& fd);

    const QString m_folder;
    int m_fd = -1;
    QString m_problem;
    QString m_movedAside;
};

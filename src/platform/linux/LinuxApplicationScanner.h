#pragma once

#include "DesktopEntryIndex.h"
#include "RunningApplication.h"
#include "WindowList.h"

#include <QHash>
#include <QList>
#include <QMutex>
#include <QSet>
#include <QString>
#include <optional>
#include <sys/types.h>

// Finds the user's running applications in a proc file system.
//
// An application is a process that
//  - belongs to this user (real and effective user id both ours),
//  - has an executable (which leaves out kernel threads) and has not ended (no zombies),
//  - does not run the same executable as its parent: the helper processes of a multi-process
//    application are counted with the application, as one, and
//  - owns a top-level window of the display (itself or one of its helpers), or was launched from a
//    desktop entry (the launcher's record, GLib's GIO_LAUNCHED_DESKTOP_FILE_PID, names this very
//    process), or runs the program of a desktop entry that is not an interpreter or shared launcher.
// Anything else (a shell, the commands run in it, a script's interpreter) is not an application.
// Its name and bundle identifier come from that desktop entry when there is one; otherwise the
// name is the executable's file name and the bundle identifier is "". A process the user's service
// manager runs as a service (a ".service" unit, or the manager itself, below "user@<uid>.service")
// runs in the background only; every other application counts as regular.
//
// Scans may run on any thread; what was learnt about a process is kept until it ends. A scan reads
// the files of new processes, of the applications and of the windows' owners; every other process
// is known from before. The process list itself is read again only when a process started or
// ended since the last reading.
class LinuxApplicationScanner {
public:
    struct Snapshot {
        QList<RunningApplication> applications; // ascending process identifiers
        QHash<qint32, qint32> helpers;          // helper process -> its application
    };

    LinuxApplicationScanner(QString procRoot, QStringList applicationFolders);

    // `windows` is the display's window list read just before.
    Snapshot scan(const WindowList::Reading& windows = {});

private:
    struct Key {
        qint32 pid;
        quint64 startTime;
        QString executable;
        friend bool operator==(const Key&, const Key&) = default;
        friend size_t qHash(const Key& key, size_t salt = 0)
        {
            return qHashMulti(salt, key.pid, key.startTime, key.executable);
        }
    };

    struct Process {
        qint32 parent = 0;
        quint64 startTime = 0;
        QString executable;
        friend bool operator==(const Process&, const Process&) = default;
    };

    struct Tracked {
        Process process;
        bool counted = false; // ours, alive and with an executable
        bool settled = false; // read the same way on two scans in a row
    };

    struct Described {
        RunningApplication application;
        bool fromEntry = false; // named by a desktop entry, so an application with or without a window
    };

    // Lists the processes again when one started or ended since the last listing; true when it did.
    bool refreshListing();
    bool rereadAsBefore(const WindowList::Reading& windows) const;
    Tracked read(qint32 pid) const;
    Described describe(const Key& key);
    RunningApplication::ActivationPolicy policyOf(qint32 pid) const;

    const QString m_procRoot;
    const DesktopEntryIndex m_entries;
    const uid_t m_uid;
    QMutex m_mutex;
    QHash<Key, Described> m_known;
    QHash<qint32, Tracked> m_tracked;
    QSet<qint32> m_applications;
    QList<qint32> m_listed;
    QByteArray m_census;
    // Every process of the last scan was read the same way twice.
    bool m_settled = false;
    std::optional<Snapshot> m_last;
    WindowList::Reading m_lastWindows;
};

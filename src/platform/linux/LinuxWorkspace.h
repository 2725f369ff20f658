#pragma once

#include "LifeToken.h"
#include "LinuxApplicationScanner.h"
#include "WindowList.h"
#include "Workspace.h"
#include "XcbWindowList.h"
#include "WorkQueues.h"

#include <QHash>
#include <QMutex>
#include <QWaitCondition>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class ProcessControl;

// The user's applications read from /proc (see LinuxApplicationScanner for what counts as one) and
// the display's window list. One poll thread reads both once per interval; every caller of
// runningApplications() and frontmostApplication(), on any thread, gets that one shared snapshot
// instead of a scan of its own. The first snapshot is read in the background from construction, so
// that creating the workspace costs the window nothing; a caller that comes before it is in waits
// for it. The frontmost application owns the active window; without a display
// there is none. Launch, activation and termination notices come from comparing one snapshot with
// the next and are emitted on the main thread. A quit request is SIGTERM. While the workspace is not
// watched the poll rests, and a query that finds the snapshot older than one poll interval has
// the poll thread read a new one, and waits for it.
class LinuxWorkspace final : public Workspace {
    Q_OBJECT
public:
    using WindowListFactory = std::function<std::unique_ptr<WindowList>()>;

    struct Options {
        QString procRoot = QStringLiteral("/proc");
        QStringList applicationFolders = DesktopEntryIndex::standardFolders();
        std::chrono::milliseconds pollInterval{1000};
        // Called on the poll thread, which alone uses the window list.
        WindowListFactory windowList = &XcbWindowList::forEnvironment;
    };

    LinuxWorkspace(ProcessControl& control, Options options, QObject* parent = nullptr);
    ~LinuxWorkspace() override;

    QList<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    bool requestQuit(const RunningApplication& application) override;

private:
    struct Snapshot {
        QList<RunningApplication> applications;
        std::optional<RunningApplication> frontmost;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    void watchingChanged(bool watched) override;
    // Reads a snapshot that the notices that follow are measured against; a resumed watch says
    // so once the snapshot is in.
    void readBaseline(bool resumed);

    Snapshot read();
    Snapshot latest();
    bool isStale() const;
    void startPoll();
    // A baseline announces nothing: what runs then was not launched then.
    void publish(const Snapshot& snapshot, bool baseline);

    ProcessControl& m_control;
    LinuxApplicationScanner m_scanner;
    WindowListFactory m_windowListFactory;
    // Created, used and destroyed on the poll thread only.
    std::unique_ptr<WindowList> m_windows;
    mutable QMutex m_latestMutex;
    mutable QWaitCondition m_firstRead;
    bool m_hasRead = false;
    Snapshot m_latest;
    std::chrono::steady_clock::time_point m_readAt;
    const std::chrono::milliseconds m_pollInterval;
    std::atomic<bool> m_polling = true;
    QTimer m_pollTimer;
    // Until the first snapshot is the baseline, the timer's polls wait.
    std::atomic<bool> m_pollInFlight = true;
    // The snapshot handed to the main thread last; poll thread only.
    Snapshot m_posted;
    QHash<ProcessIdentity, RunningApplication> m_known;
    std::optional<ProcessIdentity> m_frontmost;
    LifeToken m_life;
    // Last, so that it is destroyed first: it waits for a running poll, which uses the members above.
    SerialQueue m_pollQueue;
};

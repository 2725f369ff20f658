#pragma once

#include "LifeToken.h"
#include "LinuxApplicationScanner.h"
#include "WindowList.h"
#include "Workspace.h"
#include "XcbWindowList.h"
#include "WorkQueues.h"

#include <QHash>
#include <QMutex>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

class ProcessControl;

// The user's applications read from /proc (see LinuxApplicationScanner for what counts as one) and
// the display's window list. One poll thread reads both once per interval; every caller of
// runningApplications() and frontmostApplication(), on any thread, gets that one shared snapshot
// instead of a scan of its own. The frontmost application owns the active window; without a display
// there is none. Launch, activation and termination notices come from comparing one snapshot with
// the next and are emitted on the main thread. A quit request is SIGTERM.
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

    // Reads the first snapshot before it returns.
    LinuxWorkspace(ProcessControl& control, Options options, QObject* parent = nullptr);
    ~LinuxWorkspace() override;

    QList<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    bool requestQuit(const RunningApplication& application) override;

private:
    struct Snapshot {
        QList<RunningApplication> applications;
        std::optional<RunningApplication> frontmost;
    };

    Snapshot read();
    Snapshot latest() const;
    void startPoll();
    void publish(const Snapshot& snapshot);

    ProcessControl& m_control;
    LinuxApplicationScanner m_scanner;
    WindowListFactory m_windowListFactory;
    // Created, used and destroyed on the poll thread only.
    std::unique_ptr<WindowList> m_windows;
    mutable QMutex m_latestMutex;
    Snapshot m_latest;
    QTimer m_pollTimer;
    bool m_pollInFlight = false;
    QHash<ProcessIdentity, RunningApplication> m_known;
    std::optional<ProcessIdentity> m_frontmost;
    LifeToken m_life;
    // Last, so that it is destroyed first: it waits for a running poll, which uses the members above.
    SerialQueue m_pollQueue;
};

#pragma once

#include "LifeToken.h"
#include "LinuxApplicationScanner.h"
#include "Workspace.h"
#include "WorkQueues.h"

#include <QHash>
#include <QTimer>
#include <chrono>

class ProcessControl;
class ProcessRunner;

// The user's applications read from /proc (see LinuxApplicationScanner for what counts as one).
// The frontmost application is the owner of the X display's active window (_NET_ACTIVE_WINDOW and
// its _NET_WM_PID, read with xprop); without an X display there is none. Launch, activation and
// termination notices come from comparing one poll of /proc with the next; the poll runs off the
// main thread and the notices are emitted on it. Activation is only looked for while someone
// listens for it. A quit request is SIGTERM.
class LinuxWorkspace final : public Workspace {
    Q_OBJECT
public:
    struct Options {
        QString procRoot = QStringLiteral("/proc");
        QStringList applicationFolders = DesktopEntryIndex::standardFolders();
        std::chrono::milliseconds pollInterval{1000};
    };

    LinuxWorkspace(ProcessRunner& runner, ProcessControl& control, Options options, QObject* parent = nullptr);
    ~LinuxWorkspace() override;

    QList<RunningApplication> runningApplications() override;
    std::optional<RunningApplication> frontmostApplication() override;
    bool requestQuit(const RunningApplication& application) override;

private:
    struct Poll {
        QList<RunningApplication> applications;
        std::optional<ProcessIdentity> frontmost;
    };

    void startPoll();
    void publish(const Poll& poll);
    std::optional<qint32> activeWindowProcess();
    static std::optional<RunningApplication> owning(const LinuxApplicationScanner::Snapshot& snapshot, qint32 pid);

    ProcessRunner& m_runner;
    ProcessControl& m_control;
    LinuxApplicationScanner m_scanner;
    QTimer m_pollTimer;
    bool m_pollInFlight = false;
    QHash<ProcessIdentity, RunningApplication> m_known;
    std::optional<ProcessIdentity> m_frontmost;
    LifeToken m_life;
    // Last, so that it is destroyed first: it waits for a running poll, which uses the scanner.
    SerialQueue m_pollQueue;
};

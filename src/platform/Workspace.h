#pragma once

#include "RunningApplication.h"

#include <QList>
#include <QObject>
#include <optional>

// The user's running applications and the notices about them. The queries and the quit request
// may be called from any thread; the notices are emitted on the main thread.
//
// Notices come only while the workspace is watched, about what changes while it is; a query
// answers from the system as it is now either way.
class Workspace : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Workspace() override = default;

    bool isWatched() const { return m_watched; }
    // Main thread.
    void setWatched(bool watched)
    {
        if (watched == m_watched)
            return;
        m_watched = watched;
        watchingChanged(watched);
    }

    // In the order the system lists them.
    virtual QList<RunningApplication> runningApplications() = 0;
    // Nothing when no application is in front or the system cannot tell.
    virtual std::optional<RunningApplication> frontmostApplication() = 0;
    // Asks the application to quit the ordinary way, never forcibly; true when the request was delivered.
    virtual bool requestQuit(const RunningApplication& application) = 0;

signals:
    void applicationLaunched(const RunningApplication& application);
    void applicationActivated(const RunningApplication& application);
    // The application carries isTerminated = true.
    void applicationTerminated(const RunningApplication& application);
    // Watched again, from a new starting point: the notices that follow are about changes after
    // it, and what changed while unwatched is found only by a query.
    void watchingResumed();

protected:
    virtual void watchingChanged(bool) {}

private:
    bool m_watched = true;
};

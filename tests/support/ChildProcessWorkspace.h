#pragma once

#include "Workspace.h"

#include <QMutex>
#include <QSet>

// Shows only the processes a test started itself, so that nothing a test does with the real
// workspace can reach any other process. Which of them is in front may be set by the test, for
// machines without an X display.
class ChildProcessWorkspace final : public Workspace {
    Q_OBJECT
public:
    explicit ChildProcessWorkspace(Workspace& inner) : m_inner(inner)
    {
        connect(&inner, &Workspace::applicationLaunched, this, [this](const RunningApplication& app) {
            if (isAllowed(app))
                emit applicationLaunched(app);
        });
        connect(&inner, &Workspace::applicationActivated, this, [this](const RunningApplication& app) {
            if (isAllowed(app))
                emit applicationActivated(app);
        });
        connect(&inner, &Workspace::applicationTerminated, this, [this](const RunningApplication& app) {
            if (isAllowed(app))
                emit applicationTerminated(app);
        });
    }

    void allow(qint64 pid)
    {
        QMutexLocker lock(&m_mutex);
        m_allowed.insert(qint32(pid));
    }

    QList<RunningApplication> runningApplications() override
    {
        QList<RunningApplication> mine;
        for (const RunningApplication& app : m_inner.runningApplications()) {
            if (isAllowed(app))
                mine.append(app);
        }
        return mine;
    }
    // Nothing: ask the real workspace again.
    void setFrontmost(std::optional<qint64> pid)
    {
        QMutexLocker lock(&m_mutex);
        m_frontmost = pid;
    }

    std::optional<RunningApplication> frontmostApplication() override
    {
        std::optional<qint64> chosen;
        {
            QMutexLocker lock(&m_mutex);
            chosen = m_frontmost;
        }
        if (chosen) {
            for (const RunningApplication& app : runningApplications()) {
                if (app.processIdentifier == *chosen)
                    return app;
            }
            return std::nullopt;
        }
        const auto front = m_inner.frontmostApplication();
        return front && isAllowed(*front) ? front : std::nullopt;
    }
    bool requestQuit(const RunningApplication& app) override { return isAllowed(app) && m_inner.requestQuit(app); }

private:
    bool isAllowed(const RunningApplication& app) const
    {
        QMutexLocker lock(&m_mutex);
        return m_allowed.contains(app.processIdentifier);
    }

    Workspace& m_inner;
    mutable QMutex m_mutex;
    QSet<qint32> m_allowed;
    std::optional<qint64> m_frontmost;
};

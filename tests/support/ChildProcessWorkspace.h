#pragma once

#include "Workspace.h"

#include <QSet>

// Shows only the processes a test started itself, so that nothing a test does with the real
// workspace can reach any other process. Which of them is in front is set by the test, since there
// may be no X display.
class ChildProcessWorkspace final : public Workspace {
    Q_OBJECT
public:
    ChildProcessWorkspace(Workspace& inner, QSet<qint32> allowed) : m_inner(inner), m_allowed(std::move(allowed)) {}

    void setFrontmost(qint32 pid) { m_frontmost = pid; }

    QList<RunningApplication> runningApplications() override
    {
        QList<RunningApplication> mine = m_inner.runningApplications();
        mine.removeIf([this](const RunningApplication& app) { return !m_allowed.contains(app.processIdentifier); });
        return mine;
    }
    std::optional<RunningApplication> frontmostApplication() override
    {
        for (const RunningApplication& app : runningApplications()) {
            if (app.processIdentifier == m_frontmost)
                return app;
        }
        return std::nullopt;
    }
    bool requestQuit(const RunningApplication& app) override
    {
        return m_allowed.contains(app.processIdentifier) && m_inner.requestQuit(app);
    }

private:
    Workspace& m_inner;
    const QSet<qint32> m_allowed;
    qint32 m_frontmost = 0;
};

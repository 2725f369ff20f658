#pragma once

#include "Workspace.h"

#include <QMutex>
#include <QSet>

// Running applications that tests set, with notices sent at will and quit requests recorded.
class FakeWorkspace final : public Workspace {
    Q_OBJECT
public:
    using Policy = RunningApplication::ActivationPolicy;

    // An application whose start time is derived from its process identifier.
    static RunningApplication application(qint32 pid, const QString& name, const QString& bundle = {},
                                          Policy policy = Policy::Regular)
    {
        RunningApplication app;
        app.processIdentifier = pid;
        app.startTime = 1000 + quint64(pid);
        app.localizedName = name;
        app.bundleIdentifier = bundle;
        app.activationPolicy = policy;
        app.executableLocation = name.isEmpty() ? QString() : "/opt/" + name + "/" + name;
        return app;
    }

    QList<RunningApplication> runningApplications() override
    {
        QMutexLocker lock(&m_mutex);
        return m_applications;
    }
    std::optional<RunningApplication> frontmostApplication() override
    {
        QMutexLocker lock(&m_mutex);
        for (const RunningApplication& app : std::as_const(m_applications)) {
            if (m_frontmost && app.processIdentifier == *m_frontmost)
                return app;
        }
        return std::nullopt;
    }
    bool requestQuit(const RunningApplication& app) override
    {
        QMutexLocker lock(&m_mutex);
        m_quitRequests.append(app);
        return !m_refusedQuits.contains(app.processIdentifier);
    }

    void add(const RunningApplication& app)
    {
        QMutexLocker lock(&m_mutex);
        m_applications.append(app);
    }
    void remove(qint32 pid)
    {
        QMutexLocker lock(&m_mutex);
        m_applications.removeIf([pid](const RunningApplication& app) { return app.processIdentifier == pid; });
    }
    void launch(const RunningApplication& app)
    {
        add(app);
        emit applicationLaunched(app);
    }
    void setFrontmost(std::optional<qint32> pid)
    {
        QMutexLocker lock(&m_mutex);
        m_frontmost = pid;
    }
    void refuseQuit(qint32 pid)
    {
        QMutexLocker lock(&m_mutex);
        m_refusedQuits.insert(pid);
    }
    QList<RunningApplication> quitRequests() const
    {
        QMutexLocker lock(&m_mutex);
        return m_quitRequests;
    }

private:
    mutable QMutex m_mutex;
    QList<RunningApplication> m_applications;
    std::optional<qint32> m_frontmost;
    QSet<qint32> m_refusedQuits;
    QList<RunningApplication> m_quitRequests;
};

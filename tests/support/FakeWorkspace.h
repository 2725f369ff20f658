#pragma once

#include "Locked.h"
#include "Workspace.h"

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

    QList<RunningApplication> runningApplications() override { return m_applications.get(); }
    std::optional<RunningApplication> frontmostApplication() override
    {
        const std::optional<qint32> frontmost = m_frontmost.get();
        for (const RunningApplication& app : runningApplications()) {
            if (frontmost && app.processIdentifier == *frontmost)
                return app;
        }
        return std::nullopt;
    }
    bool requestQuit(const RunningApplication& app) override
    {
        m_quitRequests.with([&](QList<RunningApplication>& requests) { requests.append(app); });
        return !m_refusedQuits.get().contains(app.processIdentifier);
    }

    void launch(const RunningApplication& app)
    {
        add(app);
        emit applicationLaunched(app);
    }
    void add(const RunningApplication& app)
    {
        m_applications.with([&](QList<RunningApplication>& apps) { apps.append(app); });
    }
    void terminate(qint32 pid)
    {
        const QList<RunningApplication> gone = m_applications.with([&](QList<RunningApplication>& apps) {
            QList<RunningApplication> ended;
            for (qsizetype i = apps.size() - 1; i >= 0; --i) {
                if (apps[i].processIdentifier == pid)
                    ended.append(apps.takeAt(i));
            }
            return ended;
        });
        for (RunningApplication app : gone) {
            app.isTerminated = true;
            emit applicationTerminated(app);
        }
    }
    void setFrontmost(std::optional<qint32> pid) { m_frontmost.set(pid); }
    void refuseQuit(qint32 pid)
    {
        m_refusedQuits.with([&](QSet<qint32>& refused) { refused.insert(pid); });
    }
    QList<RunningApplication> quitRequests() const { return m_quitRequests.get(); }

protected:
    void watchingChanged(bool watched) override
    {
        if (watched)
            emit watchingResumed();
    }

private:
    Locked<QList<RunningApplication>> m_applications;
    Locked<std::optional<qint32>> m_frontmost;
    Locked<QSet<qint32>> m_refusedQuits;
    Locked<QList<RunningApplication>> m_quitRequests;
};

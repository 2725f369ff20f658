#include "LinuxWorkspace.h"

#include "MainThread.h"
#include "ProcessControl.h"

#include <QSemaphore>
#include <algorithm>
#include <csignal>

LinuxWorkspace::LinuxWorkspace(ProcessControl& control, Options options, QObject* parent)
    : Workspace(parent),
      m_control(control),
      m_scanner(options.procRoot, options.applicationFolders),
      m_windowListFactory(std::move(options.windowList)),
      m_pollInterval(options.pollInterval)
{
    // The window list stays with the thread that made it, so that thread must never be retired.
    m_pollQueue.pool().setExpiryTimeout(-1);
    readBaseline(false);
    m_pollTimer.setInterval(m_pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxWorkspace::startPoll);
    m_pollTimer.start();
}

LinuxWorkspace::~LinuxWorkspace()
{
    m_pollTimer.stop();
    m_pollQueue.pool().start([this] { m_windows.reset(); });
}

QList<RunningApplication> LinuxWorkspace::runningApplications()
{
    return latest().applications;
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication()
{
    return latest().frontmost;
}

bool LinuxWorkspace::requestQuit(const RunningApplication& application)
{
    return m_control.sendSignal(application.identity(), SIGTERM);
}

void LinuxWorkspace::readBaseline(bool resumed)
{
    m_pollInFlight = true;
    m_pollQueue.pool().start([this, life = m_life.watch(), resumed] {
        const Snapshot snapshot = read();
        m_posted = snapshot;
        MainThread::post(life, [this, snapshot, resumed] {
            publish(snapshot, true);
            if (resumed)
                emit watchingResumed();
        });
    });
}

void LinuxWorkspace::watchingChanged(bool watched)
{
    m_polling = watched;
    if (!watched) {
        m_pollTimer.stop();
        return;
    }
    // No one acted on what happened meanwhile, so no one is told of it late: what runs now is
    // where the notices start from again.
    readBaseline(true);
    m_pollTimer.start();
}

bool LinuxWorkspace::isStale() const
{
    QMutexLocker lock(&m_latestMutex);
    return m_hasRead && std::chrono::steady_clock::now() - m_readAt >= m_pollInterval;
}

LinuxWorkspace::Snapshot LinuxWorkspace::latest()
{
    if (!m_polling && isStale()) {
        // Callers that come together share one reading: the queue runs one task at a time.
        QSemaphore done;
        m_pollQueue.pool().start([this, &done] {
            if (isStale())
                read();
            done.release();
        });
        done.acquire();
    }
    QMutexLocker lock(&m_latestMutex);
    while (!m_hasRead)
        m_firstRead.wait(&m_latestMutex);
    return m_latest;
}

LinuxWorkspace::Snapshot LinuxWorkspace::read()
{
    if (!m_windows && m_windowListFactory) {
        m_windows = m_windowListFactory();
        m_windowListFactory = nullptr;
    }
    const WindowList::Reading windows = m_windows ? m_windows->read() : WindowList::Reading{};
    const auto scan = m_scanner.scan(windows);
    Snapshot snapshot{scan.applications, std::nullopt};
    if (windows.activeOwner) {
        const qint32 owner = scan.helpers.value(*windows.activeOwner, *windows.activeOwner);
        for (const RunningApplication& application : scan.applications) {
            if (application.processIdentifier == owner)
                snapshot.frontmost = application;
        }
    }
    QMutexLocker lock(&m_latestMutex);
    m_latest = snapshot;
    m_readAt = std::chrono::steady_clock::now();
    m_hasRead = true;
    m_firstRead.wakeAll();
    return snapshot;
}

void LinuxWorkspace::startPoll()
{
    if (m_pollInFlight)
        return;
    m_pollInFlight = true;
    m_pollQueue.pool().start([this, life = m_life.watch()] {
        const Snapshot snapshot = read();
        // The same snapshot again would change nothing there: the main thread is left asleep.
        if (snapshot == m_posted) {
            m_pollInFlight = false;
            return;
        }
        m_posted = snapshot;
        MainThread::post(life, [this, snapshot] { publish(snapshot, false); });
    });
}

void LinuxWorkspace::publish(const Snapshot& snapshot, bool baseline)
{
    m_pollInFlight = false;
    QHash<ProcessIdentity, RunningApplication> current;
    QList<RunningApplication> launched;
    for (const RunningApplication& application : snapshot.applications) {
        current.insert(application.identity(), application);
        if (!m_known.contains(application.identity()))
            launched.append(application);
    }
    QList<RunningApplication> ended;
    for (auto it = m_known.cbegin(); it != m_known.cend(); ++it) {
        if (!current.contains(it.key())) {
            RunningApplication gone = it.value();
            gone.isTerminated = true;
            ended.append(gone);
        }
    }
    std::sort(ended.begin(), ended.end(), [](const RunningApplication& a, const RunningApplication& b) {
        return a.processIdentifier < b.processIdentifier;
    });
    const std::optional<ProcessIdentity> frontmost =
        snapshot.frontmost ? std::optional(snapshot.frontmost->identity()) : std::nullopt;
    const bool activated = frontmost && frontmost != m_frontmost;
    m_known = std::move(current);
    m_frontmost = frontmost;
    if (baseline)
        return;

    for (const RunningApplication& application : std::as_const(ended))
        emit applicationTerminated(application);
    for (const RunningApplication& application : std::as_const(launched))
        emit applicationLaunched(application);
    if (activated)
        emit applicationActivated(*snapshot.frontmost);
}

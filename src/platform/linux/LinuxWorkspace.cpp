#include "LinuxWorkspace.h"

#include "MainThread.h"
#include "ProcessControl.h"
#include "ProcessRunner.h"

#include <QMetaMethod>
#include <csignal>
#include <limits>

namespace {

const QString kXprop = QStringLiteral("/usr/bin/xprop");
constexpr int kXpropTimeoutMs = 2000;

// The last word of an xprop line, e.g. "0x3a00007" of "_NET_ACTIVE_WINDOW: window id # 0x3a00007"
// or "4242" of "_NET_WM_PID = 4242".
std::optional<qulonglong> lastNumber(const QByteArray& output)
{
    const QList<QByteArray> words = output.simplified().split(' ');
    bool ok = false;
    const qulonglong value = words.last().toULongLong(&ok, 0);
    return ok ? std::optional(value) : std::nullopt;
}

} // namespace

LinuxWorkspace::LinuxWorkspace(ProcessRunner& runner, ProcessControl& control, Options options, QObject* parent)
    : Workspace(parent),
      m_runner(runner),
      m_control(control),
      m_scanner(options.procRoot, options.applicationFolders)
{
    for (const RunningApplication& application : m_scanner.scan().applications)
        m_known.insert(application.identity(), application);
    m_pollTimer.setInterval(options.pollInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, &LinuxWorkspace::startPoll);
    m_pollTimer.start();
}

LinuxWorkspace::~LinuxWorkspace()
{
    m_pollTimer.stop();
}

QList<RunningApplication> LinuxWorkspace::runningApplications()
{
    return m_scanner.scan().applications;
}

std::optional<RunningApplication> LinuxWorkspace::frontmostApplication()
{
    const auto pid = activeWindowProcess();
    if (!pid)
        return std::nullopt;
    return owning(m_scanner.scan(), *pid);
}

bool LinuxWorkspace::requestQuit(const RunningApplication& application)
{
    return m_control.sendSignal(application.identity(), SIGTERM);
}

std::optional<qint32> LinuxWorkspace::activeWindowProcess()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return std::nullopt;
    const ProcessResult active = m_runner.run(kXprop, {"-root", "-notype", "_NET_ACTIVE_WINDOW"}, kXpropTimeoutMs);
    const auto window = active.succeeded() ? lastNumber(active.standardOutput) : std::nullopt;
    if (!window || *window == 0)
        return std::nullopt;
    const ProcessResult owner = m_runner.run(
        kXprop, {"-id", "0x" + QString::number(*window, 16), "-notype", "_NET_WM_PID"}, kXpropTimeoutMs);
    const auto pid = owner.succeeded() ? lastNumber(owner.standardOutput) : std::nullopt;
    if (!pid || *pid < 1 || *pid > qulonglong(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(*pid);
}

std::optional<RunningApplication> LinuxWorkspace::owning(const LinuxApplicationScanner::Snapshot& snapshot, qint32 pid)
{
    const qint32 applicationPid = snapshot.helpers.value(pid, pid);
    for (const RunningApplication& application : snapshot.applications) {
        if (application.processIdentifier == applicationPid)
            return application;
    }
    return std::nullopt;
}

void LinuxWorkspace::startPoll()
{
    if (m_pollInFlight)
        return;
    m_pollInFlight = true;
    const bool wantsFrontmost = isSignalConnected(QMetaMethod::fromSignal(&Workspace::applicationActivated));
    m_pollQueue.pool().start([this, wantsFrontmost, life = m_life.watch()] {
        const auto snapshot = m_scanner.scan();
        Poll poll{snapshot.applications, std::nullopt};
        if (wantsFrontmost) {
            if (const auto pid = activeWindowProcess()) {
                if (const auto front = owning(snapshot, *pid))
                    poll.frontmost = front->identity();
            }
        }
        MainThread::post(life, [this, poll] { publish(poll); });
    });
}

void LinuxWorkspace::publish(const Poll& poll)
{
    m_pollInFlight = false;
    QHash<ProcessIdentity, RunningApplication> current;
    QList<RunningApplication> launched;
    for (const RunningApplication& application : poll.applications) {
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
    const bool activated = poll.frontmost && poll.frontmost != m_frontmost;
    m_known = std::move(current);
    m_frontmost = poll.frontmost;

    for (const RunningApplication& application : std::as_const(ended))
        emit applicationTerminated(application);
    for (const RunningApplication& application : std::as_const(launched))
        emit applicationLaunched(application);
    if (activated)
        emit applicationActivated(m_known.value(*poll.frontmost));
}

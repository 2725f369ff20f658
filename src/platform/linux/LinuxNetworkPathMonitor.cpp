#include "LinuxNetworkPathMonitor.h"

#include "DefaultRoutePath.h"
#include "MainThread.h"
#include "NetworkManagerState.h"

#include <QPointer>

LinuxNetworkPathMonitor::LinuxNetworkPathMonitor(Options options, QObject* parent)
    : NetworkPathMonitor(parent), m_options(std::move(options))
{
    // The kernel's announcements are about the live system, not about other roots.
    if (m_options.procRoot == QLatin1String("/proc") && m_options.netRoot == QLatin1String("/sys/class/net"))
        m_watch = std::make_unique<LinkChangeWatch>();
    m_poll.setInterval(m_options.pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &LinuxNetworkPathMonitor::refresh);
    m_managerWait.setSingleShot(true);
    m_managerWait.setInterval(m_options.managerWaitMs);
    connect(&m_managerWait, &QTimer::timeout, this, [this] {
        m_managerHeard = true;
        if (m_poll.isActive())
            refresh();
    });
}

LinuxNetworkPathMonitor::~LinuxNetworkPathMonitor()
{
    if (m_managerSide)
        m_managerSide->deleteLater();
}

void LinuxNetworkPathMonitor::start()
{
    if (m_poll.isActive())
        return;
    if (m_options.networkManagerBus && !m_managerSide)
        followManager();
    m_lastReported.reset();
    m_poll.start();
    QMetaObject::invokeMethod(this, [this] {
        if (m_poll.isActive())
            refresh();
    }, Qt::QueuedConnection);
}

void LinuxNetworkPathMonitor::cancel()
{
    m_poll.stop();
}

void LinuxNetworkPathMonitor::followManager()
{
    const LazyBusConnection& bus = *m_options.networkManagerBus;
    m_managerSide = new QObject;
    m_managerSide->moveToThread(bus.thread());
    m_managerWait.start();
    bus.run([side = m_managerSide, monitor = QPointer(this)](const QDBusConnection& connection) {
        auto* state = new NetworkManagerState(connection, side);
        const auto tell = [state, monitor] {
            MainThread::post([monitor, value = state->state()] {
                if (monitor)
                    monitor->managerAnswered(value);
            });
        };
        QObject::connect(state, &NetworkManagerState::changed, side, tell);
        QObject::connect(state, &NetworkManagerState::answered, side, tell);
    });
}

void LinuxNetworkPathMonitor::managerAnswered(std::optional<uint> state)
{
    m_managerWait.stop();
    m_managerHeard = true;
    m_managerState = state;
    if (m_poll.isActive())
        refresh();
}

void LinuxNetworkPathMonitor::refresh()
{
    if (m_options.networkManagerBus && !m_managerHeard)
        return;
    if (!m_watch || m_watch->changed() || !m_lastRead)
        m_lastRead = DefaultRoutePath::read(m_options.procRoot, m_options.netRoot);
    NetworkPath path = *m_lastRead;
    if (const auto connected = NetworkManagerState::connected(m_managerState))
        path.satisfied = *connected;
    if (m_lastReported == path)
        return;
    m_lastReported = path;
    emit pathChanged(path);
}

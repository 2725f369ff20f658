#include "LinuxNetworkPathMonitor.h"

#include "DefaultRoutePath.h"

LinuxNetworkPathMonitor::LinuxNetworkPathMonitor(Options options, QObject* parent)
    : NetworkPathMonitor(parent), m_options(std::move(options))
{
    // The kernel's announcements are about the live system, not about other roots.
    if (m_options.procRoot == QLatin1String("/proc") && m_options.netRoot == QLatin1String("/sys/class/net"))
        m_watch = std::make_unique<LinkChangeWatch>();
    m_poll.setInterval(m_options.pollIntervalMs);
    connect(&m_poll, &QTimer::timeout, this, &LinuxNetworkPathMonitor::refresh);
}

void LinuxNetworkPathMonitor::start()
{
    if (m_poll.isActive())
        return;
    if (m_options.networkManagerBus && !m_managerState) {
        m_managerState = std::make_unique<NetworkManagerState>(m_options.networkManagerBus());
        connect(m_managerState.get(), &NetworkManagerState::changed, this, [this] {
            if (m_poll.isActive())
                refresh();
        });
    }
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

void LinuxNetworkPathMonitor::refresh()
{
    if (!m_watch || m_watch->changed() || !m_lastRead)
        m_lastRead = DefaultRoutePath::read(m_options.procRoot, m_options.netRoot);
    NetworkPath path = *m_lastRead;
    if (const auto connected = m_managerState ? NetworkManagerState::connected(m_managerState->state()) : std::nullopt)
        path.satisfied = *connected;
    if (m_lastReported == path)
        return;
    m_lastReported = path;
    emit pathChanged(path);
}

#pragma once

#include "LinkChangeWatch.h"
#include "NetworkManagerState.h"
#include "NetworkPathMonitor.h"

#include <QDBusConnection>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// The path from the routing tables, re-read on a short poll. Where NetworkManager runs, its state
// (which can tell a captive or local-only network) decides whether the path is satisfied and its
// changes trigger an immediate re-read; the routing tables still name the interfaces, which it
// cannot. On the live system a poll reads the table and the interfaces again only after the
// kernel announced a change of them.
class LinuxNetworkPathMonitor final : public NetworkPathMonitor {
    Q_OBJECT
public:
    struct Options {
        QString procRoot = QStringLiteral("/proc");
        QString netRoot = QStringLiteral("/sys/class/net");
        int pollIntervalMs = 2000;
        // The bus NetworkManager is asked on; none leaves the routing tables alone to decide.
        std::function<QDBusConnection()> networkManagerBus = [] { return QDBusConnection::systemBus(); };
    };

    LinuxNetworkPathMonitor() : LinuxNetworkPathMonitor(Options{}) {}
    explicit LinuxNetworkPathMonitor(Options options, QObject* parent = nullptr);

    void start() override;
    void cancel() override;

private:
    void refresh();

    Options m_options;
    QTimer m_poll;
    std::unique_ptr<NetworkManagerState> m_managerState;
    std::unique_ptr<LinkChangeWatch> m_watch;
    std::optional<NetworkPath> m_lastRead;
    std::optional<NetworkPath> m_lastReported;
};

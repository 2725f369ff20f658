#pragma once

#include "LazyBusConnection.h"
#include "LinkChangeWatch.h"
#include "NetworkPathMonitor.h"

#include <QTimer>
#include <memory>
#include <optional>

// The path from the routing tables, re-read on a short poll. Where NetworkManager runs, its state
// (which can tell a captive or local-only network) decides whether the path is satisfied and its
// changes trigger an immediate re-read; the routing tables still name the interfaces, which it
// cannot. NetworkManager is followed on the bus's own thread; the first report waits for its first
// answer, for a moment at most. On the live system a poll reads the table and the interfaces again
// only after the kernel announced a change of them.
class LinuxNetworkPathMonitor final : public NetworkPathMonitor {
    Q_OBJECT
public:
    struct Options {
        QString procRoot = QStringLiteral("/proc");
        QString netRoot = QStringLiteral("/sys/class/net");
        int pollIntervalMs = 2000;
        // The bus NetworkManager is asked on; none leaves the routing tables alone to decide.
        std::optional<LazyBusConnection> networkManagerBus;
        // How long the first report waits for NetworkManager's first answer.
        int managerWaitMs = 1000;
    };

    LinuxNetworkPathMonitor() : LinuxNetworkPathMonitor(Options{}) {}
    explicit LinuxNetworkPathMonitor(Options options, QObject* parent = nullptr);
    ~LinuxNetworkPathMonitor() override;

    void start() override;
    void cancel() override;

private:
    void followManager();
    void managerAnswered(std::optional<uint> state);
    void refresh();

    Options m_options;
    QTimer m_poll;
    QTimer m_managerWait;
    // Lives on the bus's thread and holds what follows NetworkManager there.
    QObject* m_managerSide = nullptr;
    std::optional<uint> m_managerState;
    bool m_managerHeard = false;
    std::unique_ptr<LinkChangeWatch> m_watch;
    std::optional<NetworkPath> m_lastRead;
    std::optional<NetworkPath> m_lastReported;
};

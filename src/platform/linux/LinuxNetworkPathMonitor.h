#pragma once

#include "LinkChangeWatch.h"
#include "NetworkPathMonitor.h"

#include <QNetworkInformation>
#include <QTimer>
#include <memory>
#include <optional>

// The path from the routing tables, re-read on a short poll. Where NetworkManager runs, its
// reachability (which can tell a captive or local-only network) decides whether the path is
// satisfied and its change notices trigger an immediate re-read; the routing tables still name the
// interfaces, which it cannot. Qt's other Linux backend only looks for a default route, as the
// routing tables here already do, and would load a second event loop's libraries and thread for it.
// On the live system a poll reads the table and the interfaces again only after the kernel
// announced a change of them.
class LinuxNetworkPathMonitor final : public NetworkPathMonitor {
    Q_OBJECT
public:
    struct Options {
        QString procRoot = QStringLiteral("/proc");
        QString netRoot = QStringLiteral("/sys/class/net");
        int pollIntervalMs = 2000;
        bool useNetworkInformation = true;
    };

    LinuxNetworkPathMonitor() : LinuxNetworkPathMonitor(Options{}) {}
    explicit LinuxNetworkPathMonitor(Options options, QObject* parent = nullptr);

    void start() override;
    void cancel() override;

    static NetworkPath withReachability(NetworkPath path, QNetworkInformation::Reachability reachability);

private:
    void refresh();

    Options m_options;
    QTimer m_poll;
    QNetworkInformation* m_information = nullptr;
    std::unique_ptr<LinkChangeWatch> m_watch;
    std::optional<NetworkPath> m_lastRead;
    std::optional<NetworkPath> m_lastReported;
};

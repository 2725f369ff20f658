#pragma once

#include "LinkChangeWatch.h"
#include "NetworkPathMonitor.h"

#include <QNetworkInformation>
#include <QTimer>
#include <memory>
#include <optional>

// The path from the routing table, re-read on a short poll. Where one of Qt's network-information
// backends loads, its reachability decides whether the path is satisfied and its change notices
// trigger an immediate re-read; the routing table still names the interfaces, which it cannot.
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

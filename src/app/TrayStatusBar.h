#pragma once

#include "StatusAreaWatcher.h"
#include "StatusBar.h"

#include <memory>

// The status area of a Linux desktop: the system tray, while a tray runs and the session bus
// answers, as the watcher last heard.
class TrayStatusBar final : public StatusBar {
    Q_OBJECT
public:
    explicit TrayStatusBar(std::shared_ptr<StatusAreaWatcher> watcher, QObject* parent = nullptr);

    bool isAvailable() const override;
    bool isReachable() const override { return m_watcher->isAnswering(); }
    std::unique_ptr<StatusItem> addItem() override;

private:
    std::shared_ptr<StatusAreaWatcher> m_watcher;
};

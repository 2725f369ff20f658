#pragma once

#include "StatusAreaWatcher.h"
#include "StatusBar.h"

#include <memory>

// The status area of a Linux desktop: the system tray, while a tray host runs and the bus that
// leads to it answers, as the watcher last heard.
class TrayStatusBar final : public StatusBar {
    Q_OBJECT
public:
    explicit TrayStatusBar(std::shared_ptr<StatusAreaWatcher> watcher, QObject* parent = nullptr);

    bool isAvailable() const override;
    std::unique_ptr<StatusItem> addItem() override;

private:
    std::shared_ptr<StatusAreaWatcher> m_watcher;
};

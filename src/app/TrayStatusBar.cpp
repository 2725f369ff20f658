#include "TrayStatusBar.h"

#include "TrayStatusItem.h"

#include <QSystemTrayIcon>

bool TrayStatusBar::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

std::unique_ptr<StatusItem> TrayStatusBar::addItem()
{
    if (!isAvailable())
        return nullptr;
    return std::make_unique<TrayStatusItem>();
}

#include "TrayStatusBar.h"

#include "TrayStatusItem.h"

TrayStatusBar::TrayStatusBar(std::shared_ptr<StatusAreaWatcher> watcher, QObject* parent)
    : StatusBar(parent), m_watcher(std::move(watcher))
{
    connect(m_watcher.get(), &StatusAreaWatcher::changed, this, &StatusBar::availabilityChanged);
}

bool TrayStatusBar::isAvailable() const
{
    return m_watcher->isAvailable();
}

std::unique_ptr<StatusItem> TrayStatusBar::addItem()
{
    if (!isAvailable())
        return nullptr;
    return std::make_unique<TrayStatusItem>(m_watcher);
}

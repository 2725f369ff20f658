#pragma once

#include "DnsCacheFlusher.h"

#include <QDBusConnection>

// Asks systemd-resolved on the system bus to flush its caches.
class ResolvedCacheFlusher : public DnsCacheFlusher {
public:
    explicit ResolvedCacheFlusher(QDBusConnection system) : m_system(std::move(system)) {}

    bool flush() override;

private:
    QDBusConnection m_system;
};

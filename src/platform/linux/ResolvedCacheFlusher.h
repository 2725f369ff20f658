#pragma once

#include "DnsCacheFlusher.h"

#include "LazyBusConnection.h"

// Asks systemd-resolved on the system bus to flush its caches.
class ResolvedCacheFlusher : public DnsCacheFlusher {
public:
    explicit ResolvedCacheFlusher(LazyBusConnection system) : m_system(std::move(system)) {}

    bool flush() override;

private:
    LazyBusConnection m_system;
};

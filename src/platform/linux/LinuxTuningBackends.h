#pragma once

#include "TuningBackends.h"

#include <QDBusConnection>

// The tuning actions through Linux: logind and the screen saver, the kernel's page cache,
// systemd-resolved, NetworkManager and DNS queries of our own.
TuningBackends linuxTuningBackends(const QDBusConnection& system, const QDBusConnection& session);

#pragma once

#include "TuningBackends.h"

#include "LazyBusConnection.h"

// The tuning actions through Linux: logind and the screen saver, the kernel's page cache,
// systemd-resolved, NetworkManager and DNS queries of our own.
TuningBackends linuxTuningBackends(const LazyBusConnection& system, const LazyBusConnection& session);

#pragma once

#include "SleepInhibitor.h"

#include "LazyBusConnection.h"

#include <memory>

// Takes logind's idle and sleep inhibitor on the system bus, keeping the descriptor it hands back
// (closing it releases the lock, also when this process dies), and, where the session has a screen
// saver service, its inhibition as well, so that the display stays on. Both are asked together and
// answer asynchronously; a service that has not answered within `timeout` counts as refusing, and
// what it grants after that is given back at once.
class LogindSleepInhibitor : public SleepInhibitor {
public:
    static constexpr std::chrono::milliseconds callTimeout{2'000};

    LogindSleepInhibitor(LazyBusConnection system, LazyBusConnection session,
                         std::chrono::milliseconds timeout = callTimeout);

    // Hands over nullptr when neither service gave a hold.
    void hold(QObject* context, Taken taken) override;

private:
    LazyBusConnection m_system;
    std::chrono::milliseconds m_timeout;
    // Shared, so that the calls waiting on the session bus hold it only weakly: a call kept on the
    // bus's own thread must not keep that thread's connection alive.
    std::shared_ptr<const LazyBusConnection> m_session;
};

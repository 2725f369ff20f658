#pragma once

#include "SleepInhibitor.h"

#include "LazyBusConnection.h"

// Takes logind's idle and sleep inhibitor on the system bus, keeping the descriptor it hands back
// (closing it releases the lock, also when this process dies), and, where the session has a screen
// saver service, its inhibition as well, so that the display stays on.
class LogindSleepInhibitor : public SleepInhibitor {
public:
    LogindSleepInhibitor(LazyBusConnection system, LazyBusConnection session);

    // nullptr when neither service gave a hold.
    std::unique_ptr<SleepHold> hold() override;

private:
    LazyBusConnection m_system;
    LazyBusConnection m_session;
};

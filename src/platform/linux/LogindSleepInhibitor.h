#pragma once

#include "SleepInhibitor.h"

#include <QDBusConnection>

// Takes logind's idle and sleep inhibitor on the system bus, keeping the descriptor it hands back
// (closing it releases the lock, also when this process dies), and, where the session has a screen
// saver service, its inhibition as well, so that the display stays on.
class LogindSleepInhibitor : public SleepInhibitor {
public:
    LogindSleepInhibitor(QDBusConnection system, QDBusConnection session);

    // nullptr when neither service gave a hold.
    std::unique_ptr<SleepHold> hold() override;

private:
    QDBusConnection m_system;
    QDBusConnection m_session;
};
